#include "platform/file_access.h"

#include "common/text_utils.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
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
std::function<void(const std::string&, std::int64_t)> readPieceHook;
std::function<int(const std::string&, std::int64_t)> readPieceFailureHook;

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

void SetReadPieceHook(std::function<void(const std::string&, std::int64_t)> hook) {
    readPieceHook = std::move(hook);
}

void SetReadPieceFailureHook(std::function<int(const std::string&, std::int64_t)> hook) {
    readPieceFailureHook = std::move(hook);
}

void SetWriteFailureHook(std::function<int(const std::string&)> hook) {
    writeFailureHook = std::move(hook);
}

TReadResult TOpenFile::Open(const std::string& path, std::shared_ptr<TOpenFile>& out) {
    out.reset();
    // Non-blocking so a FIFO given as the file cannot hang the window.
    TFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.Fd < 0 || fstat(file.Fd, &st) != 0 || !S_ISREG(st.st_mode))
        return TReadResult::Failed;
    if (HeldByWriter(file.Fd))
        return TReadResult::Locked;
    if (readFailureHook && readFailureHook(path) != 0)
        return TReadResult::Failed;
    out.reset(new TOpenFile(file.Fd, path));
    file.Fd = -1;
    return TReadResult::Ok;
}

TOpenFile::~TOpenFile() {
    ::close(Fd);
}

std::int64_t TOpenFile::Size() const {
    struct stat st {};
    return fstat(Fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

std::int64_t TOpenFile::ReadAt(std::int64_t offset, char* to, std::size_t n) {
    if (readPieceHook)
        readPieceHook(Path, offset);
    if (readPieceFailureHook)
        if (const int error = readPieceFailureHook(Path, offset)) {
            errno = error;
            return -1;
        }
    for (;;) {
        ssize_t got = ::pread(Fd, to, n, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0 && afterReadHook)
            afterReadHook(Path);
        return got < 0 ? -1 : static_cast<std::int64_t>(got);
    }
}

TReadResult ReadFileFrom(const std::string& path, std::int64_t offset, std::string& out) {
    out.clear();
    std::shared_ptr<TOpenFile> file;
    if (TReadResult result = TOpenFile::Open(path, file); result != TReadResult::Ok)
        return result;
    try {
        // Read straight into the string's own memory: no second copy.
        std::int64_t size = file->Size();
        out.resize(static_cast<std::size_t>(std::max<std::int64_t>(size - offset, 0)));
        std::size_t have = 0;
        for (;;) {
            if (have == out.size())
                out.resize(have + (1 << 16));
            std::int64_t got = file->ReadAt(offset + static_cast<std::int64_t>(have),
                                            out.data() + have, out.size() - have);
            if (got < 0)
                return TReadResult::Failed;
            if (got == 0)
                break;
            have += static_cast<std::size_t>(got);
        }
        out.resize(have);
    } catch (const std::bad_alloc&) {
        out.clear();
        out.shrink_to_fit();
        return TReadResult::Failed;
    }
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
    return SaveFileAtomically(
        path, [bytes](const std::function<bool(std::string_view)>& sink) { return sink(bytes); });
}

bool SaveFileAtomically(
    const std::string& path,
    const std::function<bool(const std::function<bool(std::string_view)>&)>& write) {
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The hook fails the write after the open, where a write in place would
    // already have cut the old file short.
    const bool written = !(writeFailureHook && writeFailureHook(path) != 0) &&
                         write([&file](std::string_view piece) {
                             return file.write(piece.data(), static_cast<qint64>(piece.size())) ==
                                    static_cast<qint64>(piece.size());
                         });
    if (!written) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace glimra
