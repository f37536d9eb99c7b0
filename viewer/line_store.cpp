#include "viewer/line_store.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace glimra {
namespace {

// Without wrapping nothing past this is visible, so a giant line is not decoded whole.
constexpr std::size_t DecodeLimit = 16384;
// Rows still to count that the window's thread counts itself before it answers:
// small files and appends are exact at once, a big file is counted by the worker.
constexpr std::size_t SettleBudget = 1u << 20;

// Whether the unit at p holds the character c (CR or LF) and nothing else.
bool IsUnit(const char* p, std::size_t unit, bool bigEndian, char c) {
    for (std::size_t k = 0; k < unit; ++k)
        if (p[k] != (k == (bigEndian ? unit - 1 : 0) ? c : '\0'))
            return false;
    return true;
}

bool BigEndian(TEncoding encoding) {
    return encoding == TEncoding::Utf16Be || encoding == TEncoding::Utf32Be;
}

} // namespace

TLineStore::TLineStore(const TTextCodecs* codecs) : TextCodecs(codecs) {}
TLineStore::~TLineStore() = default;

void TLineStore::SetEncodingLocked(TEncodingChoice choice) {
    if (!TextCodecs)
        choice = {};
    Choice = FileChoice = choice;
    Decoder = TextCodecs ? TextCodecs->Decoder(choice.Encoding) : nullptr;
    if (Decoder)
        Scanner.emplace(choice.Encoding, choice.BomSize);
    else
        Scanner.reset();
    DecodedFrom = SIZE_MAX;
}

TEncodingChoice TLineStore::Encoding() const {
    std::lock_guard lock(Guard);
    return FileChoice;
}

std::string TLineStore::FromUtf8Locked(std::string_view utf8) const {
    if (Choice.Encoding == TEncoding::Utf8 || !TextCodecs)
        return std::string(utf8);
    std::string out;
    TextCodecs->Encoder(Choice.Encoding)->Encode(utf8, out, nullptr);
    return out;
}

std::pair<std::size_t, std::size_t> TLineStore::LineRangeLocked(std::size_t index) const {
    if (index >= Starts.size())
        return {0, 0};
    if (index + 1 < Starts.size())
        return {Starts[index], Starts[index + 1]};
    return {Starts[index],
            Scanner ? std::min<std::size_t>(Scanner->Whole(), Source.Size()) : Source.Size()};
}

std::string_view TLineStore::LineLocked(std::size_t index, std::size_t limit, bool* cut) const {
    const auto [start, end] = LineRangeLocked(index);
    const std::size_t unit = UnitSize(Choice.Encoding);
    const bool big = BigEndian(Choice.Encoding);
    if (cut)
        *cut = false;
    // Cut two units short of the end, the text holds no line end; otherwise the line
    // end is read and dropped.
    if (limit < SIZE_MAX - 2 * unit && end - start > limit + 2 * unit) {
        if (cut)
            *cut = true;
        return Source.View(start, limit - limit % unit);
    }
    std::string_view text = Source.View(start, end - start);
    // Text never holds CR or LF, so what ends the range is the line end.
    for (char c : {'\n', '\r'})
        if (text.size() >= unit && IsUnit(text.data() + text.size() - unit, unit, big, c))
            text.remove_suffix(unit);
    if (text.size() > limit && cut)
        *cut = true;
    return text.substr(0, limit);
}

std::string_view TLineStore::TextLocked(std::size_t index, std::size_t limit) const {
    bool cut = false;
    std::string_view bytes = LineLocked(index, limit, &cut);
    const bool open = cut || (LastOpen && index + 1 == Starts.size());
    // UTF-8 is shown as it is; its display decoding shows what is broken.
    if (!Decoder || Source.Fault() != TBlockSource::TFault::None)
        return bytes;
    // In the 8-bit and multibyte sets a line of ASCII bytes is its own UTF-8: most of
    // a log's lines need no converter.
    if (UnitSize(Choice.Encoding) == 1 &&
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; }))
        return bytes;
    const auto [from, to] = LineRangeLocked(index);
    if (from == DecodedFrom && to == DecodedTo && limit == DecodedLimit)
        return Decoded;
    Decoded.clear();
    Decoder->Decode(bytes, Decoded);
    std::string held;
    Decoder->Finish(open ? held : Decoded);
    DecodedFrom = from;
    DecodedTo = to;
    DecodedLimit = limit;
    return Decoded;
}

