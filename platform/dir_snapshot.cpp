#include "platform/dir_snapshot.h"

#include "platform/dir_watch.h"

namespace glimra {
namespace {

bool NameChangeCounts(const TDirEntryStamp& e, std::uint32_t mask) {
    return (mask & (e.IsDirectory ? kNotifyDirName : kNotifyFileName)) != 0;
}

bool EntryChanged(const TDirEntryStamp& a, const TDirEntryStamp& b, std::uint32_t mask) {
    if (a.IsDirectory != b.IsDirectory)
        return NameChangeCounts(a, mask) || NameChangeCounts(b, mask);
    if ((mask & kNotifyWrites) && (a.Size != b.Size || a.WriteTimeNs != b.WriteTimeNs))
        return true;
    return (mask & kNotifyAttributeChanges) && (a.Mode != b.Mode || a.Owner != b.Owner);
}

} // namespace

bool SnapshotChanged(const TDirSnapshot& before, const TDirSnapshot& after,
                     std::uint32_t changeMask) {
    if (before.State != after.State)
        return true;
    auto a = before.Entries.begin();
    auto b = after.Entries.begin();
    while (a != before.Entries.end() || b != after.Entries.end()) {
        if (b == after.Entries.end() || (a != before.Entries.end() && a->Name < b->Name)) {
            if (NameChangeCounts(*a++, changeMask))
                return true;
        } else if (a == before.Entries.end() || b->Name < a->Name) {
            if (NameChangeCounts(*b++, changeMask))
                return true;
        } else if (EntryChanged(*a++, *b++, changeMask)) {
            return true;
        }
    }
    return false;
}

} // namespace glimra
