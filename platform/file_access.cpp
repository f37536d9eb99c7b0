#include "platform/file_access.h"

#include "common/text_utils.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glimra {
namespace {

std::function<int(const std::string&)> readFailureHook;
std::function<void(const std::string&)> afterReadHook;
std::function<int(const std::string&)> writeFailureHook;

bool HeldByWriter(int fd) {
    if (flock(fd, LOCK_SH | LOCK_NB) != 0)
        return errno == EWOULDBLOCK;
    flock(fd, LOCK_UN);
    struct flock probe {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    return fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

TFileStamp StampOf(const struct stat& st) {
    return {static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            static_cast<std::int64_t>(st.st_size)};
}

// Reads the whole folder: the last entry whose upper-cased name is wanted wins.
std::optional<TFileStamp> FindStampIgnoringCase(const std::string& dir, const std::string& wanted) {
    std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(dir.empty() ? "." : dir.c_str()), &closedir);
    if (!d)
        return std::nullopt;
    std::optional<TFileStamp> found;
    while (const dirent* e = readdir(d.get())) {
        struct stat st {};
        if (UpperAscii(e->d_name) == wanted && fstatat(dirfd(d.get()), e->d_name, &st, 0) == 0 &&
            !S_ISDIR(st.st_mode))
            found = StampOf(st);
    }
    return found;
}

class TFd {
public:
    explicit TFd(int fd) : Fd(fd) {}
    ~TFd() {
        if (Fd >= 0)
            ::close(Fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Fd;
};

} // namespace

void SetReadFailureHook(std::function<int(const std::string&)> hook) {
    readFailureHook = std::move(hook);
}

void SetAfterReadHook(std::function<void(const std::string&)> hook) {
    afterReadHook = std::move(hook);
}

void SetWriteFailureHook(std::function<int(const std::string&)> hook) {
    writeFailureHook = std::move(hook);
}

TReadResult ReadFileFrom(const std::string& path, std::int64_t offset, std::string& out) {
    out.clear();
    // Non-blocking so a FIFO given as the file cannot hang the window.
    TFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.Fd < 0 || fstat(file.Fd, &st) != 0 || !S_ISREG(st.st_mode))
        return TReadResult::Failed;
    if (HeldByWriter(file.Fd))
        return TReadResult::Locked;
    if (readFailureHook && readFailureHook(path) != 0)
        return TReadResult::Failed;
    try {
        if (st.st_size > offset)
            out.reserve(static_cast<std::size_t>(st.st_size - offset));
        char buffer[1 << 16];
        for (std::int64_t at = offset;;) {
            ssize_t n = ::pread(file.Fd, buffer, sizeof buffer, at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return TReadResult::Failed;
            if (n == 0)
                break;
            out.append(buffer, static_cast<std::size_t>(n));
            at += n;
        }
    } catch (const std::bad_alloc&) {
        out.clear();
        out.shrink_to_fit();
        return TReadResult::Failed;
    }
    if (afterReadHook)
        afterReadHook(path);
    return TReadResult::Ok;
}

TReadResult ReadWholeFile(const std::string& path, std::string& out) {
    return ReadFileFrom(path, 0, out);
}

std::string DirectoryPart(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNamePart(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<TFileStamp> FindFileStamp(const std::string& path) {
    const std::string name = FileNamePart(path);
    if (name.empty())
        return std::nullopt;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        return StampOf(st);
    return FindStampIgnoringCase(DirectoryPart(path), UpperAscii(name));
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool SaveFileAtomically(const std::string& path, std::string_view bytes) {
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The hook fails the write after the open, where a write in place would
    // already have cut the old file short.
    if ((writeFailureHook && writeFailureHook(path) != 0) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace glimra
