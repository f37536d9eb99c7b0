#include "viewer/block_source.h"

#include <xxhash.h>

#include <algorithm>
#include <cstring>

namespace glimra {

std::uint64_t TBlockSource::Hash(const char* bytes, std::size_t n) {
    return XXH3_64bits(bytes, n);
}

std::int64_t TBlockSource::ReadRaw(const TReadAt& read, std::size_t offset, char* to,
                                   std::size_t n) {
    std::size_t have = 0;
    while (have < n) {
        const std::int64_t got =
            read ? read(static_cast<std::int64_t>(offset + have), to + have, n - have) : -1;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(have);
}

void TBlockSource::Append(std::string_view bytes, bool inFile, bool keep) {
    if (bytes.empty())
        return;
    // Bytes after some held in memory cannot be read from the file at their offset.
    if (!inFile || FileEnd != Bytes)
        Memory.append(bytes.data(), bytes.size());
    else
        FileEnd += bytes.size();
    Bytes += bytes.size();
    Last = bytes.back();
    ScratchValid = false;
    while (!bytes.empty()) {
        // A whole block in hand is taken from where it lies, not gathered first.
        if (Tail.empty() && bytes.size() >= BlockSize) {
            AddBlock(bytes.data(), keep);
            bytes.remove_prefix(BlockSize);
            continue;
        }
        const std::size_t take = std::min(BlockSize - Tail.size(), bytes.size());
        Tail.append(bytes.data(), take);
        bytes.remove_prefix(take);
        if (Tail.size() < BlockSize)
            break;
        AddBlock(Tail.data(), keep);
        Tail.clear();
    }
}

void TBlockSource::AddBlock(const char* bytes, bool keep) {
    Hashes.push_back(Hash(bytes, BlockSize));
    if (!keep)
        return;
    TSlot& slot = FreeSlot();
    std::memcpy(slot.Data.get(), bytes, BlockSize);
    slot.Block = Hashes.size() - 1;
    Where[slot.Block] = static_cast<std::size_t>(&slot - Slots.data());
}

void TBlockSource::UseFile(TReadAt read) {
    File = std::move(read);
    FileEnd = Bytes;
    Memory.release();
    // The cache keeps its blocks: each was checked against the hash the file matches.
}

bool TBlockSource::Cut(std::size_t size) {
    if (size >= Bytes)
        return true;
    const std::size_t full = size / BlockSize;
    const std::size_t keep = size - full * BlockSize;
    std::string tail;
    char last = 0;
    if (keep > 0) {
        // The part kept of a full block is rehashed from the block, checked first.
        const char* block = full < Hashes.size() ? FullBlock(full) : Tail.data();
        if (!block)
            return false;
        tail.assign(block, keep);
        last = tail.back();
    } else if (full > 0) {
        const char* before = FullBlock(full - 1);
        if (!before)
            return false;
        last = before[BlockSize - 1];
    }
    Tail = std::move(tail);
    Last = last;
    Hashes.resize(full);
    Forget(full);
    if (size < FileEnd) {
        FileEnd = size;
        Memory.release();
    } else {
        Memory.resize(size - FileEnd);
    }
    Bytes = size;
    return true;
}

void TBlockSource::Clear() {
    File = nullptr;
    FileEnd = 0;
    Memory.release();
    Bytes = 0;
    Hashes = {};
    Tail = {};
    Last = 0;
    Slots.clear();
    Where.clear();
    HotBlock = SIZE_MAX;
    Scratch = {};
    ScratchValid = false;
    ClearFault();
}

std::uint64_t TBlockSource::BlockHash(std::size_t block) const {
    return block < Hashes.size() ? Hashes[block] : Hash(Tail.data(), Tail.size());
}

void TBlockSource::ClearFault() {
    Faulted = TFault::None;
    FaultAt = SIZE_MAX;
}

void TBlockSource::SetFault(TFault fault, std::size_t block) {
    if (block < FaultAt || Faulted == TFault::None) {
        FaultAt = std::min(FaultAt, block);
        // A block that cannot be read says more than one that differs.
        if (Faulted != TFault::Unreadable)
            Faulted = fault;
    }
    if (fault == TFault::Unreadable)
        Faulted = fault;
}

std::int64_t TBlockSource::ReadContent(std::size_t offset, char* to, std::size_t n) const {
    std::size_t have = 0;
    if (offset < FileEnd) {
        const std::size_t want = std::min(n, FileEnd - offset);
        const std::int64_t got = ReadRaw(File, offset, to, want);
        if (got < 0)
            return -1;
        have = static_cast<std::size_t>(got);
        if (have < want)
            return static_cast<std::int64_t>(have); // the file is shorter now
    }
    if (have < n && offset + have >= FileEnd) {
        const std::size_t at = offset + have - FileEnd;
        const std::size_t more = std::min(n - have, Memory.size() - std::min(at, Memory.size()));
        if (more)
            std::memcpy(to + have, Memory.data() + at, more);
        have += more;
    }
    return static_cast<std::int64_t>(have);
}

TBlockSource::TSlot& TBlockSource::FreeSlot() {
    HotBlock = SIZE_MAX;
    // A new slot is as young as a reused one: unstamped, it would go first when the
    // cache is full, though the block put in it may not be read yet.
    if (Slots.size() < CacheLimit / BlockSize) {
        Slots.emplace_back();
        Slots.back().Data = std::make_unique<char[]>(BlockSize);
        Slots.back().Used = ++Clock;
        return Slots.back();
    }
    auto oldest = std::min_element(Slots.begin(), Slots.end(),
                                   [](const TSlot& a, const TSlot& b) { return a.Used < b.Used; });
    Where.erase(oldest->Block);
    oldest->Block = SIZE_MAX;
    oldest->Used = ++Clock;
    return *oldest;
}

void TBlockSource::Forget(std::size_t fromBlock) {
    HotBlock = SIZE_MAX;
    for (TSlot& slot : Slots)
        if (slot.Block != SIZE_MAX && slot.Block >= fromBlock) {
            Where.erase(slot.Block);
            slot.Block = SIZE_MAX;
            slot.Used = 0;
        }
    ScratchValid = false;
}

const char* TBlockSource::FullBlock(std::size_t block) {
    // Lines are mostly read in order: many in a row from the same block.
    if (block == HotBlock)
        return HotData;
    if (auto it = Where.find(block); it != Where.end()) {
        TSlot& slot = Slots[it->second];
        slot.Used = ++Clock;
        HotBlock = block;
        HotData = slot.Data.get();
        return HotData;
    }
    TSlot& slot = FreeSlot();
    const std::size_t offset = block * BlockSize;
    const std::int64_t got = ReadContent(offset, slot.Data.get(), BlockSize);
    ++Reads;
    if (got < 0) {
        SetFault(TFault::Unreadable, block);
        return nullptr;
    }
    // Shorter now, or other bytes: the file changed in place since it was indexed.
    if (static_cast<std::size_t>(got) != BlockSize ||
        (offset < FileEnd && Hash(slot.Data.get(), BlockSize) != Hashes[block])) {
        SetFault(TFault::Changed, block);
        return nullptr;
    }
    slot.Block = block;
    slot.Used = ++Clock;
    Where[block] = static_cast<std::size_t>(&slot - Slots.data());
    HotBlock = block;
    HotData = slot.Data.get();
    return HotData;
}

std::string_view TBlockSource::View(std::size_t from, std::size_t n) {
    n = std::min(n, Bytes - std::min(from, Bytes));
    if (n == 0)
        return {};
    const std::size_t first = from / BlockSize, last = (from + n - 1) / BlockSize;
    const auto blockBytes = [this](std::size_t block) -> const char* {
        return block < Hashes.size() ? FullBlock(block) : Tail.data();
    };
    if (first == last) {
        const char* block = blockBytes(first);
        return block ? std::string_view(block + from % BlockSize, n) : std::string_view();
    }
    // A giant line is asked for row by row: it is assembled once.
    if (ScratchValid && ScratchFrom == from && ScratchSize == n)
        return Scratch;
    ScratchValid = false;
    // Exactly the line: a string's growth would double the buffer past the bound.
    if (Scratch.capacity() < n || Scratch.capacity() > 2 * n) {
        std::string fresh;
        fresh.reserve(n);
        Scratch.swap(fresh);
    }
    Scratch.resize(n);
    for (std::size_t block = first, at = 0; block <= last; ++block) {
        const char* bytes = blockBytes(block);
        if (!bytes) {
            Scratch = {};
            return {};
        }
        const std::size_t skip = block == first ? from % BlockSize : 0;
        const std::size_t take = std::min(BlockSize - skip, n - at);
        std::memcpy(Scratch.data() + at, bytes + skip, take);
        at += take;
    }
    ScratchFrom = from;
    ScratchSize = n;
    ScratchValid = true;
    return Scratch;
}

std::size_t TBlockSource::MemoryBytes() const {
    return Memory.capacity() + Hashes.capacity() * sizeof(std::uint64_t) + Tail.capacity() +
           Slots.size() * BlockSize + Scratch.capacity() +
           Where.size() * (sizeof(std::size_t) * 2 + sizeof(void*) * 2);
}

} // namespace glimra
