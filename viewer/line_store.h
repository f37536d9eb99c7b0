#pragma once
#include "common/fair_mutex.h"
#include "common/line_encoder.h"
#include "common/line_scanner.h"
#include "common/text_codec.h"
#include "viewer/block_source.h"
#include "viewer/grow_buffer.h"
#include "viewer/wrap_metrics.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glimra {

class TStoreWorker;

// What a store found when it read its bytes back.
enum class TStoreFault {
    Changed,    // the file changed in place: the lines from there on were dropped
    Unreadable, // the file can no longer be read
};

// The lines a window shows: each file line's bytes exactly as read, wrapped for display
// at the text width. Only each line's start and row count are held; the bytes are read
// back from the file on demand (TBlockSource). Row counts are found per line, by a
// worker for most lines and at once for the lines on screen; a line not counted yet
// stands for one row meanwhile.
//
// The bytes stay in the file's own encoding: lines are found at the line ends of the
// decoded text, and a line is decoded to UTF-8 only when it is counted, drawn or
// asked for. UTF-8 is never decoded.
//
// Threads: the window's thread calls everything; a TStoreWorker extends the lines and
// counts rows in short steps under the same lock.
class TLineStore {
public:
    // codecs: the converters a file that is not UTF-8 is read and saved with.
    explicit TLineStore(const TTextCodecs* codecs = nullptr);
    ~TLineStore();
    TLineStore(const TLineStore&) = delete;
    TLineStore& operator=(const TLineStore&) = delete;

    // Replaces the contents with UTF-8 text. CR LF, lone LF and lone CR all end a line;
    // a final line end does not start another line. Returns false (store unchanged)
    // when the text equals the current text line for line. The file's encoding stays
    // the one a save writes.
    bool SetText(std::string text);
    // Appends bytes that followed the old end of the file, in its encoding. An
    // unterminated last line is continued, so a line written in two pieces stays one.
    void Append(std::string_view bytes);
    // Empties the store and reads what comes next in choice's encoding.
    void Clear(TEncodingChoice choice = {});
    // Adds a UTF-8 line of the window's own.
    void AddLine(std::string_view line);
    // The encoding of the file the lines were read from: what a save writes.
    TEncodingChoice Encoding() const;
    // The converters the store reads with (none: every file is taken as UTF-8).
    const TTextCodecs* Codecs() const { return TextCodecs; }

    std::size_t LineCount() const;
    // Grows with every change of the lines or of their rows, so a view can tell
    // whether it is stale.
    std::uint64_t Version() const;
    // The line as UTF-8 text.
    std::string Line(std::size_t index) const;
    bool LastLineOpen() const;
    // How many bytes the lines were read or appended from.
    std::size_t RawSize() const;
    // The lines with CR LF after each in the file's encoding, after its byte-order
    // mark if it had one, as a save writes them, handed to sink in pieces of about a
    // megabyte. Lines read from the file go out as the bytes read. False when the sink
    // refused or the bytes could not be read back as they were. misses: characters
    // the encoding cannot hold (written as "?"), the first MaxReported, and how many.
    struct TMisses {
        std::vector<TUnencodable> First;
        std::size_t Count = 0;
    };
    bool WriteText(const std::function<bool(std::string_view)>& sink,
                   TMisses* misses = nullptr) const;
    // The same as one string, for small stores.
    std::string Text() const;
    // Memory the store holds for its line index, row counts and read-back bytes.
    std::size_t MemoryBytes() const;
    // Called, under the store's lock and on either thread, when reading the bytes back
    // found the file changed or unreadable. It must not call the store.
    void SetOnFault(std::function<void(TStoreFault)> onFault);
    // Blocks read back from the file. For the tests.
    std::size_t BlocksRead() const;

    // Wrapping: off shows one display line per file line. The width function is kept
    // and called only from the store's own methods, on either thread.
    void SetWrap(bool on, int width, TCharWidth charWidth, int widestAdvance = 0);
    bool Wrap() const;
    std::size_t DisplayLineCount() const;
    // The display line as text to draw (undecodable bytes shown as U+FFFD).
    std::u32string DisplayLine(std::size_t index) const;
    // The same for several lines in one turn of the lock: while the worker takes its
    // turns, each call waits for one, and a screenful of calls for a screenful of them.
    std::vector<std::u32string> DisplayLines(const std::vector<std::size_t>& indices) const;
    // The file line of each display line and its UTF-8 text from at most limit bytes of
    // the file, in one turn of the lock. A file line is read only where it differs from
    // the entry before; where it repeats, the text is left empty.
    std::vector<std::pair<std::size_t, std::string>>
    FileLineHeads(const std::vector<std::size_t>& displayIndices, std::size_t limit) const;
    // Which file line a display line belongs to, and the first display line of a file line.
    std::size_t FileLineOf(std::size_t displayIndex) const;
    std::size_t DisplayIndexOf(std::size_t fileLine) const;
    // Lines whose rows are not counted yet.
    bool WrapPending() const;
    // Bytes read whose rows are not counted yet.
    std::size_t RowsBehind() const;
    // Counts rows of lines not counted yet, about budget bytes of them; false when
    // none remain. openLine: count an unterminated last line too. A thread waiting
    // for the lines meanwhile waits for a quarter of the budget at most.
    bool WrapSome(std::size_t budget, bool openLine = true);
    // Bytes walked to count rows and find where they start, and turns taken of the
    // lock the lines are read under. For the tests.
    std::size_t BytesWalked() const;
    std::uint64_t LockTurns() const { return Guard.Turns(); }

private:
    friend class TStoreWorker;
    static constexpr std::size_t Block = 256; // lines per row sum

