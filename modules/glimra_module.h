/*
 * The glimra4 module interface. This header is all a module needs: the host and
 * every module share nothing else. It compiles as C99 and as C++.
 *
 * A module is a shared library in the Module folder beside glimra4. It exports the
 * Exp* and Get*Ptr functions and the Imp* setters below under their plain names.
 * Build it with hidden visibility; GLIMRA_EXPORT on these declarations makes just
 * the exports visible.
 *
 * Version policy: ExpGetModuleSpec names the version a module is written for.
 *   257  the base: every entry without a later version below.
 *   258  adds ExpGetExtModuleClientRect (the extended client rectangle).
 *   259  adds ImpSetEnableUpdateThread.
 *   260  adds nothing to the interface.
 *   261  adds ExpKeyPress and the edit procedures (ImpSetSetEditText,
 *        ImpSetGetEditText, ImpSetEditLocation, ImpSetEditVisible).
 * The host accepts 257 to 261 and refuses any other version. Every module must
 * export the entries of 257 (all but the four marked 258, 259 and 261 below); a
 * module that lacks one is refused. The later entries are optional: the host binds
 * and calls one only when the module's version includes it and the module exports
 * it. A refused module is asked only for its version and its name.
 *
 * Ownership: the side that creates a thing keeps owning it. An Owner is the host's
 * and only passed back; an Instance is the module's and only passed in. Every call
 * in either direction happens on the host's user-interface thread.
 *
 * Rules the host relies on:
 * - No C++ exception may leave an export: catch everything inside.
 * - The bitmap lent to ExpDrawToBitmap and the one Background returns are the host's:
 *   write pixels inside Width x Height, never the header. Each module gets a copy of
 *   the header for its call; changing it changes nothing for the host.
 * - A module that crashes the program, does not return from a call within about
 *   10 s, calls exit() or fails while its library loads is switched off at the next
 *   start and the user is told.
 */
#ifndef GLIMRA_MODULE_H
#define GLIMRA_MODULE_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define GLIMRA_CALL __stdcall
#else
#define GLIMRA_CALL
#endif

#if defined(_WIN32)
#define GLIMRA_EXPORT __declspec(dllexport)
#else
#define GLIMRA_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Revision of this header; it grows when the header is amended without a new spec. */
#define GLIMRA_SDK_REVISION 2

#define GLIMRA_SPEC_BASE 257
#define GLIMRA_SPEC_EXT_RECT 258
#define GLIMRA_SPEC_UPDATE_THREAD 259
#define GLIMRA_SPEC_260 260
#define GLIMRA_SPEC_KEYS 261
#define GLIMRA_SPEC_MIN GLIMRA_SPEC_BASE
#define GLIMRA_SPEC_MAX GLIMRA_SPEC_KEYS

/* Mouse kind, button and the shift set that come with ExpMouseEmu. */
#define GLIMRA_MOUSE_DOWN 0
#define GLIMRA_MOUSE_MOVE 1
#define GLIMRA_MOUSE_UP 2
#define GLIMRA_BUTTON_LEFT 0 /* also passed with GLIMRA_MOUSE_MOVE */
#define GLIMRA_BUTTON_RIGHT 1
#define GLIMRA_BUTTON_MIDDLE 2
#define GLIMRA_SHIFT_SHIFT 1
#define GLIMRA_SHIFT_ALT 2
#define GLIMRA_SHIFT_CTRL 4
#define GLIMRA_SHIFT_LEFT 8
#define GLIMRA_SHIFT_RIGHT 16
#define GLIMRA_SHIFT_MIDDLE 32
#define GLIMRA_SHIFT_DOUBLE 64

/* Key kind of ExpKeyPress; the key itself is a Windows virtual-key code. Letters and
 * digits of the main block are their upper-case ASCII codes ('A', '7'), whatever the
 * shift state; the shift set tells Shift apart. A key with no code here arrives as 0. */
#define GLIMRA_KEY_DOWN 0
#define GLIMRA_KEY_UP 1

