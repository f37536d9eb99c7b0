#pragma once
#include "modules/rap.h"

namespace glimra {

class TForm2;

// The procedures every module gets. Each checks the Owner it is given against the
// windows alive now and every bitmap header before it touches pixels; an unknown
// Owner or a bad header makes it do nothing (or return null, or "error.").
THostProcs HostProcedures();

// A window may be named by its modules from its construction to its destruction.
void RegisterModuleOwner(TForm2* window);
void UnregisterModuleOwner(TForm2* window);

} // namespace glimra
