#include "platform/message_box.h"

#include "platform/termination.h"

#include <QMessageBox>

namespace glimra {
namespace {

// What each choice of buttons shows, and what it answers when nobody is asked.
struct TButtonSet {
    TMsgButtons Buttons;
    QMessageBox::StandardButtons Shown;
    TMsgResult Dismissed;
};

const TButtonSet& ButtonSet(TMsgButtons buttons) {
    static const TButtonSet sets[] = {
        {TMsgButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, TMsgResult::Cancel},
        {TMsgButtons::YesAbort, QMessageBox::Yes | QMessageBox::Abort, TMsgResult::Abort},
        {TMsgButtons::YesNo, QMessageBox::Yes | QMessageBox::No, TMsgResult::No},
        {TMsgButtons::Ok, QMessageBox::Ok, TMsgResult::Ok},
    };
    for (const TButtonSet& set : sets)
        if (set.Buttons == buttons)
            return set;
    return sets[3];
}

class TQtMessageBoxes : public TMessageBoxes {
public:
    TMsgResult Show(TMsgKind kind, const std::string& text, TMsgButtons buttons) override {
        // The program is ending: nobody is asked any more, every box is as if dismissed.
        if (StopRequested())
            return ButtonSet(buttons).Dismissed;
        QMessageBox::Icon icon = kind == TMsgKind::Information ? QMessageBox::Information
                                 : kind == TMsgKind::Warning   ? QMessageBox::Warning
                                 : kind == TMsgKind::Error     ? QMessageBox::Critical
                                                               : QMessageBox::Question;
        QMessageBox box(icon, QStringLiteral("4th Glimra"), QString::fromStdString(text),
                        ButtonSet(buttons).Shown);
        switch (box.exec()) {
        case QMessageBox::Ok:
            return TMsgResult::Ok;
        case QMessageBox::Yes:
            return TMsgResult::Yes;
        case QMessageBox::No:
            return TMsgResult::No;
        case QMessageBox::Abort:
            return TMsgResult::Abort;
        default:
            return TMsgResult::Cancel;
        }
    }
};

TMessageBoxes* installed = nullptr;

} // namespace

TMessageBoxes& MessageBoxes() {
    static TQtMessageBoxes real;
    return installed ? *installed : real;
}

void SetMessageBoxes(TMessageBoxes* boxes) {
    installed = boxes;
}

TMsgResult TScriptedMessageBoxes::Show(TMsgKind, const std::string& text, TMsgButtons buttons) {
    Asked.push_back(text);
    if (!Answers.empty()) {
        TMsgResult r = Answers.front();
        Answers.erase(Answers.begin());
        return r;
    }
    return buttons == TMsgButtons::YesAbort || buttons == TMsgButtons::YesNo ? TMsgResult::Yes
                                                                             : TMsgResult::Ok;
}

} // namespace glimra
