#pragma once
#include "settings/reg_work.h"

#include <QFont>
#include <memory>

namespace glimra {

// The store of the running program: its folder, the primary screen, the real
// files, user store and dialogs. Call Load() on it next.
std::unique_ptr<TRegWork> CreateProgramRegWork(const QFont& ownerFont);

} // namespace glimra
