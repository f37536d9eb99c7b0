#pragma once
#include "modules/rap.h"
#include "platform/library_loader.h"

#include <gtest/gtest.h>

#include <string>

namespace glimra::testing {

inline std::string FixtureRoot() {
    return GLIMRA_FIXTURE_ROOT;
}
inline std::string FixturePath(const std::string& name) {
    return FixtureRoot() + "/Module/" + name + ".so";
}

// A second handle on a fixture library: the same copy the host loads, so its log
// shows what the host called. Clears the log and the SetParam answer.
class TFixture {
public:
    explicit TFixture(const std::string& name) {
        EXPECT_TRUE(Library.Open(FixturePath(name))) << Library.ErrorText();
        Clear();
        SetParamResult(0);
    }
    std::string Log() const {
        return reinterpret_cast<const char* (*)()>(Library.Symbol("FixtureLog"))();
    }
    void Clear() { reinterpret_cast<void (*)()>(Library.Symbol("FixtureClear"))(); }
    void SetParamResult(std::int32_t result) {
        reinterpret_cast<void (*)(std::int32_t)>(Library.Symbol("FixtureSetParamResult"))(result);
    }

private:
    TLibraryLoader Library;
};

inline void NoProc() {}

// Every procedure set to something non-null; the fixtures never call them.
inline THostProcs DummyProcs() {
    THostProcs p;
    p.GlimraRect = reinterpret_cast<GlimraRectProc>(&NoProc);
    p.Background = reinterpret_cast<GlimraBackgroundProc>(&NoProc);
    p.WrapText = reinterpret_cast<GlimraWrapTextProc>(&NoProc);
    p.LinesProperty = reinterpret_cast<GlimraLinesPropertyProc>(&NoProc);
    p.State = reinterpret_cast<GlimraStateProc>(&NoProc);
    p.DecBrightness = reinterpret_cast<GlimraDecBrightnessProc>(&NoProc);
    p.Blend = reinterpret_cast<GlimraBlendProc>(&NoProc);
    p.BlendMask = reinterpret_cast<GlimraBlendMaskProc>(&NoProc);
    p.GlimraRedraw = reinterpret_cast<GlimraRedrawProc>(&NoProc);
    p.ControlUpdate = reinterpret_cast<GlimraControlUpdateProc>(&NoProc);
    p.EnableUpdateThread = reinterpret_cast<GlimraEnableUpdateThreadProc>(&NoProc);
    p.SetEditText = reinterpret_cast<GlimraSetEditTextProc>(&NoProc);
    p.GetEditText = reinterpret_cast<GlimraGetEditTextProc>(&NoProc);
    p.EditLocation = reinterpret_cast<GlimraEditLocationProc>(&NoProc);
    p.EditVisible = reinterpret_cast<GlimraEditVisibleProc>(&NoProc);
    return p;
}

inline void* Owner(std::intptr_t n) {
    return reinterpret_cast<void*>(n);
}

// Places an instance's area.
inline void Place(TRap& rap, void* instance, std::int32_t left, std::int32_t top,
                  std::int32_t width, std::int32_t height) {
    *rap.GetLeftPtr(instance) = left;
    *rap.GetTopPtr(instance) = top;
    *rap.GetWidthPtr(instance) = width;
    *rap.GetHeightPtr(instance) = height;
}

} // namespace glimra::testing
