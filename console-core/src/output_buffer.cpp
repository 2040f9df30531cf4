#include "pelk/output_buffer.hpp"

#include "pelk/helper_thread.hpp"

#include <condition_variable>
#include <mutex>
#include <new>

namespace Pelk::core {

// One write at a time, in the order handed over; the buffer being written
// is the writer's until the next hand-over returns.
class WriteBehind {
public:
    // A writer with its spare buffer and thread, or null when any of them
    // cannot be had.
    static std::unique_ptr<WriteBehind> start(std::size_t capacity)
    {
        std::unique_ptr<char[]> spare = helperAllocator(capacity);
        if (!spare)
            return nullptr;
        std::unique_ptr<WriteBehind> writer(new (std::nothrow) WriteBehind(std::move(spare)));
        if (!writer || !writer->thread.start([](void* self) { static_cast<WriteBehind*>(self)->writeHandedOver(); },
                                             writer.get()))
            return nullptr;
        return writer;
    }

    ~WriteBehind()
    {
        finish();
        {
            std::lock_guard lock(mutex);
            stopped = true;
        }
        changed.notify_all();
        thread.join();
    }

    // Hands `bytes` over and returns the buffer to fill next, once the write
    // before has finished with it.
    char* handOver(std::ostream* target, char* bytes, std::size_t n)
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return !pending; });
        char* free = spare.release();
        spare.reset(bytes);
        job = {target, bytes, n};
        pending = true;
        changed.notify_all();
        return free;
    }

    // Waits until everything handed over is written.
    void finish()
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return !pending; });
    }

private:
    explicit WriteBehind(std::unique_ptr<char[]> spareBuffer) : spare(std::move(spareBuffer)) {}

    struct Job {
        std::ostream* target = nullptr;
        const char* bytes = nullptr;
        std::size_t n = 0;
    };

    void writeHandedOver()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return stopped || pending; });
            if (!pending)
                return;
            Job current = job;
            lock.unlock();
            current.target->write(current.bytes, static_cast<std::streamsize>(current.n));
            lock.lock();
            pending = false;
            changed.notify_all();
        }
    }

    std::mutex mutex;
    std::condition_variable changed;
    // The buffer of the write in flight, or the one free for the next swap.
    std::unique_ptr<char[]> spare;
    Job job;
    bool pending = false;
    bool stopped = false;
    HelperThread thread;
};

OutputBuffer::OutputBuffer(std::ostream* target, std::size_t capacity)
    : currentOutput(target), capacity(capacity), storage(std::make_unique_for_overwrite<char[]>(capacity))
{
    buffer = storage.get();
}

void OutputBuffer::writeBehind()
{
    // Without a writer to be had, the buffer is written where it fills.
    if (!writer)
        writer = WriteBehind::start(capacity);
}

OutputBuffer::~OutputBuffer()
{
    flush();
    writer.reset();
}

void OutputBuffer::handOff()
{
    if (used == 0)
        return;
    if (writer) {
        char* next = writer->handOver(currentOutput, buffer, used);
        // The buffer handed over is now the writer's; the one it gave back is
        // ours. `storage` follows, so that whichever one we hold is freed.
        storage.release();
        storage.reset(next);
        buffer = next;
    } else {
        currentOutput->write(buffer, static_cast<std::streamsize>(used));
    }
    used = 0;
}

void OutputBuffer::flush()
{
    handOff();
    if (writer)
        writer->finish();
}

void OutputBuffer::writeNow(std::string_view text)
{
    if (writer)
        writer->finish();
    currentOutput->write(text.data(), static_cast<std::streamsize>(text.size()));
}

} // namespace Pelk::core