void TLineStore::CommitLocked(std::string_view bytes, bool inFile) {
    const std::size_t base = Source.Size();
    const char before = Source.LastByte();
    Source.Append(bytes, inFile, WrapOn);
    if (Scanner) {
        // An open last line goes on, and keeps its rows past the wrap limit.
        if (LastOpen && !Starts.empty() && base - Starts.back() < TWrapMetrics::WrapLimit) {
            const std::uint64_t open = Starts.back();
            TruncateLocked(Starts.size() - 1);
            Starts.push_back(open);
        }
        std::vector<std::uint64_t> found;
        // Lines start after the mark.
        Scanner->Feed(
            bytes.substr(std::min(bytes.size(), Choice.BomSize - std::min(base, Choice.BomSize))),
            found);
        for (std::uint64_t start : found)
            Starts.push_back(start);
        LastOpen = Scanner->LineOpen();
        ExtendCountsLocked();
        return;
    }
    const char* d = bytes.data();
    const std::size_t n = bytes.size();
    std::size_t from = 0;
    // An open last line goes on; its old bytes hold no line end, so the search
    // starts at the new ones.
    std::size_t openStart = SIZE_MAX;
    bool openKept = false;
    if (LastOpen && !Starts.empty()) {
        openStart = Starts.back();
        // Rows end at the wrap limit: a line past it keeps the rows found for it.
        openKept = base - openStart >= TWrapMetrics::WrapLimit;
        if (!openKept)
            TruncateLocked(Starts.size() - 1);
    } else if (base > 0 && n > 0 && before == '\r' && d[0] == '\n') {
        from = 1; // the LF of a CR LF split between two reads
    } else if (base < Choice.BomSize) {
        from = std::min(n, Choice.BomSize - base); // lines start after the mark
    }
    LastOpen = false;
    // Each of the two searches runs ahead once and is repeated only when passed, so
    // a file that uses only one of the two line ends is scanned once.
    std::size_t lfAt = 0, crAt = 0;
    bool lfValid = false, crValid = false;
    for (std::size_t start = from; start < n;) {
        if (!lfValid || lfAt < start) {
            auto* hit = static_cast<const char*>(std::memchr(d + start, '\n', n - start));
            lfAt = hit ? static_cast<std::size_t>(hit - d) : n;
            lfValid = true;
        }
        if (!crValid || crAt < start) {
            auto* hit = static_cast<const char*>(std::memchr(d + start, '\r', n - start));
            crAt = hit ? static_cast<std::size_t>(hit - d) : n;
            crValid = true;
        }
        std::size_t end = std::min(lfAt, crAt);
        if (!std::exchange(openKept, false))
            Starts.push_back(openStart != SIZE_MAX ? openStart : base + start);
        openStart = SIZE_MAX;
        if (end == n) {
            LastOpen = true;
            break;
        }
        start = end + 1;
        if (d[end] == '\r' && start < n && d[start] == '\n')
            ++start;
    }
    if (openStart != SIZE_MAX) { // nothing new: the open line stays as it was
        if (!openKept)
            Starts.push_back(openStart);
        LastOpen = true;
    }
    ExtendCountsLocked();
}

void TLineStore::TruncateLocked(std::size_t lines) const {
    // An open last line read on is no cut: it is never in rows counted off the lock.
    if (lines < Starts.size() && !(LastOpen && lines + 1 == Starts.size()))
        ++RowsGeneration;
    if (lines < Starts.size()) {
        Starts.resize(lines);
        LastOpen = false;
    }
    ForgetRowsLocked();
    CountedPrefix = std::min(CountedPrefix, lines);
    if (!WrapOn || Counts.size() <= lines)
        return;
    Counts.resize(lines);
    BlockRows.resize((lines + Block - 1) / Block);
    if (!BlockRows.empty()) {
        std::uint64_t rows = 0;
        for (std::size_t j = (BlockRows.size() - 1) * Block; j < lines; ++j)
            rows += Counts[j] ? Counts[j] : 1;
        BlockRows.back() = rows;
    }
    SumsValid = std::min(SumsValid, BlockRows.size());
}

