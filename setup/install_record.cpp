#include "setup/install_record.h"

#include "common/text_utils.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

namespace glimra {
namespace {

const char* const AppSection = "[APPLICATION FILES]";
const char* const ShortcutSection = "[SHORTCUT FILES]";
const char* const InfoSection = "[UNINSTALL INFO]";
const char* const FolderSection = "[DIRECTORIES]";
const char* const HashSection = "[FILE HASHES]";
constexpr size_t HashDigits = 16;

bool IsSectionLine(const std::string& line) {
    return line.size() > 1 && line.front() == '[' && line.back() == ']';
}

bool IsNormalAbsolute(const std::string& path) {
    return !path.empty() && path.front() == '/' && NormalInstallPath(path, "/", "/") == path;
}

void AddMissing(std::vector<std::string>& into, const std::vector<std::string>& from) {
    for (const std::string& item : from)
        if (std::find(into.begin(), into.end(), item) == into.end())
            into.push_back(item);
}

} // namespace

std::string InstallRecordText(const TInstallRecord& record) {
    std::string text = std::string(AppSection) + "\n";
    for (const std::string& line : record.ApplicationFiles)
        text += line + "\n";
    text += std::string(ShortcutSection) + "\n";
    for (const std::string& line : record.Shortcuts)
        text += line + "\n";
    text += std::string(InfoSection) + "\n" + YesNoText(record.StoreExisted) + "\n";
    if (!record.CreatedFolders.empty()) {
        text += std::string(FolderSection) + "\n";
        for (const std::string& line : record.CreatedFolders)
            text += line + "\n";
    }
    if (!record.Hashes.empty()) {
        text += std::string(HashSection) + "\n";
        for (const auto& [path, hash] : record.Hashes)
            text += hash + " " + path + "\n";
    }
    return text;
}

std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines = SplitText(text, '\n');
    for (std::string& line : lines)
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    return lines;
}

std::optional<TInstallRecord> ParseInstallRecord(const std::string& text) {
    std::vector<std::string> lines = TextLines(text);
    TInstallRecord record;
    size_t i = 0;
    auto section = [&](const char* name, std::vector<std::string>& into) {
        if (i >= lines.size() || lines[i] != name)
            return false;
        for (++i; i < lines.size() && !IsSectionLine(lines[i]); ++i)
            into.push_back(lines[i]);
        return true;
    };
    std::vector<std::string> info, hashLines;
    if (!section(AppSection, record.ApplicationFiles) ||
        !section(ShortcutSection, record.Shortcuts) || !section(InfoSection, info) ||
        info.size() != 1 || (info[0] != "TRUE" && info[0] != "FALSE"))
        return std::nullopt;
    record.StoreExisted = info[0] == "TRUE";
    section(FolderSection, record.CreatedFolders);
    section(HashSection, hashLines);
    if (i != lines.size())
        return std::nullopt;
    for (const auto* list : {&record.ApplicationFiles, &record.Shortcuts, &record.CreatedFolders})
        if (!std::all_of(list->begin(), list->end(), IsNormalAbsolute))
            return std::nullopt;
    for (const std::string& line : hashLines) {
        std::string path = line.size() > HashDigits ? line.substr(HashDigits + 1) : "";
        bool listed =
            std::count(record.ApplicationFiles.begin(), record.ApplicationFiles.end(), path) +
                std::count(record.Shortcuts.begin(), record.Shortcuts.end(), path) >
            0;
        if (!listed || line[HashDigits] != ' ')
            return std::nullopt;
        record.Hashes[path] = line.substr(0, HashDigits);
    }
    return record;
}

TInstallRecord MergeInstallRecords(const TInstallRecord& earlier, const TInstallRecord& later) {
    TInstallRecord merged = earlier;
    AddMissing(merged.ApplicationFiles, later.ApplicationFiles);
    AddMissing(merged.Shortcuts, later.Shortcuts);
    AddMissing(merged.CreatedFolders, later.CreatedFolders);
    // A file the later run listed without a hash was replaced on request: no longer setup's.
    for (const auto* list : {&later.ApplicationFiles, &later.Shortcuts})
        for (const std::string& path : *list)
            merged.Hashes.erase(path);
    for (const auto& [path, hash] : later.Hashes)
        merged.Hashes[path] = hash;
    return merged;
}

std::string ContentHash(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes)
        hash = (hash ^ c) * 1099511628211ull;
    std::string hex(HashDigits, '0');
    for (size_t i = HashDigits; i-- > 0; hash >>= 4)
        hex[i] = "0123456789abcdef"[hash & 15];
    return hex;
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

std::optional<std::string> NormalInstallPath(const std::string& typed,
                                             const std::string& workingFolder,
                                             const std::string& home) {
    if (typed.empty() || HasControlCharacter(typed))
        return std::nullopt;
    std::string path = typed;
    if (path == "~" || path.rfind("~/", 0) == 0)
        path = home + path.substr(1);
    if (path.front() != '/')
        path = workingFolder + "/" + path;
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    if (normal.empty() || normal.front() != '/' || HasControlCharacter(normal))
        return std::nullopt;
    return normal;
}

bool PathInside(const std::string& path, const std::string& folder) {
    if (folder == "/")
        return path.size() > 1 && path.front() == '/';
    return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

std::string ParentPath(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace glimra
