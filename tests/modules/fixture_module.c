/* A module for the host's tests, built once per variant with compile definitions:
 * FIXTURE_SPEC (the version it reports), FIXTURE_NAME, FIXTURE_NO_SPEC,
 * FIXTURE_NO_NAME and FIXTURE_NO_DRAW (leave that export out), and the hostile
 * ones: FIXTURE_CRASH_DRAW, FIXTURE_HANG_DRAW, FIXTURE_EXIT_DRAW (fault, never
 * return, exit(3) while drawing), FIXTURE_FORGE_HEADER (rewrite the lent header),
 * FIXTURE_LOAD_ABORT (abort while the library loads), FIXTURE_NULL_CREATE (make no
 * instance), FIXTURE_NULL_POINTERS (null for the area and extended rectangle),
 * FIXTURE_BAD_POINTERS (a Visible pointer to nowhere) and FIXTURE_CREATE_CALLS_HOST (call the host from ExpCreate).
 * It writes every call it receives into a log the tests read through FixtureLog. */
#include "modules/glimra_module.h"

#if !defined(GLIMRA_SDK_REVISION) || GLIMRA_SDK_REVISION < 2
#error "these fixtures are written against the second revision of the header"
#endif

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct Instance {
    int32_t Left, Top, Width, Height;
    uint8_t Visible;
    int32_t ExtRect[4];
    void* Owner;
} Instance;

static char Log[8192];
static int32_t SetParamResult;
static GlimraRedrawProc Redraw;
#ifdef FIXTURE_NULL_POINTERS
#define AREA(pointer) NULL
#else
#define AREA(pointer) (pointer)
#endif
static GlimraControlUpdateProc ControlUpdate;

#ifdef FIXTURE_LOAD_ABORT
__attribute__((constructor)) static void FailWhileLoading(void) { abort(); }
#endif

static void Note(const char* text) {
    size_t used = strlen(Log);
    if (used + strlen(text) + 2 < sizeof Log) {
        strcat(Log, text);
        strcat(Log, ";");
    }
}

static int Index(const Instance* instance) {
    return instance ? (int)(intptr_t)instance->Owner : -1;
}

static void NoteCall(const char* name, const void* instance) {
    char text[64];
    sprintf(text, "%s %d", name, Index((const Instance*)instance));
    Note(text);
}

/* For the tests only. */
GLIMRA_EXPORT const char* FixtureLog(void);
GLIMRA_EXPORT void FixtureClear(void);
GLIMRA_EXPORT void FixtureSetParamResult(int32_t result);

const char* FixtureLog(void) { return Log; }
void FixtureClear(void) { Log[0] = 0; }
void FixtureSetParamResult(int32_t result) { SetParamResult = result; }

void* ExpCreate(void* owner) {
    Instance* instance;
#ifdef FIXTURE_NULL_CREATE
    Note("ExpCreate null");
    return NULL;
#endif
#ifdef FIXTURE_CREATE_CALLS_HOST
    if (Redraw && ControlUpdate) {
        Redraw(owner);
        ControlUpdate(owner);
    }
#endif
    instance = (Instance*)calloc(1, sizeof(Instance));
    instance->Owner = owner;
    instance->Visible = 1;
    NoteCall("ExpCreate", instance);
    return instance;
}

void ExpFree(void* instance) {
    NoteCall("ExpFree", instance);
    free(instance);
}

#ifndef FIXTURE_NO_DRAW
void ExpDrawToBitmap(void* instance, GlimraDib* dc) {
    char text[64];
#ifdef FIXTURE_CRASH_DRAW
    volatile int* nowhere = NULL;
    *nowhere = 1;
#endif
#ifdef FIXTURE_HANG_DRAW
    for (;;)
        ;
#endif
#ifdef FIXTURE_EXIT_DRAW
    exit(3);
#endif
    sprintf(text, "Draw %d %dx%d", Index((Instance*)instance), (int)dc->Width, (int)dc->Height);
    Note(text);
#ifdef FIXTURE_FORGE_HEADER
    dc->Width *= 4;
    dc->Height *= 4;
    dc->Stride *= 4;
#endif
}
#endif

