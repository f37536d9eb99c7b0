#include "setup/safe_files.h"

#include "common/text_utils.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace glimra {
namespace {

class TFd {
public:
    explicit TFd(int fd = -1) : fd_(fd) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() {
        if (fd_ >= 0)
            close(fd_);
    }
    int Get() const { return fd_; }
    void Reset(int fd) {
        int err = errno;
        if (fd_ >= 0)
            close(fd_);
        fd_ = fd;
        errno = err;
    }

private:
    int fd_;
};

// The names of an absolute path, empty ones skipped.
std::vector<std::string> Names(const std::string& path) {
    std::vector<std::string> names = SplitText(path, '/');
    std::erase(names, std::string());
    return names;
}

// Opens the folder that holds path without following any link; name gets the last name.
bool OpenParent(const std::string& path, TFd& dir, std::string& name) {
    std::vector<std::string> names = Names(path);
    if (path.empty() || path.front() != '/' || names.empty()) {
        errno = EINVAL;
        return false;
    }
    name = names.back();
    names.pop_back();
    dir.Reset(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (const std::string& folder : names) {
        if (dir.Get() < 0 || folder == "..")
            return false;
        dir.Reset(openat(dir.Get(), folder.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return dir.Get() >= 0 && name != "..";
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string TempSuffix() {
    static std::mt19937_64 random{std::random_device{}()};
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix = ".";
    for (int i = 0; i < 8; ++i)
        suffix += digits[random() % (sizeof(digits) - 1)];
    return suffix + ".part";
}

} // namespace

TEntryKind NoFollowKind(const std::string& path) {
    TFd dir;
    std::string name;
    if (!OpenParent(path, dir, name))
        return errno == ENOENT ? TEntryKind::Missing : TEntryKind::Other;
    struct stat st {};
    if (fstatat(dir.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? TEntryKind::Missing : TEntryKind::Other;
    return S_ISREG(st.st_mode)   ? TEntryKind::File
           : S_ISDIR(st.st_mode) ? TEntryKind::Folder
                                 : TEntryKind::Other;
}

std::optional<std::string> NoFollowRead(const std::string& path) {
    TFd dir;
    std::string name;
    if (!OpenParent(path, dir, name))
        return std::nullopt;
    TFd file(openat(dir.Get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.Get() < 0 || fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(file.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return bytes;
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

std::optional<std::vector<std::string>> NoFollowEntries(const std::string& folder) {
    TFd dir;
    std::string name;
    if (!OpenParent(folder, dir, name))
        return std::nullopt;
    int fd = openat(dir.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* stream = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!stream) {
        if (fd >= 0)
            close(fd);
        return std::nullopt;
    }
    std::vector<std::string> entries;
    while (dirent* entry = readdir(stream)) {
        std::string entryName = entry->d_name;
        if (entryName != "." && entryName != "..")
            entries.push_back(entryName);
    }
    closedir(stream);
    return entries;
}

bool NoFollowWrite(const std::string& path, const std::string& bytes, mode_t mode) {
    TFd dir;
    std::string name;
    if (!OpenParent(path, dir, name))
        return false;
    std::string temp;
    TFd file;
    for (int attempt = 0; attempt < 16 && file.Get() < 0; ++attempt) {
        temp = "." + name + TempSuffix();
        file.Reset(openat(dir.Get(), temp.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.Get() < 0 && errno != EEXIST)
            return false;
    }
    if (file.Get() < 0)
        return false;
    bool written =
        WriteAll(file.Get(), bytes) && fchmod(file.Get(), mode) == 0 && fsync(file.Get()) == 0;
    file.Reset(-1);
    if (written && renameat(dir.Get(), temp.c_str(), dir.Get(), name.c_str()) == 0)
        return true;
    unlinkat(dir.Get(), temp.c_str(), 0);
    return false;
}

bool NoFollowDelete(const std::string& path) {
    TFd dir;
    std::string name;
    struct stat st {};
    return OpenParent(path, dir, name) &&
           fstatat(dir.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           !S_ISDIR(st.st_mode) && unlinkat(dir.Get(), name.c_str(), 0) == 0;
}

bool NoFollowRemoveFolder(const std::string& path) {
    TFd dir;
    std::string name;
    return OpenParent(path, dir, name) && unlinkat(dir.Get(), name.c_str(), AT_REMOVEDIR) == 0;
}

bool CreateFolderChain(const std::string& path, std::vector<std::string>& made) {
    if (path.empty() || path.front() != '/')
        return false;
    TFd dir(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    std::string sofar;
    for (const std::string& name : Names(path)) {
        sofar += "/" + name;
        if (dir.Get() < 0)
            return false;
        int next = openat(dir.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (next < 0 && errno == ENOENT) {
            if (mkdirat(dir.Get(), name.c_str(), 0700) != 0)
                return false;
            made.push_back(sofar);
            next = openat(dir.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            // Readable by everyone the install is for, whatever the umask says.
            if (next >= 0 && fchmod(next, 0755) != 0) {
                close(next);
                return false;
            }
        }
        dir.Reset(next);
    }
    return dir.Get() >= 0;
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

} // namespace glimra
