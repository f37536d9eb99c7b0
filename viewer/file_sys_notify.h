#pragma once
#include <cstdint>
#include <initializer_list>

namespace glimra {

// What a directory watch reports, in the order the stored filters use.
enum class TFileSysNotify : std::uint8_t {
    FILE_NAME,
    DIR_NAME,
    ATTRIBUTES,
    SIZE,
    LAST_WRITE,
    SECURITY,
};

// A set of TFileSysNotify members, one bit each, in one byte.
class TNotifyFilter {
public:
    constexpr TNotifyFilter() = default;
    constexpr TNotifyFilter(std::initializer_list<TFileSysNotify> members) {
        for (TFileSysNotify m : members)
            bits_ |= Bit(m);
    }

    constexpr bool Contains(TFileSysNotify m) const { return (bits_ & Bit(m)) != 0; }
    constexpr void Include(TFileSysNotify m) { bits_ |= Bit(m); }
    constexpr void Exclude(TFileSysNotify m) { bits_ &= static_cast<std::uint8_t>(~Bit(m)); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint8_t Bits() const { return bits_; }
    constexpr bool operator==(const TNotifyFilter&) const = default;

private:
    static constexpr std::uint8_t Bit(TFileSysNotify m) {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(m));
    }
    std::uint8_t bits_ = 0;
};
static_assert(sizeof(TNotifyFilter) == 1);

// The watch's change mask (kNotify* bits): the low five members keep their bit;
// SECURITY moves to bit 8.
std::uint32_t NotifyFilterMask(TNotifyFilter filter);

} // namespace glimra
