#include "viewer/line_rules.h"

#include "common/qt_color.h"
#include "viewer/line_store.h"

namespace glimra {

bool TLineRules::Apply(const std::vector<TColorRule>& rules) {
    if (set_->Rules() == rules)
        return false;
    set_ = std::make_shared<const TRuleSet>(rules);
    ++generation_;
    return true;
}

std::vector<QColor> TLineRules::Colors(const TLineStore& store,
                                       const std::vector<std::size_t>& displayLines) const {
    std::vector<QColor> colors(displayLines.size());
    if (set_->Empty())
        return colors;
    // The rows of one file line follow each other: it is read and matched once.
    const auto heads = store.FileLineHeads(displayLines, MatchLimit);
    QColor lastColor;
    for (std::size_t i = 0; i < heads.size(); ++i) {
        if (i == 0 || heads[i].first != heads[i - 1].first) {
            const int rule = set_->Match(heads[i].second);
            lastColor = rule < 0 ? QColor() : ToQColor(set_->Rules()[rule].Color);
        }
        colors[i] = lastColor;
    }
    return colors;
}

} // namespace glimra