#define GLIMRA_VK_BACK 0x08
#define GLIMRA_VK_TAB 0x09 /* Shift+Tab too */
#define GLIMRA_VK_CLEAR 0x0C
#define GLIMRA_VK_RETURN 0x0D /* the keypad's Enter too */
#define GLIMRA_VK_SHIFT 0x10
#define GLIMRA_VK_CONTROL 0x11
#define GLIMRA_VK_MENU 0x12 /* Alt */
#define GLIMRA_VK_PAUSE 0x13
#define GLIMRA_VK_CAPITAL 0x14 /* Caps Lock */
#define GLIMRA_VK_ESCAPE 0x1B
#define GLIMRA_VK_SPACE 0x20
#define GLIMRA_VK_PRIOR 0x21 /* Page Up */
#define GLIMRA_VK_NEXT 0x22  /* Page Down */
#define GLIMRA_VK_END 0x23
#define GLIMRA_VK_HOME 0x24
#define GLIMRA_VK_LEFT 0x25
#define GLIMRA_VK_UP 0x26
#define GLIMRA_VK_RIGHT 0x27
#define GLIMRA_VK_DOWN 0x28
#define GLIMRA_VK_SNAPSHOT 0x2C /* Print */
#define GLIMRA_VK_INSERT 0x2D
#define GLIMRA_VK_DELETE 0x2E
#define GLIMRA_VK_LWIN 0x5B /* the Super key */
#define GLIMRA_VK_APPS 0x5D /* the context-menu key */
#define GLIMRA_VK_NUMPAD0 0x60 /* to GLIMRA_VK_NUMPAD0 + 9 */
#define GLIMRA_VK_MULTIPLY 0x6A
#define GLIMRA_VK_ADD 0x6B
#define GLIMRA_VK_SUBTRACT 0x6D
#define GLIMRA_VK_DECIMAL 0x6E
#define GLIMRA_VK_DIVIDE 0x6F
#define GLIMRA_VK_F1 0x70 /* to GLIMRA_VK_F1 + 23 (F24) */
#define GLIMRA_VK_NUMLOCK 0x90
#define GLIMRA_VK_SCROLL 0x91
/* The punctuation keys of a US keyboard, by the key, shifted or not. */
#define GLIMRA_VK_OEM_1 0xBA      /* ; : */
#define GLIMRA_VK_OEM_PLUS 0xBB   /* = + */
#define GLIMRA_VK_OEM_COMMA 0xBC  /* , < */
#define GLIMRA_VK_OEM_MINUS 0xBD  /* - _ */
#define GLIMRA_VK_OEM_PERIOD 0xBE /* . > */
#define GLIMRA_VK_OEM_2 0xBF      /* / ? */
#define GLIMRA_VK_OEM_3 0xC0      /* ` ~ */
#define GLIMRA_VK_OEM_4 0xDB      /* [ { */
#define GLIMRA_VK_OEM_5 0xDC      /* \ | */
#define GLIMRA_VK_OEM_6 0xDD      /* ] } */
#define GLIMRA_VK_OEM_7 0xDE      /* ' " */

/* Kind of the EditLocation procedure. */
#define GLIMRA_EDIT_MOVE 0 /* to Left = X, Top = Y */
#define GLIMRA_EDIT_ALIGN_TOP 1
#define GLIMRA_EDIT_ALIGN_MIDDLE 2
#define GLIMRA_EDIT_ALIGN_BOTTOM 3

/*
 * A bitmap, and the drawing surface of one. Rows are top-down and padded to 4 bytes;
 * 24-bit pixels are blue, green, red; 1-bit masks are most significant bit first.
 * Whoever made it owns it and its Bits; the other side only borrows it for a call.
 */
typedef struct GlimraDib {
    int32_t Width;
    int32_t Height;
    int32_t BitCount;
    int32_t Stride;
    uint8_t* Bits;
} GlimraDib;

/*
 * Host procedures, handed to the module once per library through the Imp* setters
 * and shared by all its instances. Owner is the one the module got in ExpCreate.
 * "out" pointers are the module's variables, which the host fills.
 */

/* Out: the window's screen left, top, width and height. */
typedef void(GLIMRA_CALL* GlimraRectProc)(void* owner, int32_t* left, int32_t* top, int32_t* width,
                                          int32_t* height);
