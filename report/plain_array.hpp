// A growable array of trivially copyable values on malloc and realloc, for
// the structure table's blocks and pools.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace Pelk::dressil {

// A large block grows by remapping its pages rather than by copying them,
// and capacity not yet written stays out of the resident set, so a table's
// peak memory is its contents.
template <class T>
class PlainArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PlainArray() = default;
    PlainArray(const PlainArray& other) { append(other.data(), other.size()); }
    PlainArray(PlainArray&& other) noexcept
        : items(std::exchange(other.items, nullptr))
        , count(std::exchange(other.count, 0))
        , capacity(std::exchange(other.capacity, 0))
    {
    }
    PlainArray& operator=(PlainArray other) noexcept
    {
        std::swap(items, other.items);
        std::swap(count, other.count);
        std::swap(capacity, other.capacity);
        return *this;
    }
    ~PlainArray() { std::free(items); }

    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    T* data() { return items; }
    const T* data() const { return items; }
    T* begin() { return items; }
    T* end() { return items + count; }
    const T* begin() const { return items; }
    const T* end() const { return items + count; }
    T& operator[](std::size_t i) { return items[i]; }
    const T& operator[](std::size_t i) const { return items[i]; }
    T& back() { return items[count - 1]; }

    void push_back(const T& value)
    {
        if (count == capacity)
            grow(count + 1);
        items[count++] = value;
    }
    void pop_back() { --count; }
    void append(const T* from, std::size_t n)
    {
        if (n == 0)
            return;
        if (capacity - count < n)
            grow(count + n);
        std::memcpy(items + count, from, n * sizeof(T));
        count += n;
    }
    // New elements are left for the caller to write.
    void resize(std::size_t n)
    {
        if (n > capacity)
            grow(n);
        count = n;
    }
    void clear() { count = 0; }
    void release() { *this = PlainArray(); }

private:
    void grow(std::size_t atLeast)
    {
        std::size_t next = std::max<std::size_t>({atLeast, capacity * 2, 16});
        if (next > SIZE_MAX / sizeof(T))
            throw std::bad_alloc();
        void* grown = std::realloc(items, next * sizeof(T));
        if (!grown)
            throw std::bad_alloc();
        items = static_cast<T*>(grown);
        capacity = next;
    }

    T* items = nullptr;
    std::size_t count = 0;
    std::size_t capacity = 0;
};

} // namespace Pelk::dressil
