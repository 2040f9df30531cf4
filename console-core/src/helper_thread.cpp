#include "pelk/helper_thread.hpp"

#include <algorithm>
#include <new>

namespace Pelk::core {

std::unique_ptr<char[]> allocateHelperBuffer(std::size_t size)
{
    return std::unique_ptr<char[]>(new (std::nothrow) char[size]);
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
