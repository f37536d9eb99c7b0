#pragma once
#include "platform/message_box.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace glimra {

// File access the settings store needs; the real one is TQtSettingsFiles.
class TSettingsFiles {
public:
    virtual ~TSettingsFiles() = default;
    virtual bool Exists(const std::string& path) = 0;
    // nullopt when the file cannot be read.
    virtual std::optional<std::string> Read(const std::string& path) = 0;
    // Replaces the file whole or leaves it as it was.
    virtual bool Write(const std::string& path, const std::string& data) = 0;
    // Replaces `to`.
    virtual bool Copy(const std::string& from, const std::string& to) = 0;
    // Clears what stands in the way (a read-only mode) first.
    virtual bool Delete(const std::string& path) = 0;
    // Names of the visible regular files of a folder; empty when the folder is
    // missing, nullopt when it exists but cannot be listed.
    virtual std::optional<std::vector<std::string>> FileNames(const std::string& folder) = 0;
    // Whether a new file could be made in the folder.
    virtual bool FolderWritable(const std::string& folder) = 0;
};

// The per-user store that may hold the settings instead of the file: sections of
// string values. The real one is TQtUserStore.
class TUserStore {
public:
    virtual ~TUserStore() = default;
    // The program's own store exists.
    virtual bool Exists() = 0;
    // The vendor's folder of stores exists.
    virtual bool OrganisationExists() = 0;
    virtual void Create() = 0;
    virtual std::optional<std::string> Value(const std::string& section,
                                             const std::string& key) = 0;
    virtual void ClearSection(const std::string& section) = 0;
    virtual void SetValue(const std::string& section, const std::string& key,
                          const std::string& value) = 0;
    // Writes pending changes; failures are not reported.
    virtual void Flush() = 0;
    // Where the store lives, for messages.
    virtual std::string Location() = 0;
    // Keeps a copy of the store aside; its path, or empty on failure.
    virtual std::string Backup() = 0;
};

// What the store touches outside itself. Tests pass fakes; the program passes
// DesktopSettingsPlatform().
struct TRegWorkPlatform {
    TSettingsFiles& Files;
    TUserStore& Store;
    TMessageBoxes& Boxes;
    std::function<void()> Beep;
};

} // namespace glimra