bool TLineStore::CutAtBlockLocked(std::size_t block) const {
    for (;;) {
        const std::uint64_t at = static_cast<std::uint64_t>(block) * TBlockSource::BlockSize;
        auto it = std::upper_bound(Starts.data(), Starts.data() + Starts.size(), at);
        const std::size_t line =
            it == Starts.data() ? 0 : static_cast<std::size_t>(it - Starts.data()) - 1;
        const std::size_t cut = line < Starts.size() ? Starts[line] : Source.Size();
        // The last byte kept decides whether a LF read next ends the line before it.
        TruncateLocked(line);
        Source.ClearFault();
        if (Source.Cut(cut)) {
            if (Scanner) {
                // The scanner goes on from the cut, a line's start.
                const std::size_t unit = UnitSize(Choice.Encoding);
                const std::string_view before =
                    cut >= Choice.BomSize + unit ? Source.View(cut - unit, unit) : "";
                Scanner.emplace(Choice.Encoding, cut,
                                before.size() == unit &&
                                    IsUnit(before.data(), unit, BigEndian(Choice.Encoding), '\r'));
            }
            return true;
        }
        if (Source.Fault() == TBlockSource::TFault::Unreadable)
            return false;
        block = Source.FaultBlock(); // the block before changed too
    }
}

bool TLineStore::SettleLocked() const {
    const TBlockSource::TFault fault = Source.Fault();
    if (fault == TBlockSource::TFault::None)
        return false;
    const bool readable =
        fault == TBlockSource::TFault::Changed && CutAtBlockLocked(Source.FaultBlock());
    Source.ClearFault();
    ForgetRowsLocked();
    ++Changes;
    ++ContentChanges;
    if (OnFault)
        OnFault(readable ? TStoreFault::Changed : TStoreFault::Unreadable);
    return true;
}

void TLineStore::ResetCountsLocked() {
    ++RowsGeneration;
    Counts.clear();
    BlockRows.clear();
    BlockFirst.clear();
    SumsValid = 0;
    CountedPrefix = 0;
    ForgetRowsLocked();
    if (!WrapOn) {
        Counts.release();
        return;
    }
    ExtendCountsLocked();
}

void TLineStore::ExtendCountsLocked() {
    if (!WrapOn)
        return;
    const std::size_t old = Counts.size(), lines = Starts.size();
    if (lines <= old)
        return;
    Counts.resize(lines);
    std::memset(Counts.data() + old, 0, (lines - old) * sizeof(std::uint32_t));
    BlockRows.resize((lines + Block - 1) / Block, 0);
    for (std::size_t j = old; j < lines;) {
        std::size_t blockEnd = std::min(lines, (j / Block + 1) * Block);
        BlockRows[j / Block] += blockEnd - j;
        j = blockEnd;
    }
    SumsValid = std::min(SumsValid, old / Block + 1);
}

void TLineStore::SetCountLocked(std::size_t line, std::uint32_t rows) const {
    std::uint32_t old = Counts[line] ? Counts[line] : 1;
    Counts[line] = rows;
    if (rows == old)
        return;
    BlockRows[line / Block] += static_cast<std::uint64_t>(rows) - old;
    SumsValid = std::min(SumsValid, line / Block + 1);
    ++Changes;
}

void TLineStore::ForgetRowsLocked() const {
    DecodedFrom = SIZE_MAX;
    CachedLine = SIZE_MAX;
    PartLine = SIZE_MAX;
    Marks.clear();
}

void TLineStore::EnsureCountLocked(std::size_t line) const {
    if (Counts[line] != 0)
        return;
    // A line of up to a piece is counted here at once. A longer one a piece at a time, the
    // rest by the worker: counting it whole would hold up the window. The worker's piece
    // of another line goes on.
    const auto [start, end] = LineRangeLocked(line);
    std::size_t done = 0;
    if (end - start <= SettleBudget) {
        const std::string_view text = TextLocked(line);
        if (Source.Fault() == TBlockSource::TFault::None)
            SetCountLocked(line, std::max<std::uint32_t>(1, Metrics.CountRows(text)));
    } else if (PartLine == SIZE_MAX || PartLine == line)
        CountPieceLocked(line, SettleBudget, done);
}

