#include "platform/message_box.h"

#include "platform/termination.h"

#include <QMessageBox>

namespace glimra {
namespace {

TMsgResult Dismissed(TMsgButtons buttons) {
    switch (buttons) {
    case TMsgButtons::OkCancel:
        return TMsgResult::Cancel;
    case TMsgButtons::YesAbort:
        return TMsgResult::Abort;
    case TMsgButtons::YesNo:
        return TMsgResult::No;
    default:
        return TMsgResult::Ok;
    }
}

class TQtMessageBoxes : public TMessageBoxes {
public:
    TMsgResult Show(TMsgKind kind, const std::string& text, TMsgButtons buttons) override {
        // The program is ending: nobody is asked any more, every box is as if dismissed.
        if (StopRequested())
            return Dismissed(buttons);
        QMessageBox::Icon icon = kind == TMsgKind::Information ? QMessageBox::Information
                                 : kind == TMsgKind::Warning   ? QMessageBox::Warning
                                 : kind == TMsgKind::Error     ? QMessageBox::Critical
                                                               : QMessageBox::Question;
        QMessageBox::StandardButtons std = QMessageBox::Ok;
        if (buttons == TMsgButtons::OkCancel)
            std = QMessageBox::Ok | QMessageBox::Cancel;
        else if (buttons == TMsgButtons::YesAbort)
            std = QMessageBox::Yes | QMessageBox::Abort;
        else if (buttons == TMsgButtons::YesNo)
            std = QMessageBox::Yes | QMessageBox::No;
        QMessageBox box(icon, QStringLiteral("4th Glimra"), QString::fromStdString(text), std);
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
