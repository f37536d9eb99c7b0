/* A module as a third party would write it, from the header alone: it paints its
 * area in one colour, the left half straight into the DC and the right half through
 * the host's Blend, turns to a second colour each time it is clicked, and blends a
 * yellow 10 x 10 square at 0.7 just below its area. The end-to-end test watches it on the screen. Built with
 * PAINTER_FORGE it first hands the host forged owners and broken bitmaps. */
#include "modules/glimra_module.h"

#include <stdlib.h>
#include <string.h>

typedef struct Painter {
    int32_t Left, Top, Width, Height;
    uint8_t Visible;
    void* Owner;
    int Clicked;
} Painter;

static GlimraBlendProc Blend;
static GlimraRedrawProc Redraw;
static GlimraWrapTextProc WrapText;
static GlimraDecBrightnessProc DecBrightness;
static GlimraBlendMaskProc BlendMask;

#ifdef PAINTER_FORGE
/* Every call here must be refused by the host without touching memory. */
static void Forge(Painter* p) {
    uint8_t pixel[4] = {1, 2, 3, 0};
    void* stranger = (void*)&pixel;
    GlimraDib empty = {0, 5, 24, 0, pixel};
    GlimraDib upsideDown = {1, 1, 24, -4, pixel};
    GlimraDib nobits = {4, 4, 24, 12, NULL};
    GlimraDib shortRows = {100, 1, 24, 4, pixel};
    GlimraDib deep = {1, 1, 32, 4, pixel};
    GlimraDib one = {1, 1, 24, 4, pixel};
    Blend(stranger, 0, 0, &one, 1.0, 0, 0);
    Blend(NULL, 0, 0, &one, 1.0, 0, 0);
    Blend(p->Owner, 0, 0, NULL, 1.0, 0, 0);
    Blend(p->Owner, 0, 0, &nobits, 1.0, 0, 0);
    Blend(p->Owner, 0, 0, &shortRows, 1.0, 0, 0);
    Blend(p->Owner, 0, 0, &deep, 1.0, 0, 0);
    BlendMask(p->Owner, 0, 0, &one, &one, 1.0, 0, 0); /* a picture is no mask */
    DecBrightness(&empty, 0, 0, 1000, 1000, 1);
    DecBrightness(&upsideDown, 0, 0, 1, 1, 1);
    DecBrightness(&one, -100, -100, 100, 100, 3); /* clipped to the one pixel */
    (void)WrapText(stranger, 0);
    (void)WrapText(p->Owner, -1);
    Redraw(p->Owner); /* from inside its own drawing */
}
#endif

void* ExpCreate(void* owner) {
    Painter* p = (Painter*)calloc(1, sizeof(Painter));
    if (!p)
        return NULL;
    p->Width = 40;
    p->Height = 20;
    p->Visible = 1;
    p->Owner = owner;
    return p;
}

void ExpFree(void* instance) { free(instance); }

void ExpDrawToBitmap(void* instance, GlimraDib* dc) {
    Painter* p = (Painter*)instance;
    if (!p || !p->Visible || !Blend)
        return;
#ifdef PAINTER_FORGE
    Forge(p);
#endif
    /* Magenta, then green after a click: blue, green, red bytes. */
    const uint8_t colour[2][3] = {{255, 0, 255}, {0, 255, 0}};
    int32_t stride = (p->Width * 3 + 3) / 4 * 4;
    uint8_t* bits = (uint8_t*)malloc((size_t)stride * (size_t)p->Height);
    if (!bits)
        return;
    for (int32_t y = 0; y < p->Height; ++y)
        for (int32_t x = 0; x < p->Width; ++x)
            memcpy(bits + y * stride + x * 3, colour[p->Clicked & 1], 3);
    GlimraDib picture = {p->Width, p->Height, 24, stride, bits};
    Blend(p->Owner, p->Left, p->Top, &picture, 1.0, 0, 0);
    for (int32_t y = 0; dc && dc->Bits && y < p->Height; ++y)
        for (int32_t x = 0; x < p->Width / 2; ++x)
            if (p->Top + y >= 0 && p->Top + y < dc->Height && p->Left + x >= 0 &&
                p->Left + x < dc->Width)
                memcpy(dc->Bits + (p->Top + y) * dc->Stride + (p->Left + x) * 3,
                       colour[p->Clicked & 1], 3);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x)
            memcpy(bits + y * stride + x * 3, "\0\377\377", 3);
    GlimraDib square = {10, 10, 24, stride, bits};
    Blend(p->Owner, p->Left, p->Top + p->Height, &square, 0.7, 0, 0);
    free(bits);
}

int32_t ExpSetParam(void* instance, const char* text) {
    (void)instance;
    (void)text;
    return 0;
}

int32_t* GetLeftPtr(void* instance) { return &((Painter*)instance)->Left; }
int32_t* GetTopPtr(void* instance) { return &((Painter*)instance)->Top; }
int32_t* GetWidthPtr(void* instance) { return &((Painter*)instance)->Width; }
int32_t* GetHeightPtr(void* instance) { return &((Painter*)instance)->Height; }
uint8_t* GetVisiblePtr(void* instance) { return &((Painter*)instance)->Visible; }

void ExpMouseEmu(void* instance, uint8_t kind, uint8_t button, uint8_t shift, int32_t x,
                 int32_t y) {
    Painter* p = (Painter*)instance;
    (void)button;
    (void)shift;
    (void)x;
    (void)y;
    if (kind == GLIMRA_MOUSE_UP) {
        ++p->Clicked;
        if (Redraw)
            Redraw(p->Owner);
    }
}

int32_t ExpGetModuleSpec(void) { return 258; }
const char* ExpGetModuleName(void) { return "PAINTER"; }
int32_t ExpGetModuleVersion(void) { return 1; }
const char* ExpGetModuleCopyRight(void) { return "the glimra4 tests"; }

GlimraRectProc ImpSetGlimraRect(GlimraRectProc proc) { return proc; }
GlimraBackgroundProc ImpSetBackground(GlimraBackgroundProc proc) { return proc; }
GlimraWrapTextProc ImpSetWrapText(GlimraWrapTextProc proc) { return WrapText = proc; }
GlimraLinesPropertyProc ImpSetLinesProperty(GlimraLinesPropertyProc proc) { return proc; }
GlimraStateProc ImpSetState(GlimraStateProc proc) { return proc; }
GlimraDecBrightnessProc ImpSetDecBrightnessProc(GlimraDecBrightnessProc proc) {
    return DecBrightness = proc;
}
GlimraBlendProc ImpSetBlendProc(GlimraBlendProc proc) { return Blend = proc; }
GlimraBlendMaskProc ImpSetBlendMaskProc(GlimraBlendMaskProc proc) { return BlendMask = proc; }
GlimraRedrawProc ImpSetGlimraRedraw(GlimraRedrawProc proc) { return Redraw = proc; }
GlimraControlUpdateProc ImpSetControlUpdate(GlimraControlUpdateProc proc) { return proc; }

static int32_t NoExtRect[4];
int32_t* ExpGetExtModuleClientRect(void* instance) {
    (void)instance;
    return NoExtRect;
}
