#include "common/color_rules.h"

#include "common/color_text.h"

#include <re2/re2.h>

namespace glimra {

inline constexpr std::string_view RegexPrefix = "re:";
inline constexpr std::string_view AlertFlag = "ALERT";

struct TRuleSet::TCompiled {
    explicit TCompiled(const TColorRule& rule)
        : Expression(Source(rule.Pattern), Options(rule.Pattern)) {}
    static bool IsRegex(std::string_view pattern) { return pattern.starts_with(RegexPrefix); }
    static std::string_view Source(std::string_view pattern) {
        return IsRegex(pattern) ? pattern.substr(RegexPrefix.size()) : pattern;
    }
    static RE2::Options Options(std::string_view pattern) {
        RE2::Options options;
        options.set_log_errors(false);
        if (!IsRegex(pattern)) {
            options.set_literal(true);
            options.set_case_sensitive(false);
        }
        return options;
    }
    RE2 Expression;
};

std::vector<TColorRule> DefaultColorRules() {
    return {{"ERROR", clRed, false}, {"WARN", clYellow, false}};
}

std::string ColorRuleText(const TColorRule& rule) {
    return rule.Pattern + "," + ColorToText(rule.Color) + "," +
           (rule.Alert ? std::string(AlertFlag) : std::string());
}

std::optional<TColorRule> TextToColorRule(std::string_view text) {
    const std::size_t last = text.rfind(',');
    if (last == std::string_view::npos)
        return std::nullopt;
    const std::string_view tail = text.substr(last + 1);
    if (auto color = TextToColor(tail)) // no flag written
        return TColorRule{std::string(text.substr(0, last)), *color, false};
    if (!tail.empty() && tail != AlertFlag)
        return std::nullopt;
    const std::size_t before = text.rfind(',', last - (last > 0 ? 1 : 0));
    if (before == std::string_view::npos || last == 0)
        return std::nullopt;
    auto color = TextToColor(text.substr(before + 1, last - before - 1));
    if (!color)
        return std::nullopt;
    return TColorRule{std::string(text.substr(0, before)), *color, !tail.empty()};
}

TRuleSet::TRuleSet(std::vector<TColorRule> rules) : rules_(std::move(rules)) {
    for (const TColorRule& rule : rules_)
        compiled_.push_back(std::make_unique<TCompiled>(rule));
}

TRuleSet::TRuleSet() = default;
TRuleSet::~TRuleSet() = default;

int TRuleSet::Match(std::string_view text) const {
    for (std::size_t i = 0; i < compiled_.size(); ++i)
        if (compiled_[i]->Expression.ok() &&
            RE2::PartialMatch(re2::StringPiece(text.data(), text.size()), compiled_[i]->Expression))
            return static_cast<int>(i);
    return -1;
}

bool TRuleSet::HasAlerts() const {
    for (const TColorRule& rule : rules_)
        if (rule.Alert)
            return true;
    return false;
}

std::vector<std::string> TRuleSet::Problems() const {
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < compiled_.size(); ++i)
        if (!compiled_[i]->Expression.ok())
            problems.push_back("Rule " + std::to_string(i + 1) + ": " +
                               compiled_[i]->Expression.error());
    return problems;
}

} // namespace glimra
