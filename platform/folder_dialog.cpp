#include "platform/folder_dialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace glimra {
namespace {

// The font chooser of the desktop the program was designed on also picks the text
// colour; Qt's picks the font only, so a colour button stands beside it.
class TFontColorDialog : public QDialog {
public:
    TFontColorDialog(QWidget* owner, const TFontChoice& start)
        : QDialog(owner), Fonts(new QFontDialog(start.Font, this)), Color(start.Color) {
        setWindowTitle(QStringLiteral("Font"));
        Fonts->setOptions(QFontDialog::NoButtons);
        Fonts->setWindowFlags(Qt::Widget);
        auto* colorButton = new QPushButton(QStringLiteral("Color..."), this);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->addButton(colorButton, QDialogButtonBox::ActionRole);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(colorButton, &QPushButton::clicked, this, [this] {
            QColor chosen = QColorDialog::getColor(Color, this);
            if (chosen.isValid())
                Color = chosen;
        });
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Fonts);
        layout->addWidget(buttons);
    }
    TFontChoice Choice() const { return {Fonts->currentFont(), Color}; }

private:
    QFontDialog* Fonts;
    QColor Color;
};

class TQtDialogs : public TStandardDialogs {
public:
    std::optional<std::string> ChooseFolder(QWidget* owner, const std::string& start) override {
        QString folder =
            QFileDialog::getExistingDirectory(owner, QString(), QString::fromStdString(start));
        if (folder.isEmpty())
            return std::nullopt;
        return folder.toStdString();
    }
    std::optional<QColor> ChooseColor(QWidget* owner, const QColor& start) override {
        QColor chosen = QColorDialog::getColor(start, owner);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    }
    std::optional<TFontChoice> ChooseFont(QWidget* owner, const TFontChoice& start) override {
        TFontColorDialog dialog(owner, start);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.Choice();
    }
};

TStandardDialogs* installed = nullptr;

template <typename T> std::optional<T> TakeFirst(std::vector<std::optional<T>>& queue) {
    if (queue.empty())
        return std::nullopt;
    std::optional<T> answer = queue.front();
    queue.erase(queue.begin());
    return answer;
}

} // namespace

TStandardDialogs& StandardDialogs() {
    static TQtDialogs real;
    return installed ? *installed : real;
}

void SetStandardDialogs(TStandardDialogs* dialogs) {
    installed = dialogs;
}

std::optional<std::string> ChooseFolder(QWidget* owner, const std::string& start) {
    return StandardDialogs().ChooseFolder(owner, start);
}

std::optional<std::string> TScriptedDialogs::ChooseFolder(QWidget*, const std::string&) {
    return TakeFirst(Folders);
}

std::optional<QColor> TScriptedDialogs::ChooseColor(QWidget*, const QColor& start) {
    ColorStarts.push_back(start);
    return TakeFirst(Colors);
}

std::optional<TFontChoice> TScriptedDialogs::ChooseFont(QWidget*, const TFontChoice& start) {
    FontStarts.push_back(start);
    return TakeFirst(Fonts);
}

} // namespace glimra
