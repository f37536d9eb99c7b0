#include "platform/settings_platform.h"

#include "platform/beep.h"
#include "platform/file_access.h"
#include "platform/message_box.h"
#include "platform/shell_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <unistd.h>

namespace glimra {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Asks whatever dialogs are installed at the moment of asking, so a test may
// install its own after the store was made.
class TCurrentMessageBoxes : public TMessageBoxes {
public:
    TMsgResult Show(TMsgKind kind, const std::string& text, TMsgButtons buttons) override {
        return MessageBoxes().Show(kind, text, buttons);
    }
};

} // namespace

bool TQtSettingsFiles::Exists(const std::string& path) {
    return QFileInfo::exists(Q(path));
}

std::optional<std::string> TQtSettingsFiles::Read(const std::string& path) {
    QFile file(Q(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data.toStdString();
}

bool TQtSettingsFiles::Write(const std::string& path, const std::string& data) {
    return SaveFileAtomically(path, data);
}

bool TQtSettingsFiles::Copy(const std::string& from, const std::string& to) {
    std::optional<std::string> data = Read(from);
    return data && Write(to, *data);
}

bool TQtSettingsFiles::Delete(const std::string& path) {
    return DeleteFile(path);
}

bool TQtSettingsFiles::FolderWritable(const std::string& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::vector<std::string>> TQtSettingsFiles::FileNames(const std::string& folder) {
    QDir dir(Q(folder));
    if (!dir.exists())
        return std::vector<std::string>{};
    if (!QFileInfo(dir.path()).isReadable() || !QFileInfo(dir.path()).isExecutable())
        return std::nullopt;
    std::vector<std::string> names;
    // Without QDir::Hidden, dot files stay out.
    for (const QString& name : dir.entryList(QDir::Files | QDir::NoDotAndDotDot))
        names.push_back(name.toStdString());
    return names;
}

QString TQtUserStore::DefaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/QUENTARO/GLIMRA4.conf";
}

TQtUserStore::TQtUserStore(QString path) : Path(std::move(path)) {}

TQtUserStore::~TQtUserStore() = default;

QSettings& TQtUserStore::Settings() {
    if (!Opened)
        Opened = std::make_unique<QSettings>(Path, QSettings::NativeFormat);
    return *Opened;
}

bool TQtUserStore::Exists() {
    return QFileInfo::exists(Path);
}

bool TQtUserStore::OrganisationExists() {
    return QFileInfo(Path).dir().exists();
}

void TQtUserStore::Create() {
    if (Exists())
        return;
    QFileInfo(Path).dir().mkpath(".");
    QFile file(Path);
    if (file.open(QIODevice::WriteOnly))
        file.close();
}

std::optional<std::string> TQtUserStore::Value(const std::string& section, const std::string& key) {
    QVariant value = Settings().value(Q(section) + "/" + Q(key));
    if (!value.isValid())
        return std::nullopt;
    // A hand-edited value with unquoted commas comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(',').toStdString();
    return value.toString().toStdString();
}

void TQtUserStore::ClearSection(const std::string& section) {
    Settings().remove(Q(section));
}

void TQtUserStore::SetValue(const std::string& section, const std::string& key,
                            const std::string& value) {
    Settings().setValue(Q(section) + "/" + Q(key), Q(value));
}

void TQtUserStore::Flush() {
    Settings().sync();
}

std::string TQtUserStore::Location() {
    return Path.toStdString();
}

std::string TQtUserStore::Backup() {
    TQtSettingsFiles files;
    std::string backup = (Path + ".bak").toStdString();
    return files.Copy(Path.toStdString(), backup) ? backup : std::string();
}

TRegWorkPlatform DesktopSettingsPlatform() {
    static TQtSettingsFiles files;
    static TQtUserStore store;
    static TCurrentMessageBoxes boxes;
    return {files, store, boxes, &Beep};
}

} // namespace glimra
