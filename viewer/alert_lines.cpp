#include "viewer/alert_lines.h"

#include <utility>

namespace glimra {

void TAlertLines::Feed(std::string_view bytes, const TRuleSet& rules, const THit& hit) {
    while (!bytes.empty()) {
        const std::size_t end = bytes.find_first_of("\r\n");
        const std::string_view part = bytes.substr(0, end);
        if (!Skipping) {
            Pending.append(part.substr(0, MaxLine - Pending.size()));
            if (Pending.size() == MaxLine) {
                Finish(rules, hit);
                Skipping = true;
            }
        }
        if (end == std::string_view::npos)
            return;
        if (!Skipping)
            Finish(rules, hit);
        Skipping = false;
        bytes.remove_prefix(end + 1);
    }
}

void TAlertLines::Finish(const TRuleSet& rules, const THit& hit) {
    // The LF of a CR LF ends an empty line, which matches nothing worth telling.
    if (!Pending.empty()) {
        const int rule = rules.Match(Pending);
        if (rule >= 0 && rules.Rules()[rule].Alert)
            hit(rule, Pending);
    }
    Pending.clear();
}

void TAlertLines::Reset() {
    Pending.clear();
    Skipping = false;
}

std::string AlertBody(std::string_view line, int more) {
    constexpr std::size_t limit = 200;
    std::size_t end = 0;
    for (std::size_t characters = 0; end < line.size() && characters < limit; ++characters) {
        ++end;
        while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
            ++end;
    }
    std::string body(line.substr(0, end));
    if (more > 0)
        body += " (and " + std::to_string(more) + " more)";
    return body;
}

std::optional<std::string> TAlertThrottle::Hit(int rule, std::string_view line,
                                               TClock::time_point now) {
    auto [it, fresh] = States.try_emplace(rule);
    TState& state = it->second;
    if (!fresh && now < state.Since + Interval) {
        ++state.Held;
        state.Last = line;
        return std::nullopt;
    }
    const int more = std::exchange(state.Held, 0);
    state.Since = now;
    return AlertBody(line, more);
}

std::vector<std::string> TAlertThrottle::Due(TClock::time_point now) {
    std::vector<std::string> bodies;
    for (auto& [rule, state] : States)
        if (state.Held > 0 && now >= state.Since + Interval) {
            bodies.push_back(AlertBody(state.Last, state.Held - 1));
            state.Held = 0;
            state.Since = now;
        }
    return bodies;
}

std::optional<TAlertThrottle::TClock::time_point> TAlertThrottle::NextDue() const {
    std::optional<TClock::time_point> next;
    for (const auto& [rule, state] : States)
        if (state.Held > 0 && (!next || state.Since + Interval < *next))
            next = state.Since + Interval;
    return next;
}

} // namespace glimra
