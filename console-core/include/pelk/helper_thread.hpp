// The threads that read input ahead and write output behind, and the buffers
// they work in. Both are taken before the work starts or not at all, so that
// a program that cannot have them reads and writes in place instead.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <memory>

namespace Pelk::core {

// Whether `bytes` more address space can be had, as a limit such as
// `ulimit -v` allows.
bool addressSpaceLeft(std::size_t bytes);

// Where the helpers' buffers come from: null when none can be had, never a
// throw. Tests put an allocator that refuses here to see the fallback.
using HelperAllocator = std::unique_ptr<char[]> (*)(std::size_t size);
std::unique_ptr<char[]> allocateHelperBuffer(std::size_t size);
extern HelperAllocator helperAllocator;

// A thread with a small stack: the helpers call the file system and little
// else, and a stack of the usual 8 MB may be all an address-space limit left.
class HelperThread {
public:
    static constexpr std::size_t stackSize = 128 * 1024;

    HelperThread() = default;
    ~HelperThread() { join(); }
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

    // Runs body(context); false when no thread can be started.
    bool start(void (*body)(void*), void* context);
    // Waits for the body to return; nothing when none was started.
    void join();

private:
    pthread_t thread{};
    bool running = false;
    void (*body)(void*) = nullptr;
    void* context = nullptr;
};

} // namespace Pelk::core
