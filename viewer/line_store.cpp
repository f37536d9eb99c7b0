#include "viewer/line_store.h"

#include <algorithm>
#include <cstring>

namespace glimra {
namespace {

// Without wrapping nothing past this is visible, so a giant line is not decoded whole.
constexpr std::size_t UnwrappedDecodeLimit = 16384;

bool IsBlank(char32_t c) {
    return c == U' ';
}

// Length of the valid UTF-8 sequence at s[i], 0 if invalid.
std::size_t Utf8Length(std::string_view s, std::size_t i, char32_t& cp) {
    auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = b < 0x80           ? 1
                      : (b >> 5) == 0x6  ? 2
                      : (b >> 4) == 0xE  ? 3
                      : (b >> 3) == 0x1E ? 4
                                         : 0;
    if (len == 0 || i + len > s.size())
        return 0;
    if (len == 1) {
        cp = b;
        return 1;
    }
    cp = b & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
        auto c = static_cast<unsigned char>(s[i + k]);
        if ((c >> 6) != 0x2)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

void DecodeForDisplay(std::string_view bytes, std::u32string& out) {
    out.clear();
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        std::size_t len = Utf8Length(bytes, i, cp);
        if (len == 0) {
            out.push_back(U'\uFFFD');
            ++i;
            continue;
        }
        i += len;
        if (cp == U'\t')
            out.append(4, U' ');
        else if (cp < 0x20)
            out.push_back(U'\u2400' + cp);
        else if (cp == 0x7F)
            out.push_back(U'\u2421');
        else
            out.push_back(cp);
    }
}

bool TLineStore::SetText(std::string text) {
    TLineStore fresh;
    fresh.Bytes = std::move(text);
    fresh.SplitFrom(0);
    bool same = fresh.Lines.size() == Lines.size();
    for (std::size_t i = 0; same && i < Lines.size(); ++i)
        same = fresh.Line(i) == Line(i);
    if (same) {
        LastOpen = fresh.LastOpen;
        return false;
    }
    Bytes = std::move(fresh.Bytes);
    Lines = std::move(fresh.Lines);
    LastOpen = fresh.LastOpen;
    InvalidateWrap(0);
    ++Changes;
    return true;
}

void TLineStore::Append(std::string_view bytes) {
    if (bytes.empty())
        return;
    std::size_t from = Bytes.size();
    if (LastLineOpen()) {
        from = Lines.back().Offset;
        Lines.pop_back();
    }
    std::size_t firstChanged = Lines.size();
    Bytes.append(bytes);
    // A CR LF split between two reads ends one line, not two.
    if (from == Bytes.size() - bytes.size() && from > 0 && Bytes[from - 1] == '\r' &&
        Bytes[from] == '\n')
        ++from;
    SplitFrom(from);
    InvalidateWrap(firstChanged);
    ++Changes;
}

void TLineStore::SplitFrom(std::size_t offset) {
    const std::size_t n = Bytes.size();
    const char* data = Bytes.data();
    std::size_t start = offset;
    LastOpen = false;
    while (start < n) {
        const void* hit = nullptr;
        std::size_t end = start;
        // memchr for both ends is faster than a byte loop on long lines.
        const void* lf = std::memchr(data + start, '\n', n - start);
        std::size_t lfAt = lf ? static_cast<const char*>(lf) - data : n;
        const void* cr = std::memchr(data + start, '\r', lfAt - start);
        hit = cr ? cr : lf;
        if (!hit) {
            Lines.push_back({start, n - start});
            LastOpen = true;
            return;
        }
        end = static_cast<const char*>(hit) - data;
        Lines.push_back({start, end - start});
        start = end + 1;
        if (data[end] == '\r' && start < n && data[start] == '\n')
            ++start;
    }
}

void TLineStore::Clear() {
    Bytes.clear();
    Lines.clear();
    LastOpen = false;
    InvalidateWrap(0);
    ++Changes;
}

void TLineStore::AddLine(std::string_view line) {
    LastOpen = false;
    std::size_t offset = Bytes.size();
    Bytes.append(line);
    Bytes.append("\r\n");
    Lines.push_back({offset, line.size()});
    InvalidateWrap(Lines.size() - 1);
    ++Changes;
}

std::string_view TLineStore::Line(std::size_t index) const {
    if (index >= Lines.size())
        return {};
    return std::string_view(Bytes).substr(Lines[index].Offset, Lines[index].Length);
}

std::string TLineStore::Text() const {
    std::string out;
    out.reserve(Bytes.size() + Lines.size() * 2);
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        out.append(Line(i));
        out.append("\r\n");
    }
    return out;
}

void TLineStore::SetWrap(bool on, int width, TCharWidth charWidth) {
    WrapOn = on;
    WrapWidth = width;
    CharWidth = std::move(charWidth);
    Widths.clear();
    InvalidateWrap(0);
}

void TLineStore::InvalidateWrap(std::size_t fromLine) const {
    WrappedLines = std::min(WrappedLines, fromLine);
    WrapCounts.resize(WrappedLines);
    WrapStarts.resize(WrappedLines);
    CachedLine = SIZE_MAX;
}

int TLineStore::Width(char32_t c) const {
    auto it = Widths.find(c);
    if (it != Widths.end())
        return it->second;
    int w = CharWidth ? std::max(0, CharWidth(c)) : 1;
    Widths.emplace(c, w);
    return w;
}

void TLineStore::Breaks(const std::u32string& text, std::vector<std::uint32_t>& out) const {
    out.assign(1, 0);
    std::size_t start = 0;
    std::size_t afterBlank = 0; // start of the word after the last blank, 0 = none
    long lineWidth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        int w = Width(c);
        if (IsBlank(c)) {
            // Blanks hang past the edge instead of starting a line.
            lineWidth += w;
            afterBlank = i + 1;
            continue;
        }
        if (lineWidth + w > WrapWidth && i > start) {
            if (afterBlank > start && afterBlank <= i) {
                start = afterBlank;
                i = start - 1; // measure the carried word again on the new line
            } else {
                start = i;
                --i;
            }
            out.push_back(static_cast<std::uint32_t>(start));
            lineWidth = 0;
            afterBlank = 0;
            continue;
        }
        lineWidth += w;
    }
}

