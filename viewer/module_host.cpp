#include "viewer/module_host.h"

#include "graphics/glimra_edit.h"
#include "graphics/qt_pixels.h"
#include "modules/host_pixels.h"
#include "settings/shared_levels.h"
#include "viewer/viewer_window.h"

#include <set>

namespace glimra {
namespace {

std::set<TForm2*>& LiveWindows() {
    static std::set<TForm2*> windows;
    return windows;
}

TForm2* WindowOf(void* owner) {
    auto* window = static_cast<TForm2*>(owner);
    return LiveWindows().count(window) ? window : nullptr;
}

// The window whose picture a module's bitmap is, if any.
TForm2* WindowOfPicture(const std::uint8_t* bits) {
    for (TForm2* w : LiveWindows())
        if (bits && w->WindowBitmap.constBits() == bits)
            return w;
    return nullptr;
}

bool Sound(const GlimraDib* dib, std::int32_t bitCount) {
    return dib && dib->BitCount == bitCount &&
           SoundBitmapHeader(dib->Width, dib->Height, dib->BitCount, dib->Stride, dib->Bits);
}

TPixelView PictureOf(GlimraDib* dib) {
    return {dib->Bits, dib->Width, dib->Height, dib->Stride};
}

TMaskView MaskOf(GlimraDib* dib) {
    return {dib->Bits, dib->Width, dib->Height, dib->Stride};
}

void Out(std::int32_t* to, std::int32_t value) {
    if (to)
        *to = value;
}

std::string Utf8(const std::u32string& text) {
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

extern "C" {

static void GLIMRA_CALL GlimraRect(void* owner, std::int32_t* left, std::int32_t* top,
                                   std::int32_t* width, std::int32_t* height) {
    if (TForm2* w = WindowOf(owner)) {
        Out(left, w->x());
        Out(top, w->y());
        Out(width, w->width());
        Out(height, w->height());
    }
}

static GlimraDib* GLIMRA_CALL Background(void* owner) {
    TForm2* w = WindowOf(owner);
    return w ? &w->WindowDib() : nullptr;
}

// Display line index as modules see it, nullptr past the store's end. While the
// window's modules draw, the line comes from a block read at once and kept until
// the drawing ends.
static const std::u32string* ModuleLine(TForm2& w, std::size_t index, std::u32string& single) {
    constexpr std::size_t Block = 64;
    TForm2::TModuleTexts& texts = w.ModuleTexts;
    if (!w.DrawingModules) {
        if (index >= w.Store.DisplayLineCount())
            return nullptr;
        single = w.Store.DisplayLine(index);
        return &single;
    }
    if (index < texts.First || index >= texts.First + texts.Lines.size()) {
        texts.Count = w.Store.DisplayLineCount();
        std::vector<std::size_t> indices;
        for (std::size_t i = index; i < std::min(index + Block, texts.Count); ++i)
            indices.push_back(i);
        texts.First = index;
        texts.Lines = w.Store.DisplayLines(indices);
    }
    return index < texts.Count ? &texts.Lines[index - texts.First] : nullptr;
}

static const char* GLIMRA_CALL WrapText(void* owner, std::int32_t index) {
    TForm2* w = WindowOf(owner);
    if (!w)
        return "error.";
    std::string& text = w->ModuleTexts.WrapText;
    std::u32string single;
    const std::u32string* line = index >= 0 && index < w->ScrollMax()
                                     ? ModuleLine(*w, static_cast<std::size_t>(index), single)
                                     : nullptr;
    text = line ? Utf8(*line) : "error.";
    return text.c_str();
}

static void GLIMRA_CALL LinesProperty(void* owner, std::int32_t* lineHeight, std::int32_t* topLine,
                                      std::int32_t* scrollMax) {
    if (TForm2* w = WindowOf(owner)) {
        Out(lineHeight, w->LineHeight);
        Out(topLine, w->AutoMode ? w->AutoTopLine : w->ScrollPosition());
        Out(scrollMax, w->ScrollMax());
    }
}

static void GLIMRA_CALL State(std::int32_t* blendLevel, std::int32_t* lightLevel) {
    Out(blendLevel, SharedBlendLevel);
    Out(lightLevel, SharedLightLevel);
}

static void GLIMRA_CALL DecBrightnessProc(GlimraDib* bitmap, std::int32_t left, std::int32_t top,
                                          std::int32_t right, std::int32_t bottom,
                                          std::uint8_t times) {
    if (!Sound(bitmap, 24))
        return;
    const TRect area{left, top, right, bottom};
    // Darkening a window's live picture darkens what shows through it as well.
    TForm2* w = WindowOfPicture(bitmap->Bits);
    if (w)
        w->ModuleCover.Settle(ViewOf(std::as_const(w->WindowBitmap)), area);
    DecBrightness(PictureOf(bitmap), left, top, right, bottom, times);
    if (w && area.Width() >= 2 && area.Height() >= 2)
        w->ModuleCover.Darkened(ViewOf(std::as_const(w->WindowBitmap)), area, times);
}

// Where a blend of a w x h source lands in the window's picture.
TRect BlendArea(const QImage& picture, std::int32_t x, std::int32_t y, const GlimraDib& source,
                bool center) {
    if (center) {
        x = (picture.width() - source.Width) / 2;
        y = (picture.height() - source.Height) / 2;
    }
    return {x, y, x + source.Width, y + source.Height};
}

static void GLIMRA_CALL BlendProc(void* owner, std::int32_t x, std::int32_t y, GlimraDib* bitmap,
                                  double alpha, std::uint8_t lighten, std::uint8_t center) {
    TForm2* w = WindowOf(owner);
    if (!w || !Sound(bitmap, 24))
        return;
    const TRect area = BlendArea(w->WindowBitmap, x, y, *bitmap, center != 0);
    w->ModuleCover.Settle(ViewOf(std::as_const(w->WindowBitmap)), area);
    Blend(ViewOf(w->WindowBitmap), x, y, PictureOf(bitmap), alpha, lighten != 0, center != 0);
    w->ModuleCover.Blended(ViewOf(std::as_const(w->WindowBitmap)), area, alpha,
                           [](int, int) { return true; });
}

static void GLIMRA_CALL BlendMaskProc(void* owner, std::int32_t x, std::int32_t y,
                                      GlimraDib* bitmap, GlimraDib* mask, double alpha,
                                      std::uint8_t lighten, std::uint8_t center) {
    TForm2* w = WindowOf(owner);
    if (!w || !Sound(bitmap, 24) || !Sound(mask, 1))
        return;
    const TRect area = BlendArea(w->WindowBitmap, x, y, *bitmap, center != 0);
    w->ModuleCover.Settle(ViewOf(std::as_const(w->WindowBitmap)), area);
    BlendMask(ViewOf(w->WindowBitmap), x, y, PictureOf(bitmap), MaskOf(mask), alpha, lighten != 0,
              center != 0);
    const TMaskView bits = MaskOf(mask);
    w->ModuleCover.Blended(ViewOf(std::as_const(w->WindowBitmap)), area, alpha,
                           [&](int px, int py) {
                               const int c = px - area.Left, r = py - area.Top;
                               return bits.Contains(c, r) && bits.White(c, r);
                           });
}

static void GLIMRA_CALL GlimraRedraw(void* owner) {
    if (TForm2* w = WindowOf(owner))
        w->Redraw();
}

static void GLIMRA_CALL ControlUpdate(void* owner) {
    if (TForm2* w = WindowOf(owner))
        w->FormResize();
}

static void GLIMRA_CALL EnableUpdateThread(void* owner, std::uint8_t enable) {
    if (TForm2* w = WindowOf(owner))
        w->SetExternalUpdates(enable != 0);
}

static void GLIMRA_CALL SetEditText(void* owner, const char* text) {
    if (TForm2* w = WindowOf(owner))
        w->GlimraEdit1->setText(QString::fromUtf8(text ? text : ""));
}

static const char* GLIMRA_CALL GetEditText(void* owner) {
    TForm2* w = WindowOf(owner);
    if (!w)
        return "";
    w->ModuleTexts.EditText = w->GlimraEdit1->text().toStdString();
    return w->ModuleTexts.EditText.c_str();
}

static void GLIMRA_CALL EditLocation(void* owner, std::int32_t kind, std::int32_t x,
                                     std::int32_t y) {
    TForm2* w = WindowOf(owner);
    if (!w)
        return;
    if (kind == GLIMRA_EDIT_MOVE)
        w->GlimraEdit1->move(x, y);
    else if (kind == GLIMRA_EDIT_ALIGN_TOP)
        w->GlimraEdit1->SetAlignExtention(geaTop);
    else if (kind == GLIMRA_EDIT_ALIGN_MIDDLE)
        w->GlimraEdit1->SetAlignExtention(geaMiddle);
    else if (kind == GLIMRA_EDIT_ALIGN_BOTTOM)
        w->GlimraEdit1->SetAlignExtention(geaBottom);
}

static void GLIMRA_CALL EditVisible(void* owner, std::uint8_t visible) {
    if (TForm2* w = WindowOf(owner))
        w->GlimraEdit1->setVisible(visible != 0);
}

} // extern "C"

} // namespace

THostProcs HostProcedures() {
    THostProcs procs;
    procs.GlimraRect = GlimraRect;
    procs.Background = Background;
    procs.WrapText = WrapText;
    procs.LinesProperty = LinesProperty;
    procs.State = State;
    procs.DecBrightness = DecBrightnessProc;
    procs.Blend = BlendProc;
    procs.BlendMask = BlendMaskProc;
    procs.GlimraRedraw = GlimraRedraw;
    procs.ControlUpdate = ControlUpdate;
    procs.EnableUpdateThread = EnableUpdateThread;
    procs.SetEditText = SetEditText;
    procs.GetEditText = GetEditText;
    procs.EditLocation = EditLocation;
    procs.EditVisible = EditVisible;
    return procs;
}

void RegisterModuleOwner(TForm2* window) {
    LiveWindows().insert(window);
}

void UnregisterModuleOwner(TForm2* window) {
    LiveWindows().erase(window);
}

} // namespace glimra
