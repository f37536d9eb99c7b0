#pragma once
#include <string>
#include <vector>

namespace glimra {

enum class TMsgKind { Information, Warning, Error, Confirmation };
enum class TMsgButtons { Ok, OkCancel, YesAbort, YesNo };
enum class TMsgResult { Ok, Cancel, Yes, No, Abort };

// The platform's standard message dialog. Tests install a scripted one.
class TMessageBoxes {
public:
    virtual ~TMessageBoxes() = default;
    // text is UTF-8; returns the button pressed.
    virtual TMsgResult Show(TMsgKind kind, const std::string& text, TMsgButtons buttons) = 0;
};

// The process-wide instance: Qt's QMessageBox unless a test installed another.
TMessageBoxes& MessageBoxes();
// Installs a replacement (not owned); nullptr restores the real dialogs.
void SetMessageBoxes(TMessageBoxes* boxes);

// Answers from a queue and records every text asked; for tests. With the queue
// empty it answers the first button (Ok or Yes).
class TScriptedMessageBoxes : public TMessageBoxes {
public:
    std::vector<TMsgResult> Answers;
    std::vector<std::string> Asked;
    TMsgResult Show(TMsgKind kind, const std::string& text, TMsgButtons buttons) override;
};

} // namespace glimra
