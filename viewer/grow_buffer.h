#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace glimra {

// A growable array of plain values kept in one malloc block. Growing uses realloc,
// which for a large block moves pages instead of copying them: a gigabyte grows
// without a second gigabyte, and a grown tail costs memory only once it is written.
template <class T> class TGrowBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    TGrowBuffer() = default;
    ~TGrowBuffer() { std::free(Data); }
    TGrowBuffer(const TGrowBuffer&) = delete;
    TGrowBuffer& operator=(const TGrowBuffer&) = delete;
    TGrowBuffer(TGrowBuffer&& other) noexcept { Swap(other); }
    TGrowBuffer& operator=(TGrowBuffer&& other) noexcept {
        TGrowBuffer gone;
        gone.Swap(other);
        Swap(gone);
        return *this;
    }

    T* data() { return Data; }
    const T* data() const { return Data; }
    std::size_t size() const { return Size; }
    std::size_t capacity() const { return Capacity; }
    bool empty() const { return Size == 0; }
    T& operator[](std::size_t i) { return Data[i]; }
    const T& operator[](std::size_t i) const { return Data[i]; }
    T& back() { return Data[Size - 1]; }
    const T& back() const { return Data[Size - 1]; }

    // Room for at least n values; throws std::bad_alloc and keeps the contents when
    // the memory is not there.
    void reserve(std::size_t n) {
        if (n <= Capacity)
            return;
        void* grown = std::realloc(Data, n * sizeof(T));
        if (!grown)
            throw std::bad_alloc();
        Data = static_cast<T*>(grown);
        Capacity = n;
    }
    // Geometric growth keeps appends amortised O(appended).
    void ensure(std::size_t n) {
        if (n > Capacity)
            reserve(std::max(n, Capacity + Capacity / 2 + 16));
    }
    // New values are left as they are (callers write them).
    void resize(std::size_t n) {
        ensure(n);
        Size = n;
    }
    void push_back(T value) {
        ensure(Size + 1);
        Data[Size++] = value;
    }
    void append(const T* from, std::size_t n) {
        ensure(Size + n);
        if (n)
            std::memcpy(Data + Size, from, n * sizeof(T));
        Size += n;
    }
    void clear() { Size = 0; }
    // Gives the memory back.
    void release() {
        std::free(Data);
        Data = nullptr;
        Size = Capacity = 0;
    }

private:
    void Swap(TGrowBuffer& other) noexcept {
        std::swap(Data, other.Data);
        std::swap(Size, other.Size);
        std::swap(Capacity, other.Capacity);
    }
    T* Data = nullptr;
    std::size_t Size = 0;
    std::size_t Capacity = 0;
};

} // namespace glimra
