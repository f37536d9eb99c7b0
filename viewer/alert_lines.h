#pragma once
#include "common/color_rules.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimra {

// Splits appended bytes into whole lines and hands on those an alert rule matches: each
// byte is scanned once and each line matched once, however the bytes are cut.
class TAlertLines {
public:
    // A line longer than this is matched by its head when the head is full.
    static constexpr std::size_t MaxLine = std::size_t{16} << 20;
    using THit = std::function<void(int rule, std::string_view line)>;

    void Feed(std::string_view bytes, const TRuleSet& rules, const THit& hit);
    // The bytes that follow do not continue the held line.
    void Reset();

private:
    void Finish(const TRuleSet& rules, const THit& hit);
    std::string Pending;
    bool Skipping = false; // the rest of a line already matched by its head
};

// A notification body: the line cut to 200 characters, and how many more came.
std::string AlertBody(std::string_view line, int more);

// At most one notification per rule every Interval: the first goes at once; later ones
// are counted, and when the interval ends the last of them goes, saying how many more
// arrived meanwhile.
class TAlertThrottle {
public:
    using TClock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds Interval{10};

    // The body to send at once, if any.
    std::optional<std::string> Hit(int rule, std::string_view line, TClock::time_point now);
    // The bodies whose interval ended by now.
    std::vector<std::string> Due(TClock::time_point now);
    // When Due will next have a body.
    std::optional<TClock::time_point> NextDue() const;

private:
    struct TState {
        TClock::time_point Since;
        std::string Last;
        int Held = 0;
    };
    std::map<int, TState> States;
};

} // namespace glimra
