#include "read_ahead.hpp"

#include <algorithm>
#include <cstring>
#include <new>

namespace Pelk::core {

std::unique_ptr<ReadAhead> ReadAhead::start(const FileLibrary& library, std::int32_t handle, std::int64_t fileSize,
                                            std::int64_t position)
{
    std::unique_ptr<char[]> buffers = helperAllocator(std::size_t{chunkCount} * chunkSize + windowSize);
    if (!buffers)
        return nullptr;
    std::unique_ptr<ReadAhead> readAhead(
        new (std::nothrow) ReadAhead(library, handle, fileSize, position, std::move(buffers)));
    if (!readAhead || !readAhead->reader.start([](void* self) { static_cast<ReadAhead*>(self)->readChunks(); },
                                               readAhead.get()))
        return nullptr;
    return readAhead;
}

ReadAhead::ReadAhead(const FileLibrary& lib, std::int32_t fileHandle, std::int64_t size, std::int64_t position,
                     std::unique_ptr<char[]> chunkBuffers)
    : library(lib)
    , handle(fileHandle)
    , fileSize(size)
    , storage(std::move(chunkBuffers))
    , buffers(reinterpret_cast<std::uint8_t*>(storage.get()))
    , nextPosition(position)
{
    for (int i = 0; i < chunkCount; ++i)
        slots[i].buffer = buffers + std::size_t{chunkSize} * static_cast<std::size_t>(i);
}

ReadAhead::~ReadAhead()
{
    {
        std::lock_guard lock(mutex);
        stopped = true;
    }
    changed.notify_all();
    reader.join();
}

void ReadAhead::readChunks()
{
    // Where the handle stands, so that a read straight after the last one
    // needs no seek; unknown after a failure.
    std::int64_t handlePosition = -1;
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopped || (!atEnd && filled - kept < chunkCount); });
        if (stopped)
            return;
        const std::uint64_t sequence = filled;
        const std::uint64_t move = moves;
        Chunk chunk;
        chunk.start = nextPosition;
        chunk.bytes = slot(sequence).buffer;
        const auto wanted = static_cast<std::int32_t>(std::min<std::int64_t>(chunkSize, fileSize - chunk.start));
        lock.unlock();
        if (handlePosition != chunk.start && library.pelk_seek(handle, chunk.start, 0) != chunk.start) {
            chunk.status = Status::SeekError;
            handlePosition = -1;
        } else {
            const int n = library.pelk_read(handle, slot(sequence).buffer, wanted);
            if (n <= 0) {
                chunk.status = Status::ReadError;
                handlePosition = -1;
            } else {
                chunk.count = std::min(n, wanted);
                handlePosition = chunk.start + n;
                if (sequence % chunkCount == 0)
                    std::memcpy(buffers + std::size_t{chunkCount} * chunkSize, chunk.bytes,
                                static_cast<std::size_t>(std::min(chunk.count, windowSize)));
            }
        }
        lock.lock();
        if (move != moves)
            continue;
        slot(sequence).chunk = chunk;
        ++filled;
        nextPosition = chunk.start + chunk.count;
        atEnd = chunk.status != Status::Read || chunk.count < wanted || nextPosition >= fileSize;
        changed.notify_all();
    }
}

bool ReadAhead::holds(std::uint64_t sequence, std::int64_t position) const
{
    const Chunk& c = slots[sequence % chunkCount].chunk;
    if (c.status != Status::Read)
        return position == c.start;
    return position >= c.start && position - c.start < c.count;
}

const ReadAhead::Chunk& ReadAhead::waitFor(std::uint64_t sequence, std::unique_lock<std::mutex>& lock)
{
    changed.wait(lock, [&] { return filled > sequence; });
    return slot(sequence).chunk;
}

ReadAhead::Chunk ReadAhead::chunkAt(std::int64_t position)
{
    std::unique_lock lock(mutex);
    for (;;) {
        for (std::uint64_t s = kept; s < filled; ++s) {
            if (!holds(s, position))
                continue;
            // The chunk before stays, for the few bytes a header straddling
            // the chunks' edge is read back.
            if (s > kept + 1) {
                kept = s - 1;
                changed.notify_all();
            }
            current = s;
            return slot(s).chunk;
        }
        // The next chunk read will hold it: wait for that read, making room
        // for it if every slot is kept.
        if (!atEnd && position >= nextPosition && position - nextPosition < chunkSize) {
            if (filled - kept == chunkCount) {
                kept = filled - 1;
                changed.notify_all();
            }
            const std::uint64_t next = filled;
            waitFor(next, lock);
            continue;
        }
        // Anywhere else: drop what was read ahead and read from there.
        ++moves;
        kept = filled;
        nextPosition = position;
        atEnd = false;
        changed.notify_all();
        const std::uint64_t next = filled;
        current = next;
        return waitFor(next, lock);
    }
}

std::int32_t ReadAhead::contiguousBytes(const Chunk& chunk, std::int64_t position, std::int32_t wanted)
{
    const std::int64_t inChunk = chunk.start + chunk.count - position;
    if (inChunk >= wanted)
        return wanted;
    std::unique_lock lock(mutex);
    // A chunk that came up short, or the file's end, has nothing after it.
    if (chunk.count < chunkSize || chunk.start + chunk.count >= fileSize || (filled <= current + 1 && atEnd))
        return static_cast<std::int32_t>(inChunk);
    const Chunk& next = waitFor(current + 1, lock);
    if (next.status != Status::Read || next.start != chunk.start + chunk.count)
        return static_cast<std::int32_t>(inChunk);
    return static_cast<std::int32_t>(std::min<std::int64_t>(wanted, inChunk + next.count));
}

} // namespace Pelk::core
