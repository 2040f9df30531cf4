// A reader thread that keeps the next stretch of a file read ahead of the
// parse, so that the file system's copy runs beside the parse, not in it.
#pragma once

#include "pelk/file_library.hpp"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace Pelk::core {

class ReadAhead {
public:
    static constexpr std::int32_t chunkSize = 256 * 1024;
    static constexpr int chunkCount = 4;

    enum class Status : std::uint8_t { Read, SeekError, ReadError };

    // The bytes read at one position: a whole chunk, fewer where a read came
    // up short (the chunk after it is never read), or none with the error.
    struct Chunk {
        std::int64_t start = 0;
        std::int32_t count = 0;
        Status status = Status::Read;
        const std::uint8_t* bytes = nullptr;
    };

    // Reads `handle` up to `fileSize`, starting at `position`. The handle is
    // the reader's alone until the destructor has joined it.
    ReadAhead(const FileLibrary& library, std::int32_t handle, std::int64_t fileSize, std::int64_t position);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The chunk holding `position`, waiting for it to be read, or the one
    // whose read failed there. Chunks before the previous one are given back
    // to the reader; a position outside the two kept sends the reader there.
    Chunk chunkAt(std::int64_t position);

    // The chunk after the last one chunkAt gave, for a window that runs over
    // its end; null when that one came up short.
    const Chunk* nextChunk();

private:
    struct Slot {
        Chunk chunk;
        std::unique_ptr<std::uint8_t[]> buffer;
    };

    void readChunks();
    bool holds(std::uint64_t sequence, std::int64_t position) const;
    Slot& slot(std::uint64_t sequence) { return slots[sequence % chunkCount]; }
    const Chunk& waitFor(std::uint64_t sequence, std::unique_lock<std::mutex>& lock);

    const FileLibrary& library;
    const std::int32_t handle;
    const std::int64_t fileSize;

    std::mutex mutex;
    std::condition_variable changed;
    Slot slots[chunkCount];
    // Sequences [kept, filled) are read and not given back; the reader
    // reads `filled` next, at `nextPosition`, while fewer than chunkCount are kept.
    std::uint64_t kept = 0;
    std::uint64_t filled = 0;
    std::uint64_t current = 0;
    std::int64_t nextPosition;
    // Raised for each move, so a read in flight across a move is dropped.
    std::uint64_t moves = 0;
    bool stopped = false;
    bool atEnd = false;
    Chunk following;
    std::thread reader;
};

} // namespace Pelk::core
