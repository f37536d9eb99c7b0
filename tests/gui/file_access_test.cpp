#include "gui_test_util.h"
#include "platform/file_access.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace glimra {
namespace {

// Holds a lock on path in a child process until the returned pipe is closed.
struct TLockHolder {
    pid_t Pid = -1;
    int Release = -1;
    TLockHolder(const std::string& path, bool posixWriteLock) {
        int ready[2], release[2];
        EXPECT_EQ(pipe(ready), 0);
        EXPECT_EQ(pipe(release), 0);
        Pid = fork();
        if (Pid == 0) {
            close(release[1]);
            int fd = ::open(path.c_str(), O_RDWR);
            struct flock lk {};
            lk.l_type = F_WRLCK;
            lk.l_whence = SEEK_SET;
            bool ok = posixWriteLock ? fcntl(fd, F_SETLK, &lk) == 0 : flock(fd, LOCK_EX) == 0;
            char c = ok ? '1' : '0';
            (void)!write(ready[1], &c, 1);
            (void)!read(release[0], &c, 1);
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        char c = 0;
        EXPECT_EQ(read(ready[0], &c, 1), 1);
        EXPECT_EQ(c, '1');
        close(ready[0]);
        Release = release[1];
    }
    ~TLockHolder() {
        close(Release);
        waitpid(Pid, nullptr, 0);
    }
};

} // namespace

TEST(FileAccess, LockingWritersBlockReadingOthersDoNot) {
    TTestFolder folder;
    std::string path = folder.Write("locked.log", "data\n");
    std::string out;
    {
        TLockHolder holder(path, false);
        EXPECT_EQ(ReadWholeFile(path, out), TReadResult::Locked);
    }
    {
        TLockHolder holder(path, true);
        EXPECT_EQ(ReadWholeFile(path, out), TReadResult::Locked);
    }
    // A writer that only keeps the file open does not stop a read.
    int writer = ::open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(writer, 0);
    EXPECT_EQ(ReadWholeFile(path, out), TReadResult::Ok);
    EXPECT_EQ(out, "data\n");
    close(writer);
}

TEST(FileAccess, ReadsFailSafelyOnWhatIsNoRegularFile) {
    TTestFolder folder;
    std::string out;
    EXPECT_EQ(ReadWholeFile(folder.Path("missing"), out), TReadResult::Failed);
    EXPECT_EQ(ReadWholeFile(folder.Path(""), out), TReadResult::Failed); // the folder itself
    std::string fifo = folder.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeFile(fifo, out), TReadResult::Failed); // must not hang
    // A file we may not read, or whose read fails; injected, as root reads anything.
    std::string ok = folder.Write("ok", "abc");
    for (int error : {EACCES, EIO}) {
        SetReadFailureHook([&](const std::string& p) { return p == ok ? error : 0; });
        EXPECT_EQ(ReadWholeFile(ok, out), TReadResult::Failed) << error;
    }
    SetReadFailureHook(nullptr);
    EXPECT_EQ(ReadWholeFile(ok, out), TReadResult::Ok);
    EXPECT_EQ(ReadFileFrom(ok, 1, out), TReadResult::Ok);
    EXPECT_EQ(out, "bc");
}

TEST(FileAccess, StampFindsTheEntryIgnoringCaseAndSeesEveryWrite) {
    TTestFolder folder;
    std::string path = folder.Write("App.Log", "1");
    auto first = FindFileStamp(folder.Path("APP.LOG"));
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->Size, 1);
    folder.Write("App.Log", "2");
    auto second = FindFileStamp(path);
    ASSERT_TRUE(second.has_value());
    // Same size, written within the same second: the full-resolution time differs.
    EXPECT_NE(*first, *second);
    EXPECT_FALSE(FindFileStamp(folder.Path("other.log")).has_value());
    mkdir(folder.Path("dir.log").c_str(), 0700);
    EXPECT_FALSE(FindFileStamp(folder.Path("dir.log")).has_value());
    EXPECT_EQ(DirectoryPart("/var/log/syslog"), "/var/log/");
    EXPECT_EQ(FileNamePart("/var/log/syslog"), "syslog");
    EXPECT_EQ(DirectoryPart("syslog"), "");
}

// The exact name is looked up directly; only a name missing as spelled makes the
// folder be searched for another spelling, skipping directories.
TEST(FileAccess, StampOfTheExactNameWinsOverOtherSpellings) {
    TTestFolder folder;
    const std::string upper = folder.Write("APP.LOG", "1");
    const std::string lower = folder.Write("app.log", "12345");
    ASSERT_TRUE(FindFileStamp(upper).has_value());
    EXPECT_EQ(FindFileStamp(upper)->Size, 1);
    ASSERT_TRUE(FindFileStamp(lower).has_value());
    EXPECT_EQ(FindFileStamp(lower)->Size, 5);

    ASSERT_EQ(mkdir(folder.Path("Trace.Log").c_str(), 0700), 0);
    folder.Write("TRACE.LOG", "abc");
    const auto found = FindFileStamp(folder.Path("Trace.Log"));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->Size, 3);
}

TEST(FileAccess, AfterReadHookRunsOnceASuccessfulReadIsDone) {
    TTestFolder folder;
    const std::string path = folder.Write("grows.log", "first\n");
    std::vector<std::string> seen;
    SetAfterReadHook([&](const std::string& p) {
        seen.push_back(p);
        std::ofstream(p, std::ios::app) << "second\n";
    });
    std::string out;
    EXPECT_EQ(ReadWholeFile(path, out), TReadResult::Ok);
    EXPECT_EQ(out, "first\n");
    EXPECT_EQ(TTestFolder::Read(path), "first\nsecond\n");
    SetReadFailureHook([](const std::string&) { return EIO; });
    EXPECT_EQ(ReadWholeFile(path, out), TReadResult::Failed);
    SetReadFailureHook(nullptr);
    SetAfterReadHook(nullptr);
    EXPECT_EQ(seen, std::vector<std::string>{path});
}

TEST(FileAccess, AtomicSaveReplacesWholeOrNothing) {
    TTestFolder folder;
    std::string path = folder.Write("keep.txt", "old");
    EXPECT_TRUE(SaveFileAtomically(path, "new\r\n"));
    EXPECT_EQ(TTestFolder::Read(path), "new\r\n");
    EXPECT_FALSE(SaveFileAtomically(folder.Path("no/such/dir.txt"), "x"));
    EXPECT_FALSE(SaveFileAtomically(folder.Path(""), "x")); // a folder
}

} // namespace glimra