bool TLineStore::CountPieceLocked(std::size_t line, std::size_t budget, std::size_t& done) const {
    const std::string_view text = TextLocked(line, TWrapMetrics::WrapLimit);
    if (Source.Fault() != TBlockSource::TFault::None)
        return false;
    const bool goingOn = PartLine == line;
    if (!goingOn)
        Marks.erase(line); // of a count given up
    const std::size_t from = goingOn ? Part.Next : 0;
    const TWrapMetrics::TCount piece = Metrics.CountRowsSome(text, from, budget);
    const std::uint32_t rows = (goingOn ? Part.Rows : 0) + piece.Rows;
    if (piece.Next != std::string_view::npos) {
        done += piece.Next - from;
        PartLine = line;
        Part = {rows, piece.Next};
        Marks[line].push_back(Part);
        return false;
    }
    done += std::min(text.size(), TWrapMetrics::WrapLimit) - from + 16;
    PartLine = SIZE_MAX;
    SetCountLocked(line, std::max<std::uint32_t>(1, rows));
    return true;
}

bool TLineStore::WrapSomeLocked(std::size_t budget, bool openLine) const {
    if (!WrapOn)
        return false;
    // A line still being read would be counted again with every piece, unless it is
    // past the wrap limit: its rows are found then.
    const auto [openStart, openEnd] = LineRangeLocked(Starts.size() - 1);
    const bool skipOpen =
        !openLine && LastOpen && !Starts.empty() && openEnd - openStart < TWrapMetrics::WrapLimit;
    const std::size_t lines = Starts.size() - (skipOpen ? 1 : 0);
    std::size_t done = 0;
    std::size_t j = CountedPrefix;
    for (; j < lines && done < budget; ++j)
        if (Counts[j] == 0 && !CountPieceLocked(j, budget - done, done))
            break;
    if (SettleLocked())
        return true; // the lines changed: count on from what is left

    CountedPrefix = j;
    return j < lines;
}

bool TLineStore::TakeRowsWorkLocked(std::size_t budget, TRowsWork& work) const {
    work.Lines.clear();
    work.Text.clear();
    work.Ends.clear();
    work.Generation = RowsGeneration;
    if (!WrapOn)
        return false;
    const std::size_t lines = Starts.size() - (LastOpen && !Starts.empty() ? 1 : 0);
    for (std::size_t j = CountedPrefix; j < lines && work.Text.size() < budget; ++j) {
        if (Counts[j] != 0)
            continue;
        // A long line is counted in pieces under the lock, which the window can see.
        const auto [start, end] = LineRangeLocked(j);
        if (end - start > SettleBudget || j == PartLine)
            break;
        work.Text.append(TextLocked(j));
        if (SettleLocked()) {
            work.Lines.clear();
            return false;
        }
        work.Lines.push_back(j);
        work.Ends.push_back(work.Text.size());
    }
    return !work.Lines.empty();
}

void TLineStore::PutRowsWorkLocked(const TRowsWork& work) const {
    if (work.Generation != RowsGeneration || !WrapOn)
        return;
    for (std::size_t k = 0; k < work.Lines.size() && k < work.Rows.size(); ++k)
        if (work.Lines[k] < Counts.size() && Counts[work.Lines[k]] == 0)
            SetCountLocked(work.Lines[k], work.Rows[k]);
    while (CountedPrefix < Counts.size() && Counts[CountedPrefix] != 0)
        ++CountedPrefix;
}

void TLineStore::UpdateSumsLocked(std::size_t blocks) const {
    blocks = std::min(blocks, BlockRows.size());
    BlockFirst.resize(BlockRows.size());
    for (std::size_t k = SumsValid; k < blocks; ++k)
        BlockFirst[k] = k == 0 ? 0 : BlockFirst[k - 1] + BlockRows[k - 1];
    SumsValid = std::max(SumsValid, blocks);
}

std::size_t TLineStore::RowsLocked() const {
    if (!WrapOn)
        return Starts.size();
    if (BlockRows.empty())
        return 0;
    UpdateSumsLocked(BlockRows.size());
    return BlockFirst.back() + BlockRows.back();
}

