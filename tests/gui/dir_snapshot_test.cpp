#include "platform/dir_snapshot.h"
#include "platform/dir_watch.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

TDirEntryStamp File(std::string name, std::int64_t size = 10, std::int64_t time = 100) {
    return {std::move(name), false, size, time, 0644, 0};
}

TDirEntryStamp Dir(std::string name) {
    return {std::move(name), true, 4096, 100, 0755, 0};
}

TDirSnapshot Listed(std::vector<TDirEntryStamp> entries) {
    return {TDirState::Listed, std::move(entries)};
}

TEST(SnapshotChanged, NameChangesCountByEntryKind) {
    const TDirSnapshot before = Listed({File("a.log"), File("c.log")});
    const TDirSnapshot fileAdded = Listed({File("a.log"), File("b.log"), File("c.log")});
    const TDirSnapshot fileGone = Listed({File("a.log")});
    const TDirSnapshot dirAdded = Listed({File("a.log"), Dir("b"), File("c.log")});

    EXPECT_TRUE(SnapshotChanged(before, fileAdded, kNotifyFileName));
    EXPECT_TRUE(SnapshotChanged(before, fileGone, kNotifyFileName));
    EXPECT_TRUE(SnapshotChanged(fileAdded, before, kNotifyFileName));
    EXPECT_FALSE(SnapshotChanged(before, fileAdded, kNotifyDirName | kNotifySize));
    EXPECT_TRUE(SnapshotChanged(before, dirAdded, kNotifyDirName));
    EXPECT_FALSE(SnapshotChanged(before, dirAdded, kNotifyFileName));
    // A file replaced by a directory of the same name is a name change of both kinds.
    EXPECT_TRUE(SnapshotChanged(Listed({File("x")}), Listed({Dir("x")}), kNotifyFileName));
    EXPECT_TRUE(SnapshotChanged(Listed({File("x")}), Listed({Dir("x")}), kNotifyDirName));
}

// As with inotify: a write (new size or time) counts for the size and
// last-write flags, a mode or owner change for the attribute and security flags.
TEST(SnapshotChanged, WritesAndAttributeChangesCountForTheirFlagsOnly) {
    const TDirSnapshot before = Listed({File("a.log", 10, 100)});
    const TDirSnapshot grown = Listed({File("a.log", 20, 101)});
    const TDirSnapshot touched = Listed({File("a.log", 10, 101)});
    TDirSnapshot chmodded = before;
    chmodded.Entries[0].Mode = 0600;
    TDirSnapshot chowned = before;
    chowned.Entries[0].Owner = 1;

    for (const std::uint32_t flag : {kNotifySize, kNotifyLastWrite}) {
        EXPECT_TRUE(SnapshotChanged(before, grown, flag)) << flag;
        EXPECT_TRUE(SnapshotChanged(before, touched, flag)) << flag;
        EXPECT_FALSE(SnapshotChanged(before, chmodded, flag)) << flag;
        EXPECT_FALSE(SnapshotChanged(before, chowned, flag)) << flag;
    }
    for (const std::uint32_t flag : {kNotifyAttributes, kNotifySecurity}) {
        EXPECT_FALSE(SnapshotChanged(before, grown, flag)) << flag;
        EXPECT_FALSE(SnapshotChanged(before, touched, flag)) << flag;
        EXPECT_TRUE(SnapshotChanged(before, chmodded, flag)) << flag;
        EXPECT_TRUE(SnapshotChanged(before, chowned, flag)) << flag;
    }
    for (const TDirSnapshot& after : {grown, touched, chmodded, chowned})
        EXPECT_FALSE(SnapshotChanged(before, after, kNotifyFileName | kNotifyDirName));
    EXPECT_FALSE(SnapshotChanged(before, before, 0x11f));
}

TEST(SnapshotChanged, DirectoryStateChangesAlwaysCount) {
    const TDirSnapshot missing;
    const TDirSnapshot unreadable{TDirState::Unreadable, {}};
    const TDirSnapshot empty = Listed({});
    EXPECT_TRUE(SnapshotChanged(empty, missing, 0));
    EXPECT_TRUE(SnapshotChanged(missing, empty, 0));
    EXPECT_TRUE(SnapshotChanged(empty, unreadable, 0));
    EXPECT_FALSE(SnapshotChanged(missing, missing, 0x11f));
}

} // namespace
} // namespace glimra
