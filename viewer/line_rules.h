#pragma once
#include "common/color_rules.h"

#include <QColor>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace glimra {

class TLineStore;

// The colour rules a window draws its lines by.
class TLineRules {
public:
    // Bytes of a file line that are matched for its colour: a giant line is coloured by
    // its head, so a frame never reads it whole.
    static constexpr std::size_t MatchLimit = std::size_t{64} << 10;

    // Takes the rules when they differ from the ones in effect; true when they did.
    bool Apply(const std::vector<TColorRule>& rules);
    // Grows with each new set of rules: pictures drawn under another are stale.
    std::uint64_t Generation() const { return generation_; }
    std::shared_ptr<const TRuleSet> Set() const { return set_; }
    // The colour of each display line's file line: the first matching rule's, or an
    // invalid colour for none.
    std::vector<QColor> Colors(const TLineStore& store,
                               const std::vector<std::size_t>& displayLines) const;

private:
    std::shared_ptr<const TRuleSet> set_ = std::make_shared<const TRuleSet>();
    std::uint64_t generation_ = 0;
};

} // namespace glimra
