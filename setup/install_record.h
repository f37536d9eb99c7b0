#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimra {

inline constexpr const char* InstallRecordName = "uninst.dat";

// What uninst.dat holds, in the order it is written. Every path is absolute and
// normalised. Hashes maps each file setup wrote to the hash of what it wrote; a listed
// file without a hash was there before and is not setup's to delete.
struct TInstallRecord {
    std::vector<std::string> ApplicationFiles;
    std::vector<std::string> Shortcuts;
    bool StoreExisted = false;
    std::vector<std::string> CreatedFolders;
    std::map<std::string, std::string> Hashes;

    bool Empty() const {
        return ApplicationFiles.empty() && Shortcuts.empty() && CreatedFolders.empty();
    }
};

std::string InstallRecordText(const TInstallRecord& record);
// Reads what InstallRecordText wrote; nullopt when a section is missing or out of order,
// or a path is relative, not normalised or holds a control character.
std::optional<TInstallRecord> ParseInstallRecord(const std::string& text);
// A second install adds to the first: lists keep the first's order, the later run's
// hashes win, and whether the settings folder existed is the first run's answer.
TInstallRecord MergeInstallRecords(const TInstallRecord& earlier, const TInstallRecord& later);

// Lines of a text file: LF or CR LF, no extra empty line after a final break.
std::vector<std::string> TextLines(const std::string& text);

// 64-bit FNV-1a as 16 hex digits: tells a file setup wrote from one changed since.
std::string ContentHash(std::string_view bytes);

bool HasControlCharacter(std::string_view text);
// A folder as typed made absolute: "~" is home, a relative path is taken against the
// working folder, "." and ".." and doubled or trailing separators go. nullopt for an
// empty name or one with a control character.
std::optional<std::string> NormalInstallPath(const std::string& typed,
                                             const std::string& workingFolder,
                                             const std::string& home);
// True when path lies strictly below folder.
bool PathInside(const std::string& path, const std::string& folder);
std::string ParentPath(const std::string& path);

} // namespace glimra
