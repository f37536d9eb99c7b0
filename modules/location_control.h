#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace glimra {

// Where a module instance's area sits in its window: the pointers reach the
// instance's own values, which the module may change at any time. Layout
// skips a null pointer (a null Visible counts as hidden).
struct TLocationEntry {
    std::int32_t Order = 0;
    void* Instance = nullptr;
    std::uint8_t* Visible = nullptr;
    std::string Name;
    std::int32_t* Left = nullptr;
    std::int32_t* Top = nullptr;
    std::int32_t* Width = nullptr;
    std::int32_t* Height = nullptr;
    // The library the pointers belong to, blamed when one is bad.
    const char* Library = nullptr;
};

// The column of module areas of one window: right-aligned to the anchor,
// stacked downwards in an order the user may change and the program remembers
// per module name. After Normalize, MoveTo and Layout the entries are sorted by
// Order and each Order equals its index.
class TLocationControl {
public:
    std::int32_t AnchorX = 0;
    std::int32_t AnchorY = 0;

    void AddLocation(void* instance, const std::string& name, std::int32_t order,
                     std::uint8_t* visible, std::int32_t* left, std::int32_t* top,
                     std::int32_t* width, std::int32_t* height, const char* library = nullptr);
    // Both search from the last entry; -1 when none.
    int IndexOfOrder(std::int32_t order) const;
    int IndexOfInstance(const void* instance) const;
    std::int32_t OrderOf(const void* instance) const;

    // Sorts by Order (entries with equal Orders keep the order they were added
    // in) and numbers the entries 0 … count − 1.
    void Normalize();
    void MoveTo(const void* instance, std::int32_t newOrder);
    void SetAnchor(std::int32_t x, std::int32_t y);
    void Layout();

    // The U and D keys: one place up (delta −1) or down (+1); nothing at either
    // end or for an unknown instance. Whether it moved.
    bool Step(const void* instance, int delta);

    // In column order; an entry's index is the Location to store for its Name.
    const std::vector<TLocationEntry>& Entries() const { return List; }
    int Count() const { return static_cast<int>(List.size()); }

private:
    // Stable; among equal Orders the entry of movedLast comes last.
    void SortByOrder(const void* movedLast = nullptr);

    std::vector<TLocationEntry> List;
};

} // namespace glimra
