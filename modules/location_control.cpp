#include "modules/location_control.h"

#include "platform/crash_guard.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace glimra {
namespace {

std::int32_t Saturated(long long v) {
    return static_cast<std::int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

} // namespace

void TLocationControl::AddLocation(void* instance, const std::string& name, std::int32_t order,
                                   std::uint8_t* visible, std::int32_t* left, std::int32_t* top,
                                   std::int32_t* width, std::int32_t* height, const char* library) {
    List.push_back({order, instance, visible, name, left, top, width, height, library});
}

int TLocationControl::IndexOfOrder(std::int32_t order) const {
    for (int i = Count() - 1; i >= 0; --i)
        if (List[i].Order == order)
            return i;
    return -1;
}

int TLocationControl::IndexOfInstance(const void* instance) const {
    for (int i = Count() - 1; i >= 0; --i)
        if (List[i].Instance == instance)
            return i;
    return -1;
}

std::int32_t TLocationControl::OrderOf(const void* instance) const {
    const int i = IndexOfInstance(instance);
    return i < 0 ? -1 : List[i].Order;
}

void TLocationControl::SortByOrder(const void* movedLast) {
    std::stable_sort(List.begin(), List.end(),
                     [movedLast](const TLocationEntry& a, const TLocationEntry& b) {
                         if (a.Order != b.Order)
                             return a.Order < b.Order;
                         return a.Instance != movedLast && b.Instance == movedLast;
                     });
}

void TLocationControl::Normalize() {
    SortByOrder();
    for (int i = 0; i < Count(); ++i)
        List[i].Order = i;
}

void TLocationControl::MoveTo(const void* instance, std::int32_t newOrder) {
    // Open the place newOrder, put the instance there, renumber what follows.
    int b = IndexOfOrder(newOrder);
    if (b >= 0)
        for (int i = b; i < Count(); ++i)
            List[i].Order = i + 1;
    const int k = IndexOfInstance(instance);
    if (k >= 0) {
        List[k].Order = newOrder;
        b = k;
    }
    // When neither was found, b is −1 and every entry is renumbered.
    for (int i = b + 1; i < Count(); ++i)
        List[i].Order = i;
    // Moving down leaves the instance level with the entry that held its new
    // place; it goes after that entry, so it ends up at newOrder.
    SortByOrder(instance);
    Layout();
}

void TLocationControl::SetAnchor(std::int32_t x, std::int32_t y) {
    if (x == AnchorX && y == AnchorY)
        return;
    AnchorX = x;
    AnchorY = y;
    Layout();
}

void TLocationControl::Layout() {
    // The sizes are the module's: any value must neither overflow nor be
    // dereferenced through a null pointer.
    long long y = AnchorY;
    for (int i = 0; i < Count(); ++i) {
        TLocationEntry& e = List[i];
        e.Order = i;
        std::optional<TCrashScope> guard;
        if (e.Library)
            guard.emplace(e.Library, "area");
        const long long width = e.Width ? *e.Width : 0;
        if (e.Left)
            *e.Left = Saturated(AnchorX - width);
        if (e.Top)
            *e.Top = Saturated(y);
        if (e.Visible && *e.Visible != 0)
            y += (e.Height ? *e.Height : 0) + 5LL;
    }
}

bool TLocationControl::Step(const void* instance, int delta) {
    const std::int32_t order = OrderOf(instance);
    if (order < 0)
        return false;
    const long long target = static_cast<long long>(order) + delta;
    if (target < 0 || target >= Count())
        return false;
    MoveTo(instance, static_cast<std::int32_t>(target));
    return true;
}

} // namespace glimra
