#pragma once
#include "viewer/grow_buffer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace glimra {

// Reads up to n bytes at offset into to: the count, 0 at the end, -1 on failure.
using TReadAt = std::function<std::int64_t(std::int64_t offset, char* to, std::size_t n)>;

// The bytes of a store without a copy of them: a file's bytes are read back on demand
// from the file kept open, through a bounded cache of fixed blocks. Every block's
// hash is taken as it is added, and a block read back is checked against it, so that
// bytes changed in place are found instead of shown. Bytes that come from no file
// (text set by the window, its messages) are kept in memory after the file's.
//
// Not thread-safe: the store calls it under its own lock.
class TBlockSource {
public:
    static constexpr std::size_t BlockSize = 64u << 10;
    // The cache never holds more than this; a line read across blocks is assembled
    // in a buffer of its own, at most as long as a line is ever read.
    static constexpr std::size_t CacheLimit = 32u << 20;

    enum class TFault {
        None,
        Changed,    // a block read back is not what was indexed
        Unreadable, // a block could not be read back
    };

    std::size_t Size() const { return Bytes; }
    // Adds bytes at the end. inFile: the file holds them at the same offset, and they
    // are not kept; keep: full blocks go into the cache, for a reader about to come.
    void Append(std::string_view bytes, bool inFile, bool keep);
    // The file holds the same bytes as the source (the caller checked their hashes):
    // all are read from it from now on.
    void UseFile(TReadAt read);
    // Cuts the bytes back to size. The block that keeps a part is read back and checked
    // to rehash that part; false when that fails (Fault tells how and where).
    bool Cut(std::size_t size);
    void Clear();

    // The bytes [from, from + n), valid until the next call. Empty when a block cannot
    // be read back or differs from what was indexed; Fault tells which.
    std::string_view View(std::size_t from, std::size_t n);
    TFault Fault() const { return Faulted; }
    // The first block found faulty.
    std::size_t FaultBlock() const { return FaultAt; }
    void ClearFault();

    // Hash of each block as it was added; the last block may be partial.
    std::size_t BlockCount() const { return Hashes.size() + (Tail.empty() ? 0 : 1); }
    std::uint64_t BlockHash(std::size_t block) const;
    // The bytes of the last partial block, held in memory (less than a block).
    std::size_t TailStart() const { return Hashes.size() * BlockSize; }
    char LastByte() const { return Last; }

    // Reads n bytes at offset, going on after short reads: the count (less at the end),
    // -1 on failure. The one way bytes come in from a file.
    static std::int64_t ReadRaw(const TReadAt& read, std::size_t offset, char* to, std::size_t n);
    static std::uint64_t Hash(const char* bytes, std::size_t n);

    std::size_t MemoryBytes() const;
    // Blocks read back from the file since the start. For the tests.
    std::size_t BlocksRead() const { return Reads; }

private:
    struct TSlot {
        std::size_t Block = SIZE_MAX;
        std::uint64_t Used = 0;
        std::unique_ptr<char[]> Data;
    };
    // A full block, from the cache or read and checked; nullptr on a fault.
    const char* FullBlock(std::size_t block);
    TSlot& FreeSlot();
    // Hashes the next full block, and caches it when keep.
    void AddBlock(const char* bytes, bool keep);
    void Forget(std::size_t fromBlock);
    // Reads the content's bytes from where they live: the file up to FileEnd, then memory.
    std::int64_t ReadContent(std::size_t offset, char* to, std::size_t n) const;
    void SetFault(TFault fault, std::size_t block);

    TReadAt File;
    std::size_t FileEnd = 0;           // bytes before it are read from the file
    TGrowBuffer<char> Memory;          // bytes from FileEnd on
    std::size_t Bytes = 0;             // the content's size
    std::vector<std::uint64_t> Hashes; // of each full block
    std::string Tail;                  // the last partial block
    char Last = 0;

    std::vector<TSlot> Slots;
    std::unordered_map<std::size_t, std::size_t> Where; // block -> slot
    std::uint64_t Clock = 0;
    std::size_t HotBlock = SIZE_MAX; // the block read last, and where it is
    const char* HotData = nullptr;
    std::string Scratch; // a range across blocks
    std::size_t ScratchFrom = 0, ScratchSize = 0;
    bool ScratchValid = false;

    TFault Faulted = TFault::None;
    std::size_t FaultAt = SIZE_MAX;
    std::size_t Reads = 0;
};

} // namespace glimra
