#include "platform/shell_files.h"

#include "common/text_utils.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <atomic>
#include <filesystem>
#include <system_error>

namespace glimra {
namespace fs = std::filesystem;
namespace {

std::atomic<bool> readOnlyRemovalFails{false};

bool ReadOnly(const QString& name) {
    return !(QFile::permissions(name) & QFile::WriteOwner);
}

bool RemoveFile(const QString& name) {
    if (readOnlyRemovalFails && ReadOnly(name))
        return false;
    return QFile::remove(name);
}

std::string Location(QStandardPaths::StandardLocation location) {
    return StripTrailingSeparator(QStandardPaths::writableLocation(location).toStdString());
}

int CodeOf(const std::error_code& ec) {
    if (ec == std::errc::no_such_file_or_directory)
        return FileOpNotFound;
    return FileOpAccessDenied;
}

// Copies beside the target first so a failure leaves the old target whole.
int CopyOne(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::file_status status = fs::status(from, ec);
    if (!fs::exists(status))
        return FileOpNotFound;
    if (fs::exists(to) && fs::equivalent(from, to, ec))
        return FileOpSameFile;
    if (fs::is_directory(status)) {
        fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
        return ec ? CodeOf(ec) : FileOpOk;
    }
    fs::path part = to;
    part += ".part";
    fs::copy_file(from, part, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::rename(part, to, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(part, ignored);
        return CodeOf(ec);
    }
    return FileOpOk;
}

int MoveOne(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(from, ec)))
        return FileOpNotFound;
    if (fs::exists(to) && fs::equivalent(from, to, ec))
        return FileOpSameFile;
    fs::rename(from, to, ec);
    if (ec != std::errc::cross_device_link)
        return ec ? CodeOf(ec) : FileOpOk;
    int code = CopyOne(from, to);
    if (code == FileOpOk)
        fs::remove_all(from, ec);
    return code != FileOpOk ? code : ec ? CodeOf(ec) : FileOpOk;
}

int DeleteOne(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec)))
        return FileOpNotFound;
    if (QFile::moveToTrash(QString::fromStdString(path.string())))
        return FileOpOk;
    fs::remove_all(path, ec);
    return ec ? CodeOf(ec) : FileOpOk;
}

QString DesktopEntryString(QString value) {
    value.replace('\\', "\\\\").replace('\n', "\\n").replace('\r', "\\r").replace('\t', "\\t");
    return value;
}

// One argument of an Exec line: always quoted, with the characters that need it
// escaped, and '%' doubled so it is not taken for a field code.
QString ExecArgument(QString arg) {
    QString quoted;
    for (QChar c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted.replace('%', "%%");
    return '"' + quoted + '"';
}

} // namespace

std::string SpecialFolder(int folderId) {
    switch (folderId) {
    case SpecialFolderPrograms:
    case SpecialFolderSendTo:
        return Location(QStandardPaths::ApplicationsLocation);
    case SpecialFolderDesktop:
        return Location(QStandardPaths::DesktopLocation);
    default:
        return {};
    }
}

std::string ProgramFilesFolder() {
    return Location(QStandardPaths::GenericDataLocation);
}

bool DeleteFile(const std::string& path) {
    QString name = QString::fromStdString(path);
    QFileInfo info(name);
    if (info.isDir() && !info.isSymLink())
        return false;
    // The owner's write bit plays the read-only attribute, which would refuse
    // the removal; the user's access is no guide (root may write anything).
    if (info.exists() && !info.isSymLink() && ReadOnly(name))
        QFile::setPermissions(name, QFile::permissions(name) | QFile::WriteOwner);
    return RemoveFile(name);
}

void SimulateReadOnlyRemovalFailure(bool on) {
    readOnlyRemovalFails = on;
}

int ShellFileOperation(const std::vector<std::string>& paths, const std::string& destination,
                       int operation) {
    if (paths.empty())
        return FileOpNothingDone;
    if (operation == FileOpRename)
        return paths.size() == 1 ? MoveOne(paths.front(), destination) : FileOpBadArgument;
    if (operation == FileOpDelete) {
        for (const std::string& path : paths)
            if (int code = DeleteOne(path); code != FileOpOk)
                return code;
        return FileOpOk;
    }
    if (operation != FileOpMove && operation != FileOpCopy)
        return FileOpBadArgument;
    std::error_code ec;
    fs::create_directories(destination, ec);
    if (ec || !fs::is_directory(destination))
        return FileOpAccessDenied;
    for (const std::string& path : paths) {
        fs::path from(StripTrailingSeparator(path));
        fs::path to = fs::path(destination) / from.filename();
        int code = operation == FileOpCopy ? CopyOne(from, to) : MoveOne(from, to);
        if (code != FileOpOk)
            return code;
    }
    return FileOpOk;
}

std::string ShortcutText(const std::string& linkPath, const std::string& target,
                         const std::string& workingFolder, bool offerForTextFiles) {
    QString text =
        "[Desktop Entry]\nType=Application\nName=" +
        DesktopEntryString(QFileInfo(QString::fromStdString(linkPath)).completeBaseName()) +
        "\nExec=" + DesktopEntryString(ExecArgument(QString::fromStdString(target))) +
        (offerForTextFiles ? " %f\nMimeType=text/plain;\nNoDisplay=true" : "") +
        "\nPath=" + DesktopEntryString(QString::fromStdString(workingFolder)) +
        "\nTerminal=false\n";
    return text.toUtf8().toStdString();
}

bool CreateShortcut(const std::string& linkPath, const std::string& target,
                    const std::string& workingFolder, bool offerForTextFiles) {
    QString link = QString::fromStdString(linkPath);
    QSaveFile file(link);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QByteArray::fromStdString(
        ShortcutText(linkPath, target, workingFolder, offerForTextFiles)));
    if (!file.commit())
        return false;
    // Desktops start only launchers their owner marked as executable.
    QFile::setPermissions(link, QFile::permissions(link) | QFile::ExeOwner | QFile::ExeUser);
    return true;
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& folder) {
    QStringList args;
    for (const std::string& arg : arguments)
        args << QString::fromStdString(arg);
    return QProcess::startDetached(QString::fromStdString(program), args,
                                   QString::fromStdString(folder));
}

void ShellOpen(QWidget*, const std::string& path) {
    const QString text = QFile::decodeName(QByteArray::fromStdString(path));
    if (text.contains("://")) {
        QDesktopServices::openUrl(QUrl(text));
        return;
    }
    // The desktop's opener would show a program's text or ask; the installer needs it run.
    const QFileInfo info(text);
    if (info.isFile() && info.isExecutable() &&
        QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath()))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(text));
}

} // namespace glimra
