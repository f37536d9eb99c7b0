// The only place the module uses Qt: its input dialog and Unicode's case rules.
#include "tessel/line_buffer_view.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QString>

namespace glimra::tessel {

std::u32string UpperCase(const std::u32string& text) {
    return QString::fromUcs4(text.data(), qsizetype(text.size())).toUpper().toStdU32String();
}

bool AskWordByDialog(std::u32string& word) {
    QInputDialog dialog;
    dialog.setWindowTitle(QStringLiteral("HIGHLIGHT TEXT"));
    dialog.setLabelText(QStringLiteral("WORD>"));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(QString());
    if (auto* edit = dialog.findChild<QLineEdit*>())
        edit->setMaxLength(255);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    word = dialog.textValue().toUpper().toStdU32String();
    return true;
}

} // namespace glimra::tessel
