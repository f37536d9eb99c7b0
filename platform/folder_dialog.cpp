#include "platform/folder_dialog.h"

#include <QFileDialog>

namespace glimra {

std::optional<std::string> ChooseFolder(QWidget* owner, const std::string& start) {
    QString folder =
        QFileDialog::getExistingDirectory(owner, QString(), QString::fromStdString(start));
    if (folder.isEmpty())
        return std::nullopt;
    return folder.toStdString();
}

} // namespace glimra
