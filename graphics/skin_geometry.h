#pragma once
#include <array>
#include <cstdint>

namespace glimra {

// Geometry of the window frame: the octagon, the title row with its glyphs and
// lamp, the resize grip, and the arithmetic of dragging. All coordinates are in
// form pixels; W and H are the form's (or bitmap's) width and height.

struct TSkinPoint {
    int X = 0, Y = 0;
    bool operator==(const TSkinPoint&) const = default;
};

// Left, top inclusive; right, bottom exclusive, as the platform fills rectangles.
struct TSkinRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TSkinRect&) const = default;
};

// A line from From towards To; To itself is not drawn. Every skin line is
// horizontal, vertical or diagonal, so the last pixel is one step short of To.
struct TSkinSegment {
    TSkinPoint From, To;
    TSkinPoint Last() const;
    bool operator==(const TSkinSegment&) const = default;
};

struct TSkinBounds {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TSkinBounds&) const = default;
};

enum class TSkinDrag : std::uint8_t { None = 0, Move = 2, Resize = 3 };

// What a left-button press does. A press may both hit a glyph and start a move
// (the lamp and the minimise glyph do); the close glyph never starts one.
struct TSkinPress {
    bool Memo = false;
    bool Minimise = false;
    bool Close = false;
    TSkinDrag Drag = TSkinDrag::None;
    bool operator==(const TSkinPress&) const = default;
};

struct TSkinLayout {
    TSkinRect Lamp;
    TSkinSegment Minimise;
    std::array<TSkinSegment, 2> Close;
    TSkinSegment Grip;
    std::array<TSkinPoint, 5> TitleFrame; // closed outline
    TSkinRect TitleText;                  // clip of the title, text starts at its top left
};

inline constexpr int SkinCornerCut = 15;
inline constexpr int SkinTitleRowHeight = 15;

// The window region, corners cut by 15 pixels, in the order the region is built.
std::array<TSkinPoint, 8> SkinOctagon(int width, int height);

bool InSkinTitleRow(int y);
bool OnSkinMemoLamp(int x);
bool OnSkinMinimiseGlyph(int x, int width);
bool OnSkinCloseGlyph(int x, int width);
bool OnSkinResizeGrip(int x, int y, int width);

// inTitleRow is judged from the last pointer move, not from the press itself.
TSkinPress SkinLeftPress(int x, int y, int width, bool inTitleRow, bool dialogStyle);

// One step of moving by the title row: the pointer went from drag to (x, y).
// The left edge stops at 0; the top is not limited.
TSkinBounds SkinMoveStep(TSkinBounds bounds, TSkinPoint drag, int x, int y);
// One step of resizing by the grip; the top left stays. The size never drops
// below one pixel; real minimum sizes belong to the form.
TSkinBounds SkinResizeStep(TSkinBounds bounds, TSkinPoint drag, int x, int y);

TSkinLayout SkinLayout(int width, int height);

} // namespace glimra
