#pragma once

namespace glimra {

// The platform's warning sound.
void Beep();

} // namespace glimra
