#pragma once
#include <functional>

namespace glimra {

// The platform's warning sound.
void Beep();

// Replaces the sound (tests count beeps with it); an empty hook restores it.
// Main thread only, like Beep itself.
void SetBeepHook(std::function<void()> hook);

} // namespace glimra
