#pragma once
#include "platform/settings_access.h"

#include <QString>
#include <memory>

class QSettings;

namespace glimra {

// Real files: whole-file reads, writes through a temporary file and a rename.
class TQtSettingsFiles : public TSettingsFiles {
public:
    bool Exists(const std::string& path) override;
    std::optional<std::string> Read(const std::string& path) override;
    bool Write(const std::string& path, const std::string& data) override;
    bool Copy(const std::string& from, const std::string& to) override;
    bool Delete(const std::string& path) override;
    std::optional<std::vector<std::string>> FileNames(const std::string& folder) override;
    bool FolderWritable(const std::string& folder) override;
};

// The user store: one QSettings file per user ($XDG_CONFIG_HOME/QUENTARO/GLIMRA4.conf),
// a group per section. The store exists when its file does.
class TQtUserStore : public TUserStore {
public:
    // The path of the user's real store.
    static QString DefaultPath();
    explicit TQtUserStore(QString path = DefaultPath());
    ~TQtUserStore() override;

    bool Exists() override;
    bool OrganisationExists() override;
    void Create() override;
    std::optional<std::string> Value(const std::string& section, const std::string& key) override;
    void ClearSection(const std::string& section) override;
    void SetValue(const std::string& section, const std::string& key,
                  const std::string& value) override;
    void Flush() override;
    std::string Location() override;
    std::string Backup() override;

private:
    QSettings& Settings();

    QString Path;
    std::unique_ptr<QSettings> Opened;
};

// The process-wide real files, user store, message dialogs and beep.
TRegWorkPlatform DesktopSettingsPlatform();

} // namespace glimra