std::size_t TLineStore::DisplayIndexLocked(std::size_t line) const {
    if (!WrapOn)
        return line;
    if (line >= Starts.size())
        return RowsLocked();
    std::size_t b = line / Block;
    UpdateSumsLocked(b + 1);
    std::size_t index = BlockFirst[b];
    for (std::size_t j = b * Block; j < line; ++j)
        index += Counts[j] ? Counts[j] : 1;
    return index;
}

std::size_t TLineStore::FileLineLocked(std::size_t displayIndex) const {
    if (!WrapOn)
        return displayIndex;
    if (Starts.empty())
        return 0;
    UpdateSumsLocked(BlockRows.size());
    auto it = std::upper_bound(BlockFirst.begin(), BlockFirst.end(), displayIndex);
    std::size_t b =
        it == BlockFirst.begin() ? 0 : static_cast<std::size_t>(it - BlockFirst.begin()) - 1;
    std::size_t index = BlockFirst[b];
    const std::size_t end = std::min(Starts.size(), (b + 1) * Block);
    for (std::size_t j = b * Block; j < end; ++j) {
        index += Counts[j] ? Counts[j] : 1;
        if (displayIndex < index)
            return j;
    }
    return end - 1;
}

bool TLineStore::SetText(std::string text) {
    std::lock_guard lock(Guard);
    TLineStore fresh;
    fresh.CommitLocked(text, false);
    text = std::string();
    bool same = fresh.Starts.size() == Starts.size();
    for (std::size_t i = 0; same && i < Starts.size(); ++i)
        same = fresh.LineLocked(i) == TextLocked(i) && Source.Fault() == TBlockSource::TFault::None;
    if (SettleLocked())
        same = false;
    LastOpen = fresh.LastOpen;
    if (same)
        return false;
    // The text is UTF-8 now; a save still writes the file's encoding.
    const TEncodingChoice file = FileChoice;
    SetEncodingLocked({});
    FileChoice = file;
    Source = std::move(fresh.Source);
    Starts = std::move(fresh.Starts);
    ResetCountsLocked();
    ++Changes;
    ++ContentChanges;
    return true;
}

void TLineStore::Append(std::string_view bytes) {
    if (bytes.empty())
        return;
    std::lock_guard lock(Guard);
    CommitLocked(bytes, false);
    ++Changes;
    ++ContentChanges;
}

void TLineStore::ClearLocked() {
    Source.Clear();
    SetEncodingLocked({});
    Starts.release();
    LastOpen = false;
    ResetCountsLocked();
    ++Changes;
    ++ContentChanges;
}

void TLineStore::Clear(TEncodingChoice choice) {
    std::lock_guard lock(Guard);
    ClearLocked();
    SetEncodingLocked(choice);
}

void TLineStore::AddLine(std::string_view line) {
    std::lock_guard lock(Guard);
    // An open last line stays a line of its own.
    const std::string lineEnd = FromUtf8Locked("\r\n");
    if (LastOpen)
        CommitLocked(lineEnd, false);
    CommitLocked(FromUtf8Locked(line) + lineEnd, false);
    ++Changes;
    ++ContentChanges;
}

void TLineStore::SetOnFault(std::function<void(TStoreFault)> onFault) {
    std::lock_guard lock(Guard);
    OnFault = std::move(onFault);
}

std::size_t TLineStore::BlocksRead() const {
    std::lock_guard lock(Guard);
    return Source.BlocksRead();
}

std::size_t TLineStore::LineCount() const {
    std::lock_guard lock(Guard);
    return Starts.size();
}

std::uint64_t TLineStore::Version() const {
    std::lock_guard lock(Guard);
    return Changes;
}

std::string TLineStore::Line(std::size_t index) const {
    std::lock_guard lock(Guard);
    std::string line(TextLocked(index));
    if (SettleLocked())
        return {};
    return line;
}

bool TLineStore::LastLineOpen() const {
    std::lock_guard lock(Guard);
    return !Starts.empty() && LastOpen;
}

std::size_t TLineStore::RawSize() const {
    std::lock_guard lock(Guard);
    return Source.Size();
}

