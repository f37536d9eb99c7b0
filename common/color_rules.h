#pragma once
#include "common/color.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimra {

// A line that matches Pattern is drawn in Color; Alert also announces it on the desktop
// when it arrives. Pattern is plain text matched without regard to case, or "re:" and
// a regular expression (RE2 syntax, linear time).
struct TColorRule {
    std::string Pattern;
    TColor Color = clRed;
    bool Alert = false;
    bool operator==(const TColorRule&) const = default;
};

// The rules a first start writes.
std::vector<TColorRule> DefaultColorRules();

// "ERROR,clRed,ALERT": the pattern may hold commas, so the colour and the flag are the
// last two fields. Reading also takes "ERROR,clRed"; nullopt for a bad colour or flag.
std::string ColorRuleText(const TColorRule& rule);
std::optional<TColorRule> TextToColorRule(std::string_view text);

// The rules compiled once, matched from any thread.
class TRuleSet {
public:
    TRuleSet();
    explicit TRuleSet(std::vector<TColorRule> rules);
    ~TRuleSet();
    TRuleSet(const TRuleSet&) = delete;
    TRuleSet& operator=(const TRuleSet&) = delete;

    const std::vector<TColorRule>& Rules() const { return rules_; }
    // The index of the first rule whose pattern occurs in text (UTF-8), or -1. A rule
    // whose expression does not compile matches nothing.
    int Match(std::string_view text) const;
    bool Empty() const { return rules_.empty(); }
    bool HasAlerts() const;
    // One line per rule whose expression does not compile, RE2's words saying where:
    // "Rule 3: missing ): (a".
    std::vector<std::string> Problems() const;

private:
    struct TCompiled;
    std::vector<TColorRule> rules_;
    std::vector<std::unique_ptr<TCompiled>> compiled_;
};

} // namespace glimra
