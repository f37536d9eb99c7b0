#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace glimra {

// A file's last write at full resolution together with its size: two writes in the
// same second still differ.
struct TFileStamp {
    std::int64_t MTimeNs = 0;
    std::int64_t Size = 0;
    bool operator==(const TFileStamp&) const = default;
};

enum class TReadResult { Ok, Locked, Failed };

// A regular file open for reading, for reads in pieces. Opening fails under the same
// rules as ReadWholeFile.
class TOpenFile {
public:
    static TReadResult Open(const std::string& path, std::shared_ptr<TOpenFile>& out);
    ~TOpenFile();
    TOpenFile(const TOpenFile&) = delete;
    TOpenFile& operator=(const TOpenFile&) = delete;
    // The size now.
    std::int64_t Size() const;
    // Reads up to n bytes at offset into to: the count, 0 at the end, -1 on failure.
    // Safe from any one thread at a time.
    std::int64_t ReadAt(std::int64_t offset, char* to, std::size_t n);

private:
    TOpenFile(int fd, std::string path) : Fd(fd), Path(std::move(path)) {}
    int Fd;
    std::string Path;
};

// Reads a regular file whole. Fails while another process holds an exclusive flock or
// a POSIX write lock on it (a writer that locks nothing does not block reading).
TReadResult ReadWholeFile(const std::string& path, std::string& out);
// Reads from offset to the end, under the same rules.
TReadResult ReadFileFrom(const std::string& path, std::int64_t offset, std::string& out);

// The stamp of the file itself when it exists under exactly this name; otherwise of
// the entry in its folder whose name equals the file's name ignoring case (a whole
// folder search: directories are skipped, the last match wins); none when nothing matches.
std::optional<TFileStamp> FindFileStamp(const std::string& path);

bool FileExists(const std::string& path);
// Writes a temporary file beside the target and renames it over the target, so a
// failure leaves the old file as it was.
bool SaveFileAtomically(const std::string& path, std::string_view bytes);
// The same for bytes made in pieces: write is called with a sink that takes each
// piece in turn and says whether it was written; write returns false to give up.
bool SaveFileAtomically(
    const std::string& path,
    const std::function<bool(const std::function<bool(std::string_view)>&)>& write);

// Tests make reads fail: the hook gets the path and returns an errno to fail with, or 0.
void SetReadFailureHook(std::function<int(const std::string&)> hook);
// Tests make writes of SaveFileAtomically fail once the file is open: the hook gets
// the path and returns an errno to fail with, or 0.
void SetWriteFailureHook(std::function<int(const std::string&)> hook);
// Tests act between a read and what follows it (a write landing just after the read):
// the hook gets the path once a read has succeeded, before the read function returns.
void SetAfterReadHook(std::function<void(const std::string&)> hook);

// Tests hold a read up: the hook gets the path and offset before each piece is read,
// on whichever thread reads it.
void SetReadPieceHook(std::function<void(const std::string&, std::int64_t)> hook);
// Tests make a piece read of an open file fail (a disk error): the hook gets the path
// and offset and returns an errno to fail with, or 0.
void SetReadPieceFailureHook(std::function<int(const std::string&, std::int64_t)> hook);

// The folder part of a path with its trailing separator ("" when there is none), and
// the name part.
std::string DirectoryPart(const std::string& path);
std::string FileNamePart(const std::string& path);

} // namespace glimra