void TLineStore::EnsureWrapped() const {
    if (WrappedLines == Lines.size())
        return;
    std::u32string text;
    std::vector<std::uint32_t> breaks;
    WrapCounts.resize(Lines.size());
    WrapStarts.resize(Lines.size());
    std::size_t next =
        WrappedLines == 0 ? 0 : WrapStarts[WrappedLines - 1] + WrapCounts[WrappedLines - 1];
    for (std::size_t i = WrappedLines; i < Lines.size(); ++i) {
        std::uint32_t count = 1;
        if (WrapOn && Lines[i].Length > 0) {
            DecodeForDisplay(Line(i), text);
            Breaks(text, breaks);
            count = static_cast<std::uint32_t>(breaks.size());
        }
        WrapCounts[i] = count;
        WrapStarts[i] = next;
        next += count;
    }
    WrappedLines = Lines.size();
}

std::size_t TLineStore::DisplayLineCount() const {
    if (!WrapOn)
        return Lines.size();
    EnsureWrapped();
    return Lines.empty() ? 0 : WrapStarts.back() + WrapCounts.back();
}

std::size_t TLineStore::FileLineOf(std::size_t displayIndex) const {
    if (!WrapOn)
        return displayIndex;
    EnsureWrapped();
    auto it = std::upper_bound(WrapStarts.begin(), WrapStarts.end(), displayIndex);
    return it == WrapStarts.begin() ? 0 : static_cast<std::size_t>(it - WrapStarts.begin()) - 1;
}

const std::vector<std::uint32_t>& TLineStore::BreaksOf(std::size_t line) const {
    if (CachedLine != line) {
        DecodeForDisplay(Line(line), CachedText);
        Breaks(CachedText, CachedBreaks);
        CachedLine = line;
    }
    return CachedBreaks;
}

std::u32string TLineStore::DisplayLine(std::size_t index) const {
    std::u32string out;
    if (!WrapOn) {
        if (index < Lines.size())
            DecodeForDisplay(Line(index).substr(0, UnwrappedDecodeLimit), out);
        return out;
    }
    if (index >= DisplayLineCount())
        return out;
    std::size_t line = FileLineOf(index);
    const auto& breaks = BreaksOf(line);
    std::size_t row = index - WrapStarts[line];
    if (row >= breaks.size())
        return out;
    std::size_t from = breaks[row];
    std::size_t to = row + 1 < breaks.size() ? breaks[row + 1] : CachedText.size();
    return CachedText.substr(from, to - from);
}

} // namespace glimra
