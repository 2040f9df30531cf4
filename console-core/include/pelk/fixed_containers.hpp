// Fixed-capacity containers whose overflow and bad index are thrown as C
// strings, so one record never needs the heap.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Pelk::core {

template <class T, std::size_t Capacity>
class StaticVector {
public:
    using value_type = T;

    std::uint32_t size() const { return count; }
    bool empty() const { return count == 0; }
    static constexpr std::size_t capacity() { return Capacity; }
    const T* data() const { return elements; }
    T* data() { return elements; }
    void clear() { count = 0; }

    void push_back(const T& value)
    {
        if (count >= Capacity)
            throw "StaticVector::push_back";
        elements[count++] = value;
    }

    // New elements are left for the caller to overwrite; growing past the
    // capacity throws as push_back would.
    void resize(std::size_t n)
    {
        if (n > Capacity)
            throw "StaticVector::push_back";
        count = static_cast<std::uint32_t>(n);
    }

    const T& at(std::size_t index) const
    {
        if (index >= count)
            throw "Array::at";
        return elements[index];
    }
    const T& operator[](std::size_t index) const { return elements[index]; }

private:
    // Left uninitialised on purpose: a 32 KB record buffer is built per
    // record, and only the first `count` elements are ever read.
    T elements[Capacity];
    std::uint32_t count = 0;
};

template <class T, std::size_t Size>
struct Array {
    T elements[Size];

    static constexpr std::size_t size() { return Size; }
    const T* data() const { return elements; }
    T* data() { return elements; }
    const T& at(std::size_t index) const
    {
        if (index >= Size)
            throw "Array::at";
        return elements[index];
    }
    T& at(std::size_t index)
    {
        if (index >= Size)
            throw "Array::at";
        return elements[index];
    }
    const T& operator[](std::size_t index) const { return elements[index]; }
    T& operator[](std::size_t index) { return elements[index]; }
};

} // namespace Pelk::core
