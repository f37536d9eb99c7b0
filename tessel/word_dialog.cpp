// The only place the module uses Qt: its input dialog and Unicode's case rules.
#include "tessel/line_buffer_view.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QString>

namespace glimra::tessel {

// Character by character: a whole-string upper case may lengthen the text (ß to SS)
// and move the mark off its word.
std::u32string UpperCase(const std::u32string& text) {
    std::u32string upper(text);
    for (char32_t& c : upper)
        c = QChar::toUpper(c);
    return upper;
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
    word = UpperCase(dialog.textValue().toStdU32String());
    return true;
}

} // namespace glimra::tessel
