#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace glimra {

// One directory entry as the polling watch sees it.
struct TDirEntryStamp {
    std::string Name; // relative to the watched directory
    bool IsDirectory = false;
    std::int64_t Size = 0;
    std::int64_t WriteTimeNs = 0;
    std::uint32_t Mode = 0;  // permission and type bits
    std::uint64_t Owner = 0; // user and group
};

enum class TDirState { Missing, Unreadable, Listed };

// The entries of a directory at one moment, sorted by name.
struct TDirSnapshot {
    TDirState State = TDirState::Missing;
    std::vector<TDirEntryStamp> Entries;
};

// Whether the step from before to after contains a change of a kind the change
// mask asks for (kNotify* bits), counted as the inotify watch counts its events.
// A directory that appears, disappears or turns unreadable always counts: the
// file a window shows may be affected.
bool SnapshotChanged(const TDirSnapshot& before, const TDirSnapshot& after,
                     std::uint32_t changeMask);

} // namespace glimra