/* The window's composition bitmap; the host's, valid during the current call. NULL
 * for an unknown owner, and empty (Width 0) before the window's first composition. */
typedef GlimraDib*(GLIMRA_CALL* GlimraBackgroundProc)(void* owner);
/* Display line index, or "error." past the last; the host's, valid until the next
 * WrapText for the same window. */
typedef const char*(GLIMRA_CALL* GlimraWrapTextProc)(void* owner, int32_t index);
/* Out: line height, top line and the scroll maximum. */
typedef void(GLIMRA_CALL* GlimraLinesPropertyProc)(void* owner, int32_t* lineHeight,
                                                   int32_t* topLine, int32_t* scrollMax);
/* Out: the program's blend level and light level. */
typedef void(GLIMRA_CALL* GlimraStateProc)(int32_t* blendLevel, int32_t* lightLevel);
/* Darkens a rectangle of the module's bitmap, times times. */
typedef void(GLIMRA_CALL* GlimraDecBrightnessProc)(GlimraDib* bitmap, int32_t left, int32_t top,
                                                   int32_t right, int32_t bottom, uint8_t times);
/* Blends the module's bitmap onto the window's composition bitmap. */
typedef void(GLIMRA_CALL* GlimraBlendProc)(void* owner, int32_t x, int32_t y, GlimraDib* bitmap,
                                           double alpha, uint8_t lighten, uint8_t center);
/* As Blend, only the pixels whose bit is set in the module's 1-bit mask. */
typedef void(GLIMRA_CALL* GlimraBlendMaskProc)(void* owner, int32_t x, int32_t y, GlimraDib* bitmap,
                                               GlimraDib* mask, double alpha, uint8_t lighten,
                                               uint8_t center);
/* Recomposes and repaints the window (never from within ExpDrawToBitmap). */
typedef void(GLIMRA_CALL* GlimraRedrawProc)(void* owner);
/* Lays the window out again as if it had been resized. */
typedef void(GLIMRA_CALL* GlimraControlUpdateProc)(void* owner);
/* Lets the host's update thread drive the window, or stops it (259). */
typedef void(GLIMRA_CALL* GlimraEnableUpdateThreadProc)(void* owner, uint8_t enable);
/* Sets the text of the window's edit box; the host copies it (261). */
typedef void(GLIMRA_CALL* GlimraSetEditTextProc)(void* owner, const char* text);
/* The edit box's text; the host's, valid until the next GetEditText for the
 * same window (261). */
typedef const char*(GLIMRA_CALL* GlimraGetEditTextProc)(void* owner);
/* Moves or aligns the edit box, see GLIMRA_EDIT_* (261). */
typedef void(GLIMRA_CALL* GlimraEditLocationProc)(void* owner, int32_t kind, int32_t x, int32_t y);
/* Shows or hides the edit box (261). */
typedef void(GLIMRA_CALL* GlimraEditVisibleProc)(void* owner, uint8_t visible);

/*
 * Exports of a module, in the order the host binds them. Texts are UTF-8. The
 * module owns every pointer it returns; they must stay valid as long as the
 * instance (the Get*Ptr ones) or the library (the texts).
 */

/* Makes an instance for the window owner, or NULL for none: the host then asks
 * nothing more of it for that window. Host procedures called from here do nothing. */
typedef void*(GLIMRA_CALL* GlimraExpCreateFn)(void* owner);
/* Destroys an instance. */
typedef void(GLIMRA_CALL* GlimraExpFreeFn)(void* instance);
/* Draws into the window's composition bitmap (the host's, borrowed for the call). */
typedef void(GLIMRA_CALL* GlimraExpDrawToBitmapFn)(void* instance, GlimraDib* dc);
/* Offers the file about to open; only the low byte of the result counts: non-zero
 * takes the file (0x100 does not). */
