#include "pelk/helper_thread.hpp"

#include <sys/mman.h>

#include <algorithm>
#include <new>

namespace Pelk::core {

namespace {

// Room the run keeps after a helper's buffer and stack: the main thread's
// stack and the conversion's tables still grow once the helpers are working,
// and under an address-space limit they would meet it there, where a stack
// cannot grow and a table cannot be had.
constexpr std::size_t roomToSpare = std::size_t{1} << 20;

} // namespace

bool addressSpaceLeft(std::size_t bytes)
{
    // A mapping that is never touched costs address space and nothing else.
    void* probe = ::mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (probe == MAP_FAILED)
        return false;
    ::munmap(probe, bytes);
    return true;
}

std::unique_ptr<char[]> allocateHelperBuffer(std::size_t size)
{
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
    if (buffer && !addressSpaceLeft(HelperThread::stackSize + roomToSpare))
        buffer.reset();
    return buffer;
}

HelperAllocator helperAllocator = allocateHelperBuffer;

bool HelperThread::start(void (*threadBody)(void*), void* threadContext)
{
    body = threadBody;
    context = threadContext;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    // std::thread cannot be given a stack size.
    const auto minimum = static_cast<std::size_t>(PTHREAD_STACK_MIN);
    pthread_attr_setstacksize(&attributes, std::max(stackSize, minimum));
    auto run = [](void* self) -> void* {
        auto* helper = static_cast<HelperThread*>(self);
        helper->body(helper->context);
        return nullptr;
    };
    running = pthread_create(&thread, &attributes, run, this) == 0;
    pthread_attr_destroy(&attributes);
    return running;
}

void HelperThread::join()
{
    if (running)
        pthread_join(thread, nullptr);
    running = false;
}

} // namespace Pelk::core