int32_t ExpSetParam(void* instance, const char* text) {
    char note[300];
    sprintf(note, "SetParam %d %.200s", Index((Instance*)instance), text);
    Note(note);
    return SetParamResult;
}

int32_t* GetLeftPtr(void* instance) {
    NoteCall("GetLeftPtr", instance);
    return AREA(&((Instance*)instance)->Left);
}
int32_t* GetTopPtr(void* instance) {
    NoteCall("GetTopPtr", instance);
    return AREA(&((Instance*)instance)->Top);
}
int32_t* GetWidthPtr(void* instance) {
    NoteCall("GetWidthPtr", instance);
    return AREA(&((Instance*)instance)->Width);
}
int32_t* GetHeightPtr(void* instance) {
    NoteCall("GetHeightPtr", instance);
    return AREA(&((Instance*)instance)->Height);
}
uint8_t* GetVisiblePtr(void* instance) {
    NoteCall("GetVisiblePtr", instance);
#ifdef FIXTURE_BAD_POINTERS
    return (uint8_t*)16;
#endif
    return &((Instance*)instance)->Visible;
}

void ExpMouseEmu(void* instance, uint8_t kind, uint8_t button, uint8_t shift, int32_t x,
                 int32_t y) {
    char text[96];
    sprintf(text, "Mouse %d %u %u %u %d %d", Index((Instance*)instance), (unsigned)kind,
            (unsigned)button, (unsigned)shift, (int)x, (int)y);
    Note(text);
}

#ifndef FIXTURE_NO_SPEC
int32_t ExpGetModuleSpec(void) {
    Note("ExpGetModuleSpec");
    return FIXTURE_SPEC;
}
#endif

#ifndef FIXTURE_NO_NAME
const char* ExpGetModuleName(void) {
    Note("ExpGetModuleName");
    return FIXTURE_NAME;
}
#endif
int32_t ExpGetModuleVersion(void) { return 1; }
const char* ExpGetModuleCopyRight(void) { return "the glimra4 tests"; }

#define SETTER(name, type)                                                                         \
    type name(type proc) {                                                                         \
        Note(proc ? #name : #name " null");                                                       \
        return proc;                                                                               \
    }
SETTER(ImpSetGlimraRect, GlimraRectProc)
SETTER(ImpSetBackground, GlimraBackgroundProc)
SETTER(ImpSetWrapText, GlimraWrapTextProc)
SETTER(ImpSetLinesProperty, GlimraLinesPropertyProc)
SETTER(ImpSetState, GlimraStateProc)
SETTER(ImpSetDecBrightnessProc, GlimraDecBrightnessProc)
SETTER(ImpSetBlendProc, GlimraBlendProc)
SETTER(ImpSetBlendMaskProc, GlimraBlendMaskProc)
GlimraRedrawProc ImpSetGlimraRedraw(GlimraRedrawProc proc) {
    Note(proc ? "ImpSetGlimraRedraw" : "ImpSetGlimraRedraw null");
    return Redraw = proc;
}
GlimraControlUpdateProc ImpSetControlUpdate(GlimraControlUpdateProc proc) {
    Note(proc ? "ImpSetControlUpdate" : "ImpSetControlUpdate null");
    return ControlUpdate = proc;
}
SETTER(ImpSetEnableUpdateThread, GlimraEnableUpdateThreadProc)
SETTER(ImpSetSetEditText, GlimraSetEditTextProc)
SETTER(ImpSetGetEditText, GlimraGetEditTextProc)
SETTER(ImpSetEditLocation, GlimraEditLocationProc)
SETTER(ImpSetEditVisible, GlimraEditVisibleProc)

int32_t* ExpGetExtModuleClientRect(void* instance) {
    NoteCall("ExpGetExtModuleClientRect", instance);
    return AREA(((Instance*)instance)->ExtRect);
}

void ExpKeyPress(void* instance, uint8_t kind, uint16_t key, uint8_t shift) {
    char text[96];
    sprintf(text, "Key %d %u %u %u", Index((Instance*)instance), (unsigned)kind, (unsigned)key,
            (unsigned)shift);
    Note(text);
}
