#pragma once
#include "setup/install_steps.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace glimra {

// File work in install and launcher folders that never goes through a symbolic link:
// every folder on the way is opened from the root without following one, so paths
// must be real ones. A link on the way makes an entry Other and a change fail.
TEntryKind NoFollowKind(const std::string& path);
std::optional<std::string> NoFollowRead(const std::string& path);
std::optional<std::vector<std::string>> NoFollowEntries(const std::string& folder);
// Writes a new file beside the target (created exclusively) and renames it over the
// target, which is replaced and never written through.
bool NoFollowWrite(const std::string& path, const std::string& bytes, mode_t mode);
bool NoFollowDelete(const std::string& path);
bool NoFollowRemoveFolder(const std::string& path);

// Creates the missing folders of path, with mode 0755 whatever the umask; made gets
// each one, parents first. Existing folders on the way are the user's choice and may
// be links.
bool CreateFolderChain(const std::string& path, std::vector<std::string>& made);
// The path with every link resolved, or the path itself when it does not exist.
std::string RealPath(const std::string& path);

} // namespace glimra