    // Everything below is guarded by Guard. A read that finds the file changed in place
    // drops lines, so even reading may change the lines (hence mutable).
    mutable TFairMutex Guard;
    const TTextCodecs* TextCodecs;
    TEncodingChoice Choice;                      // the encoding of the bytes
    TEncodingChoice FileChoice;                  // the file's, which a save writes
    std::unique_ptr<TTextDecoder> Decoder;       // none for UTF-8
    mutable std::optional<TLineScanner> Scanner; // finds the line ends unless UTF-8
    // The last line decoded: its bytes' range, the limit it was read with, its text.
    mutable std::size_t DecodedFrom = SIZE_MAX, DecodedTo = 0, DecodedLimit = 0;
    mutable std::string Decoded;
    mutable TBlockSource Source;               // the bytes
    mutable TGrowBuffer<std::uint64_t> Starts; // offset of each line
    mutable bool LastOpen = false;             // the last line had no line end yet
    mutable std::uint64_t Changes = 0;
    // Changes of the text other than the worker's own reading: they end its job.
    mutable std::uint64_t ContentChanges = 0;
    std::function<void(TStoreFault)> OnFault;

    bool WrapOn = false;
    mutable TWrapMetrics Metrics;
    // Rows of each line, 0 while not counted; rows per block of lines (a line not
    // counted counting one) and the running sums of those, valid up to SumsValid.
    mutable TGrowBuffer<std::uint32_t> Counts;
    mutable std::vector<std::uint64_t> BlockRows;
    mutable std::vector<std::uint64_t> BlockFirst;
    mutable std::size_t SumsValid = 0;
    mutable std::size_t CountedPrefix = 0; // lines before it all counted
    // Row starts of the line asked for last (a long line is asked row by row): of rows
    // CachedFirst on, as far as rows were asked for, or to the line's end.
    mutable std::size_t CachedLine = SIZE_MAX;
    mutable std::size_t CachedFirst = 0;
    mutable std::vector<std::uint32_t> CachedRows;
    mutable bool CachedAll = false;
    // A long line is counted in pieces: which line, and how far. Where each piece
    // ended is kept as a mark, so that a row far down the line is found from the last
    // mark before it instead of from the line's start.
    mutable std::size_t PartLine = SIZE_MAX;
    mutable TWrapMetrics::TCount Part;
    mutable std::map<std::size_t, std::vector<TWrapMetrics::TCount>> Marks;

    std::size_t LineCountLocked() const { return Starts.size(); }
    // The line's bytes with its line end, as offsets.
    std::pair<std::size_t, std::size_t> LineRangeLocked(std::size_t index) const;
    // The line's bytes without its line end, at most limit of them; valid until the
    // next read of bytes. cut: the limit cut it short.
    std::string_view LineLocked(std::size_t index, std::size_t limit = SIZE_MAX,
                                bool* cut = nullptr) const;
    // The same as UTF-8 text; limit counts bytes of the file. A character cut by the
    // limit or by the end of an open last line is held back, not shown as U+FFFD.
    std::string_view TextLocked(std::size_t index, std::size_t limit = SIZE_MAX) const;
    void SetEncodingLocked(TEncodingChoice choice);
    // UTF-8 text in the encoding of the bytes.
    std::string FromUtf8Locked(std::string_view utf8) const;
    std::u32string DisplayLineLocked(std::size_t index) const;
    void ClearLocked();
    // Adds bytes at the end and indexes them, continuing an open last line. inFile:
    // the store's file holds them.
    void CommitLocked(std::string_view bytes, bool inFile);
    // Drops the lines from lines on, from the index only.
    void TruncateLocked(std::size_t lines) const;
    // Drops the lines from the one holding the block's first byte on, with their bytes,
    // checking the block that keeps a part; false when the file cannot be read.
    bool CutAtBlockLocked(std::size_t block) const;
    // A read found the file changed or unreadable: the lines are cut back and the
    // window told. True when there was a fault.
    bool SettleLocked() const;
    void ResetCountsLocked();
    void ExtendCountsLocked();
    void SetCountLocked(std::size_t line, std::uint32_t rows) const;
    void EnsureCountLocked(std::size_t line) const;
    // Counts about budget bytes more of line's rows, adding them to done; true once
    // the line is counted.
    bool CountPieceLocked(std::size_t line, std::size_t budget, std::size_t& done) const;
    // The rows found for lines whose text changed are of no use any more.
    void ForgetRowsLocked() const;
    // The bytes of a row of line: [first, second), empty when the line has no such row.
    std::pair<std::size_t, std::size_t> RowBytesLocked(std::size_t line, std::size_t row) const;
    std::size_t RowsLocked() const;
    std::size_t DisplayIndexLocked(std::size_t line) const;
    std::size_t FileLineLocked(std::size_t displayIndex) const;
    void UpdateSumsLocked(std::size_t blocks) const;
    bool WrapSomeLocked(std::size_t budget, bool openLine) const;

    // Rows counted off the lock, while the worker reads on: the text of lines not
    // counted yet is taken under it, counted with a copy of the metrics, and the rows
    // kept only when no line or setting they depend on changed meanwhile.
    struct TRowsWork {
        std::uint64_t Generation = 0;
        std::vector<std::size_t> Lines;
        std::string Text;              // the lines' text, one after another
        std::vector<std::size_t> Ends; // where each ends in Text
        std::vector<std::uint32_t> Rows;
    };
    // About budget bytes of terminated lines of no more than a piece each; false when
    // there are none to take.
    bool TakeRowsWorkLocked(std::size_t budget, TRowsWork& work) const;
    void PutRowsWorkLocked(const TRowsWork& work) const;
    // Grows when rows counted before no longer hold: other settings, or lines cut.
    mutable std::uint64_t RowsGeneration = 0;
};

} // namespace glimra
