#pragma once
#include "platform/message_box.h"
#include "settings/reg_work.h"
#include "settings/settings_storage.h"

#include <map>
#include <memory>
#include <set>

namespace glimra::testing {

// In-memory files and folders.
class TFakeFiles : public TSettingsFiles {
public:
    std::map<std::string, std::string> Files;
    std::set<std::string> Unreadable, Unwritable;
    std::map<std::string, std::vector<std::string>> Folders;
    std::set<std::string> Unlistable, ReadOnlyFolders;

    bool Exists(const std::string& path) override { return Files.contains(path); }
    std::optional<std::string> Read(const std::string& path) override {
        if (!Files.contains(path) || Unreadable.contains(path))
            return std::nullopt;
        return Files[path];
    }
    bool Write(const std::string& path, const std::string& data) override {
        if (Unwritable.contains(path))
            return false;
        Files[path] = data;
        return true;
    }
    bool Copy(const std::string& from, const std::string& to) override {
        auto data = Read(from);
        return data && Write(to, *data);
    }
    bool Delete(const std::string& path) override { return Files.erase(path) > 0; }
    std::optional<std::vector<std::string>> FileNames(const std::string& folder) override {
        if (Unlistable.contains(folder))
            return std::nullopt;
        return Folders[folder];
    }
    bool FolderWritable(const std::string& folder) override {
        return !ReadOnlyFolders.contains(folder);
    }
};

class TFakeStore : public TUserStore {
public:
    bool Present = false, Organisation = false, BackupWorks = true;
    std::map<std::string, std::map<std::string, std::string>> Data;
    int Backups = 0;

    bool Exists() override { return Present; }
    bool OrganisationExists() override { return Organisation; }
    void Create() override { Present = Organisation = true; }
    std::optional<std::string> Value(const std::string& section, const std::string& key) override {
        auto s = Data.find(section);
        if (s == Data.end() || !s->second.contains(key))
            return std::nullopt;
        return s->second.at(key);
    }
    void ClearSection(const std::string& section) override { Data.erase(section); }
    void SetValue(const std::string& section, const std::string& key,
                  const std::string& value) override {
        Data[section][key] = value;
    }
    void Flush() override {}
    std::string Location() override { return "store"; }
    std::string Backup() override {
        ++Backups;
        return BackupWorks ? "store.bak" : "";
    }
};

class TFakeBoxes : public TMessageBoxes {
public:
    std::vector<TMsgResult> Answers;
    std::vector<std::string> Asked;
    TMsgResult Show(TMsgKind, const std::string& text, TMsgButtons buttons) override {
        Asked.push_back(text);
        if (!Answers.empty()) {
            TMsgResult r = Answers.front();
            Answers.erase(Answers.begin());
            return r;
        }
        return buttons == TMsgButtons::YesNo ? TMsgResult::No : TMsgResult::Ok;
    }
};

inline const std::string ExeDir = "/app";
inline const std::string IniPath = "/app/GLIMRA4.INI";
inline const std::string ModuleDir = "/app/Module";

struct TFakePlatform {
    TFakeFiles Files;
    TFakeStore Store;
    TFakeBoxes Boxes;
    int Beeps = 0;

    std::unique_ptr<TRegWork> Make(int width = 1024, int height = 768) {
        return std::make_unique<TRegWork>(
            ExeDir + "/", width, height, TFontData{"Sans", clRed, 10},
            TRegWorkPlatform{Files, Store, Boxes, [this] { ++Beeps; }});
    }
    std::unique_ptr<TRegWork> Loaded(int width = 1024, int height = 768) {
        auto reg = Make(width, height);
        reg->Load();
        return reg;
    }
};

} // namespace glimra::testing
