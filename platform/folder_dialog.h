#pragma once
#include <optional>
#include <string>

class QWidget;

namespace glimra {

// The platform's folder chooser, starting at start; the user may make new folders in
// it. nullopt when cancelled.
std::optional<std::string> ChooseFolder(QWidget* owner, const std::string& start);

} // namespace glimra
