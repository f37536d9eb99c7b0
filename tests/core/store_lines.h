#pragma once
#include "viewer/line_store.h"

#include <string>
#include <vector>

namespace glimra {

// Every line the store holds now, in order.
inline std::vector<std::string> LinesOf(const TLineStore& store) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < store.LineCount(); ++i)
        out.emplace_back(store.Line(i));
    return out;
}

} // namespace glimra
