#include "tessel/line_buffer_view.h"

#include "tessel/bitmap_resources.h"

#include <algorithm>
#include <ctime>

namespace glimra::tessel {

namespace {

constexpr std::int32_t Side = 64;
constexpr double Opacity = 0.7;
constexpr std::uint32_t Blue = 0x0000ff;
constexpr std::uint32_t Red = 0xff0000;
constexpr std::uint32_t DarkRed = 0x800000;
constexpr std::uint32_t BlinkPeriod = 1000;

std::uint32_t MonotonicTicks() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::uint32_t(std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u);
}

// A horizontal line in copy mode; like every line the pen draws, without its end point.
void Stroke(DibBitmap& bmp, std::int32_t fromX, std::int32_t toX, std::int32_t y,
            std::uint32_t rgb) {
    if (y < 0 || y >= bmp.Height())
        return;
    for (std::int32_t x = std::max(fromX, 0); x < std::min(toX, bmp.Width()); ++x)
        bmp.SetPixel(x, y, rgb);
}

} // namespace

std::uint32_t (*TModule::TickSource)() = MonotonicTicks;
bool (*TModule::AskWord)(std::u32string& word) = AskWordByDialog;

std::u32string DecodeUtf8(const std::string& text) {
    std::u32string out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char b = s[i];
        std::size_t len = b < 0x80         ? 1
                          : (b >> 5) == 6  ? 2
                          : (b >> 4) == 14 ? 3
                          : (b >> 3) == 30 ? 4
                                           : 0;
        char32_t cp = len == 1 ? b : len == 2 ? b & 0x1f : len == 3 ? b & 0x0f : b & 0x07;
        bool ok = len != 0 && i + len <= n;
        for (std::size_t k = 1; ok && k < len; ++k) {
            ok = (s[i + k] & 0xc0) == 0x80;
            cp = cp << 6 | (s[i + k] & 0x3f);
        }
        // Overlong forms, surrogates and values past Unicode do not decode.
        static constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (cp < least[len] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)))
            ok = false;
        if (!ok) {
            out.push_back(U'\uFFFD');
            ++i;
            continue;
        }
        out.push_back(cp);
        i += len;
    }
    return out;
}

TModule::TModule(void* owner)
    : TCustomModule(owner), GridBitmap(DecodeBmp(GridBmp, GridBmpSize)),
      MaskBitmap(ToMask(DecodeBmp(MaskBmp, MaskBmpSize))), WorkBitmap(Side, Side, 24),
      HighlightWord(U"PROCEDURE") {
    Width = Side;
    Height = Side;
    Visible = 1;
}

std::int32_t TModule::SetParam(const char*) {
    return 0;
}

void TModule::MouseDown(std::uint8_t, std::uint8_t, std::int32_t, std::int32_t) {}

void TModule::MouseMove(std::uint8_t, std::int32_t, std::int32_t) {}

void TModule::MouseUp(std::uint8_t button, std::uint8_t, std::int32_t, std::int32_t) {
    if (button != GLIMRA_BUTTON_RIGHT)
        return;
    std::u32string word;
    if (AskWord(word))
        HighlightWord = word;
}

void TModule::DrawToBitmap(GlimraDib* dc) {
    const HostProcs& host = Host();
    if (!Visible || !host.LinesProperty || !host.BlendMask || !host.Blend || !host.WrapText)
        return;
    std::int32_t lineHeight = 0, topLine = 0, scrollMax = 0;
    host.LinesProperty(Owner, &lineHeight, &topLine, &scrollMax);
    host.BlendMask(Owner, Left, Top, GridBitmap.Dib(), MaskBitmap.Dib(), Opacity, 0, 0);
    CopyBackground(dc);
    if (scrollMax > 0)
        DrawStrokes(topLine, scrollMax);
    DrawBlinkMarker();
    host.Blend(Owner, Left, Top, WorkBitmap.Dib(), Opacity, 0, 0);
}

// The window's pixels under the square, grid included; what lies outside the
// window keeps what the work picture had.
void TModule::CopyBackground(const GlimraDib* dc) {
    if (!dc || !dc->Bits || dc->BitCount != 24 || dc->Width <= 0 || dc->Height <= 0 ||
        dc->Stride < dc->Width * 3)
        return;
    for (std::int32_t y = 0; y < Side; ++y) {
        const std::int64_t sy = std::int64_t(Top) + y;
        if (sy < 0 || sy >= dc->Height)
            continue;
        for (std::int32_t x = 0; x < Side; ++x) {
            const std::int64_t sx = std::int64_t(Left) + x;
            if (sx < 0 || sx >= dc->Width)
                continue;
            const std::uint8_t* p = dc->Bits + sy * dc->Stride + sx * 3;
            WorkBitmap.SetPixel(x, y, std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0]);
        }
    }
}

void TModule::DrawStrokes(std::int32_t topLine, std::int32_t scrollMax) {
    const HostProcs& host = Host();
    const std::int32_t limit = Height - 2;
    std::int32_t y = 1;
    std::int32_t index = topLine;
    do {
        const char* raw = host.WrapText(Owner, index);
        const std::u32string text = DecodeUtf8(raw ? raw : "");
        const std::int32_t len = std::min(std::int32_t(text.size()), Width - 2);
        Stroke(WorkBitmap, 1, len, y, Blue);
        if (!HighlightWord.empty()) {
            const std::size_t at = UpperCase(text).find(HighlightWord);
            if (at != std::u32string::npos) {
                const auto p = std::int32_t(at) + 1;
                Stroke(WorkBitmap, p, p + std::int32_t(HighlightWord.size()), y, Red);
            }
        }
        y += 2;
        ++index;
    } while (index <= scrollMax && y <= limit);
}

// Shown for one period after each restart; the tick count wraps, so the sum is
// compared as a signed 32-bit number.
void TModule::DrawBlinkMarker() {
    const std::uint32_t now = TickSource();
    if (std::int32_t(now) >= std::int32_t(LastTick + BlinkPeriod)) {
        LastTick = now;
        return;
    }
    // An ellipse in the box, right and bottom edges excluded, its outline in the
    // pen colour and its inside in the brush colour, both ORed onto the picture.
    const std::int32_t left = Width - 10, top = Height - 10, right = Width - 4, bottom = Height - 4;
    const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
    const double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    auto inside = [&](std::int32_t x, std::int32_t y) {
        if (x < left || x >= right || y < top || y >= bottom)
            return false;
        const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
        return dx * dx + dy * dy <= 1.0;
    };
    for (std::int32_t y = top; y < bottom; ++y)
        for (std::int32_t x = left; x < right; ++x) {
            if (!inside(x, y) || x < 0 || y < 0 || x >= Side || y >= Side)
                continue;
            const bool edge =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            WorkBitmap.SetPixel(x, y, WorkBitmap.Pixel(x, y) | (edge ? DarkRed : Red));
        }
}

TCustomModule* CreateModule(void* owner) {
    return new TModule(owner);
}

const ModuleInfo Info{258, "LINEBUFFER VIEW", 2, "QUENTARO"};

} // namespace glimra::tessel
