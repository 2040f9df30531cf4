// Test support: while one of these lives, every buffer the read-ahead and
// write-behind threads ask for is refused and counted, so that a test sees
// the programs fall back to reading and writing in place.
#pragma once

#include "pelk/helper_thread.hpp"

namespace Pelk::testing {

class RefusedHelperBuffers {
public:
    RefusedHelperBuffers() : saved(core::helperAllocator)
    {
        refusals() = 0;
        core::helperAllocator = refuse;
    }
    ~RefusedHelperBuffers() { core::helperAllocator = saved; }
    RefusedHelperBuffers(const RefusedHelperBuffers&) = delete;
    RefusedHelperBuffers& operator=(const RefusedHelperBuffers&) = delete;

    int refused() const { return refusals(); }

private:
    static int& refusals()
    {
        static int count = 0;
        return count;
    }
    static std::unique_ptr<char[]> refuse(std::size_t)
    {
        ++refusals();
        return nullptr;
    }

    core::HelperAllocator saved;
};

} // namespace Pelk::testing