typedef int32_t(GLIMRA_CALL* GlimraExpSetParamFn)(void* instance, const char* text);
/* The instance's area in window client pixels; the host writes Left and Top. */
typedef int32_t*(GLIMRA_CALL* GlimraGetLeftPtrFn)(void* instance);
typedef int32_t*(GLIMRA_CALL* GlimraGetTopPtrFn)(void* instance);
typedef int32_t*(GLIMRA_CALL* GlimraGetWidthPtrFn)(void* instance);
typedef int32_t*(GLIMRA_CALL* GlimraGetHeightPtrFn)(void* instance);
/* Non-zero: shown, laid out and given events; the host writes it. */
typedef uint8_t*(GLIMRA_CALL* GlimraGetVisiblePtrFn)(void* instance);
/* A mouse event inside the instance's area, in window client coordinates. */
typedef void(GLIMRA_CALL* GlimraExpMouseEmuFn)(void* instance, uint8_t kind, uint8_t button,
                                               uint8_t shift, int32_t x, int32_t y);
/* The version this module is written for. */
typedef int32_t(GLIMRA_CALL* GlimraExpGetModuleSpecFn)(void);
/* The module's name, shown in the window's module menu and stored by the host. */
typedef const char*(GLIMRA_CALL* GlimraExpGetModuleNameFn)(void);
/* The module's own version number; bound, not called. */
typedef int32_t(GLIMRA_CALL* GlimraExpGetModuleVersionFn)(void);
/* The maker; bound, not called. */
typedef const char*(GLIMRA_CALL* GlimraExpGetModuleCopyRightFn)(void);
/* Setters: each stores the procedure for the whole library and returns it. */
typedef GlimraRectProc(GLIMRA_CALL* GlimraImpSetGlimraRectFn)(GlimraRectProc proc);
typedef GlimraBackgroundProc(GLIMRA_CALL* GlimraImpSetBackgroundFn)(GlimraBackgroundProc proc);
typedef GlimraWrapTextProc(GLIMRA_CALL* GlimraImpSetWrapTextFn)(GlimraWrapTextProc proc);
typedef GlimraLinesPropertyProc(GLIMRA_CALL* GlimraImpSetLinesPropertyFn)(
    GlimraLinesPropertyProc proc);
typedef GlimraStateProc(GLIMRA_CALL* GlimraImpSetStateFn)(GlimraStateProc proc);
typedef GlimraDecBrightnessProc(GLIMRA_CALL* GlimraImpSetDecBrightnessProcFn)(
    GlimraDecBrightnessProc proc);
typedef GlimraBlendProc(GLIMRA_CALL* GlimraImpSetBlendProcFn)(GlimraBlendProc proc);
typedef GlimraBlendMaskProc(GLIMRA_CALL* GlimraImpSetBlendMaskProcFn)(GlimraBlendMaskProc proc);
typedef GlimraRedrawProc(GLIMRA_CALL* GlimraImpSetGlimraRedrawFn)(GlimraRedrawProc proc);
typedef GlimraControlUpdateProc(GLIMRA_CALL* GlimraImpSetControlUpdateFn)(
    GlimraControlUpdateProc proc);
/* 258: four consecutive int32_t Left, Top, Right, Bottom, the module's; when all
 * four are non-zero the instance gets every mouse event of its window. */
typedef int32_t*(GLIMRA_CALL* GlimraExpGetExtModuleClientRectFn)(void* instance);
/* 259 */
typedef GlimraEnableUpdateThreadProc(GLIMRA_CALL* GlimraImpSetEnableUpdateThreadFn)(
    GlimraEnableUpdateThreadProc proc);
/* 261: a key event; kind is GLIMRA_KEY_DOWN or GLIMRA_KEY_UP. */
typedef void(GLIMRA_CALL* GlimraExpKeyPressFn)(void* instance, uint8_t kind, uint16_t key,
                                               uint8_t shift);
/* 261 */
typedef GlimraSetEditTextProc(GLIMRA_CALL* GlimraImpSetSetEditTextFn)(GlimraSetEditTextProc proc);
typedef GlimraGetEditTextProc(GLIMRA_CALL* GlimraImpSetGetEditTextFn)(GlimraGetEditTextProc proc);
typedef GlimraEditLocationProc(GLIMRA_CALL* GlimraImpSetEditLocationFn)(
    GlimraEditLocationProc proc);
typedef GlimraEditVisibleProc(GLIMRA_CALL* GlimraImpSetEditVisibleFn)(GlimraEditVisibleProc proc);

