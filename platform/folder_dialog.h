#pragma once
#include <QColor>
#include <QFont>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace glimra {

// A font with the colour its text is drawn in; Qt fonts carry no colour.
struct TFontChoice {
    QFont Font;
    QColor Color;
};

// The platform's standard choosers. Each returns nullopt when the user cancels.
// Tests install a scripted one.
class TStandardDialogs {
public:
    virtual ~TStandardDialogs() = default;
    // Starts at start; the user may make new folders in it.
    virtual std::optional<std::string> ChooseFolder(QWidget* owner, const std::string& start) = 0;
    virtual std::optional<QColor> ChooseColor(QWidget* owner, const QColor& start) = 0;
    virtual std::optional<TFontChoice> ChooseFont(QWidget* owner, const TFontChoice& start) = 0;
};

// The process-wide instance: Qt's dialogs unless a test installed another.
TStandardDialogs& StandardDialogs();
// Installs a replacement (not owned); nullptr restores the real dialogs.
void SetStandardDialogs(TStandardDialogs* dialogs);

std::optional<std::string> ChooseFolder(QWidget* owner, const std::string& start);

// Answers from queues and records where each chooser started; for tests. An empty
// queue answers as a cancel.
class TScriptedDialogs : public TStandardDialogs {
public:
    std::vector<std::optional<std::string>> Folders;
    std::vector<std::optional<QColor>> Colors;
    std::vector<std::optional<TFontChoice>> Fonts;
    std::vector<QColor> ColorStarts;
    std::vector<TFontChoice> FontStarts;

    std::optional<std::string> ChooseFolder(QWidget* owner, const std::string& start) override;
    std::optional<QColor> ChooseColor(QWidget* owner, const QColor& start) override;
    std::optional<TFontChoice> ChooseFont(QWidget* owner, const TFontChoice& start) override;
};

} // namespace glimra