bool TLineStore::WriteText(const std::function<bool(std::string_view)>& sink,
                           TMisses* misses) const {
    constexpr std::size_t Piece = 1u << 20;
    std::lock_guard lock(Guard);
    // Bytes in the file's encoding go out as they are; text that is not (the memo's)
    // is encoded, and what the encoding cannot hold is told.
    const bool asRead = Choice.Encoding == FileChoice.Encoding || !TextCodecs;
    std::optional<TLineEncoder> encoder;
    if (!asRead)
        encoder.emplace(TextCodecs->Encoder(FileChoice.Encoding), FileChoice);
    std::string lineEnd;
    const std::size_t unit = UnitSize(FileChoice.Encoding);
    for (char c : {'\r', '\n'})
        for (std::size_t k = 0; k < unit; ++k)
            lineEnd.push_back(k == (BigEndian(FileChoice.Encoding) ? unit - 1 : 0) ? c : '\0');
    std::string out(ByteOrderMark(FileChoice.Encoding).substr(0, FileChoice.BomSize));
    out.reserve(Piece + 2);
    const auto done = [&](bool ok) {
        if (misses && encoder)
            *misses = {encoder->Unencodable(), encoder->UnencodableCount()};
        return ok;
    };
    for (std::size_t i = 0; i < Starts.size(); ++i) {
        std::string encoded;
        std::string_view line = LineLocked(i);
        if (encoder) {
            encoder->Line(TextLocked(i), encoded);
            encoded.resize(encoded.size() - lineEnd.size());
            line = encoded;
        }
        if (Source.Fault() != TBlockSource::TFault::None) {
            // Never a part of the old text with a hole in it.
            SettleLocked();
            return false;
        }
        // A line longer than a piece goes out as it is; the rest are gathered.
        if (out.size() + line.size() > Piece && !out.empty()) {
            if (!sink(out))
                return false;
            out.clear();
        }
        if (line.size() > Piece) {
            if (!sink(line))
                return false;
        } else {
            out.append(line);
        }
        out.append(lineEnd);
    }
    return done(out.empty() || sink(out));
}

std::string TLineStore::Text() const {
    std::string out;
    WriteText([&](std::string_view piece) {
        out.append(piece);
        return true;
    });
    return out;
}

std::size_t TLineStore::MemoryBytes() const {
    std::lock_guard lock(Guard);
    return Source.MemoryBytes() + Starts.capacity() * sizeof(std::uint64_t) +
           Counts.capacity() * sizeof(std::uint32_t) +
           (BlockRows.capacity() + BlockFirst.capacity()) * sizeof(std::uint64_t);
}

void TLineStore::SetWrap(bool on, int width, TCharWidth charWidth, int widestAdvance) {
    std::lock_guard lock(Guard);
    WrapOn = on;
    Metrics = TWrapMetrics(width, std::move(charWidth), widestAdvance);
    ResetCountsLocked();
    ++Changes;
}

bool TLineStore::Wrap() const {
    std::lock_guard lock(Guard);
    return WrapOn;
}

bool TLineStore::WrapPending() const {
    std::lock_guard lock(Guard);
    return WrapOn && CountedPrefix < Starts.size();
}

std::size_t TLineStore::RowsBehind() const {
    std::lock_guard lock(Guard);
    return WrapOn && CountedPrefix < Starts.size() ? Source.Size() - Starts[CountedPrefix] : 0;
}

bool TLineStore::WrapSome(std::size_t budget, bool openLine) {
    // In quarters, letting a waiting reader in between: the window's thread reading its
    // lines waits for no more than a quarter of the budget.
    const std::size_t quarter = std::max<std::size_t>(budget / 4, 1);
    std::unique_lock lock(Guard);
    for (std::size_t done = 0;;) {
        const bool more = WrapSomeLocked(std::min(quarter, budget - done), openLine);
        done += quarter;
        if (!more || done >= budget)
            return more;
        if (Guard.Waited()) {
            lock.unlock();
            lock.lock();
        }
    }
}

std::size_t TLineStore::DisplayLineCount() const {
    std::lock_guard lock(Guard);
    if (WrapOn && CountedPrefix < Starts.size() &&
        Source.Size() - Starts[CountedPrefix] <= SettleBudget)
        WrapSomeLocked(SIZE_MAX, true);
    return RowsLocked();
}