/* The exports themselves, so a module's definitions are checked against the types. */
GLIMRA_EXPORT void* GLIMRA_CALL ExpCreate(void* owner);
GLIMRA_EXPORT void GLIMRA_CALL ExpFree(void* instance);
GLIMRA_EXPORT void GLIMRA_CALL ExpDrawToBitmap(void* instance, GlimraDib* dc);
GLIMRA_EXPORT int32_t GLIMRA_CALL ExpSetParam(void* instance, const char* text);
GLIMRA_EXPORT int32_t* GLIMRA_CALL GetLeftPtr(void* instance);
GLIMRA_EXPORT int32_t* GLIMRA_CALL GetTopPtr(void* instance);
GLIMRA_EXPORT int32_t* GLIMRA_CALL GetWidthPtr(void* instance);
GLIMRA_EXPORT int32_t* GLIMRA_CALL GetHeightPtr(void* instance);
GLIMRA_EXPORT uint8_t* GLIMRA_CALL GetVisiblePtr(void* instance);
GLIMRA_EXPORT void GLIMRA_CALL ExpMouseEmu(void* instance, uint8_t kind, uint8_t button,
                                           uint8_t shift, int32_t x, int32_t y);
GLIMRA_EXPORT int32_t GLIMRA_CALL ExpGetModuleSpec(void);
GLIMRA_EXPORT const char* GLIMRA_CALL ExpGetModuleName(void);
GLIMRA_EXPORT int32_t GLIMRA_CALL ExpGetModuleVersion(void);
GLIMRA_EXPORT const char* GLIMRA_CALL ExpGetModuleCopyRight(void);
GLIMRA_EXPORT GlimraRectProc GLIMRA_CALL ImpSetGlimraRect(GlimraRectProc proc);
GLIMRA_EXPORT GlimraBackgroundProc GLIMRA_CALL ImpSetBackground(GlimraBackgroundProc proc);
GLIMRA_EXPORT GlimraWrapTextProc GLIMRA_CALL ImpSetWrapText(GlimraWrapTextProc proc);
GLIMRA_EXPORT GlimraLinesPropertyProc GLIMRA_CALL ImpSetLinesProperty(GlimraLinesPropertyProc proc);
GLIMRA_EXPORT GlimraStateProc GLIMRA_CALL ImpSetState(GlimraStateProc proc);
GLIMRA_EXPORT GlimraDecBrightnessProc GLIMRA_CALL
ImpSetDecBrightnessProc(GlimraDecBrightnessProc proc);
GLIMRA_EXPORT GlimraBlendProc GLIMRA_CALL ImpSetBlendProc(GlimraBlendProc proc);
GLIMRA_EXPORT GlimraBlendMaskProc GLIMRA_CALL ImpSetBlendMaskProc(GlimraBlendMaskProc proc);
GLIMRA_EXPORT GlimraRedrawProc GLIMRA_CALL ImpSetGlimraRedraw(GlimraRedrawProc proc);
GLIMRA_EXPORT GlimraControlUpdateProc GLIMRA_CALL ImpSetControlUpdate(GlimraControlUpdateProc proc);
GLIMRA_EXPORT int32_t* GLIMRA_CALL ExpGetExtModuleClientRect(void* instance);
GLIMRA_EXPORT GlimraEnableUpdateThreadProc GLIMRA_CALL
ImpSetEnableUpdateThread(GlimraEnableUpdateThreadProc proc);
GLIMRA_EXPORT void GLIMRA_CALL ExpKeyPress(void* instance, uint8_t kind, uint16_t key,
                                           uint8_t shift);
GLIMRA_EXPORT GlimraSetEditTextProc GLIMRA_CALL ImpSetSetEditText(GlimraSetEditTextProc proc);
GLIMRA_EXPORT GlimraGetEditTextProc GLIMRA_CALL ImpSetGetEditText(GlimraGetEditTextProc proc);
GLIMRA_EXPORT GlimraEditLocationProc GLIMRA_CALL ImpSetEditLocation(GlimraEditLocationProc proc);
GLIMRA_EXPORT GlimraEditVisibleProc GLIMRA_CALL ImpSetEditVisible(GlimraEditVisibleProc proc);

#ifdef __cplusplus
}
#endif

#endif /* GLIMRA_MODULE_H */
