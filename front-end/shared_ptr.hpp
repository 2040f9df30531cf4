// A small shared-ownership pointer whose deleter is part of its type; release
// hands the pointer out so that the deleter no longer frees it.
#pragma once

#include <cstdint>
#include <utility>

namespace Pelk::util {

template <class T>
struct SharedImp {
    T* pointer;
    std::int32_t useCount;
};

template <class T, class Deleter>
class SharedPtr {
public:
    SharedPtr() = default;
    explicit SharedPtr(T* pointer) : imp_(new SharedImp<T>{pointer, 1}) {}
    SharedPtr(const SharedPtr& other) : imp_(other.imp_)
    {
        if (imp_)
            ++imp_->useCount;
    }
    SharedPtr& operator=(const SharedPtr& other)
    {
        SharedPtr copy(other);
        std::swap(imp_, copy.imp_);
        return *this;
    }
    ~SharedPtr() { dropReference(); }

    T* get() const { return imp_ ? imp_->pointer : nullptr; }

    T* release()
    {
        if (!imp_)
            return nullptr;
        return std::exchange(imp_->pointer, nullptr);
    }

private:
    // Kept out of line: inlined into a scope holding several copies, g++ 12
    // cannot see that the count stays above 0 and warns of a use after free.
    [[gnu::noinline]] void dropReference()
    {
        if (imp_ && --imp_->useCount == 0) {
            Deleter()(imp_->pointer);
            delete imp_;
        }
    }

    SharedImp<T>* imp_ = nullptr;
};

}  // namespace Pelk::util