std::vector<std::pair<std::size_t, std::string>>
TLineStore::FileLineHeads(const std::vector<std::size_t>& displayIndices, std::size_t limit) const {
    std::vector<std::pair<std::size_t, std::string>> out;
    out.reserve(displayIndices.size());
    std::lock_guard lock(Guard);
    for (std::size_t index : displayIndices) {
        const std::size_t line = FileLineLocked(index);
        const bool repeated = !out.empty() && out.back().first == line;
        out.emplace_back(line, repeated || line >= LineCountLocked()
                                   ? std::string()
                                   : std::string(TextLocked(line, limit)));
    }
    if (SettleLocked())
        for (auto& entry : out)
            entry.second.clear();
    return out;
}

std::size_t TLineStore::FileLineOf(std::size_t displayIndex) const {
    std::lock_guard lock(Guard);
    return FileLineLocked(displayIndex);
}

std::size_t TLineStore::DisplayIndexOf(std::size_t fileLine) const {
    std::lock_guard lock(Guard);
    return DisplayIndexLocked(fileLine);
}

std::u32string TLineStore::DisplayLine(std::size_t index) const {
    std::lock_guard lock(Guard);
    std::u32string line = DisplayLineLocked(index);
    if (SettleLocked())
        return {};
    return line;
}

std::vector<std::u32string>
TLineStore::DisplayLines(const std::vector<std::size_t>& indices) const {
    std::vector<std::u32string> out;
    if (indices.empty())
        return out;
    out.reserve(indices.size());
    std::lock_guard lock(Guard);
    for (std::size_t index : indices)
        out.push_back(DisplayLineLocked(index));
    // Lines from where the file changed on are gone now; the rest were read as indexed.
    if (SettleLocked())
        for (std::size_t i = 0; i < indices.size(); ++i)
            if (indices[i] >= RowsLocked())
                out[i].clear();
    return out;
}

std::u32string TLineStore::DisplayLineLocked(std::size_t index) const {
    std::u32string out;
    if (!WrapOn) {
        if (index < Starts.size())
            DecodeForDisplay(TextLocked(index, DecodeLimit * UnitSize(Choice.Encoding)), out,
                             DecodeLimit);
        return out;
    }
    if (index >= RowsLocked())
        return out;
    const std::size_t line = FileLineLocked(index);
    // A line on screen is counted now; only rows after it move.
    EnsureCountLocked(line);
    const auto [from, to] = RowBytesLocked(line, index - DisplayIndexLocked(line));
    const std::string_view text = TextLocked(line, TWrapMetrics::WrapLimit);
    // Bytes that could not be read back as indexed are never shown.
    if (Source.Fault() == TBlockSource::TFault::None && from <= text.size())
        DecodeForDisplay(text.substr(from, to - from), out, DecodeLimit);
    return out;
}

std::pair<std::size_t, std::size_t> TLineStore::RowBytesLocked(std::size_t line,
                                                               std::size_t row) const {
    const std::string_view text = TextLocked(line, TWrapMetrics::WrapLimit);
    if (Source.Fault() != TBlockSource::TFault::None)
        return {0, 0};
    if (CachedLine != line || row < CachedFirst) {
        CachedLine = line;
        CachedFirst = 0;
        CachedRows.clear();
        CachedAll = false;
    }
    // A row past those found is walked to from the last mark before it, if that is nearer.
    if (const auto marks = Marks.find(line); marks != Marks.end()) {
        const auto after = std::upper_bound(
            marks->second.begin(), marks->second.end(), row,
            [](std::size_t r, const TWrapMetrics::TCount& m) { return r < m.Rows; });
        if (after != marks->second.begin() &&
            std::prev(after)->Rows > CachedFirst + CachedRows.size()) {
            CachedFirst = std::prev(after)->Rows;
            CachedRows.assign(1, static_cast<std::uint32_t>(std::prev(after)->Next));
            CachedAll = false;
        }
    }
    // Rows are walked only as far as the one asked for.
    const std::size_t at = row - CachedFirst;
    if (!CachedAll && at + 1 >= CachedRows.size())
        CachedAll = Metrics.RowStarts(text, CachedRows, at);
    if (at >= CachedRows.size())
        return {0, 0};
    return {CachedRows[at], at + 1 < CachedRows.size()
                                ? CachedRows[at + 1]
                                : std::min(text.size(), TWrapMetrics::WrapLimit)};
}

std::size_t TLineStore::BytesWalked() const {
    std::lock_guard lock(Guard);
    return Metrics.BytesWalked();
}

} // namespace glimra
