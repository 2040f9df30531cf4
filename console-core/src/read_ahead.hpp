// A reader thread that keeps the next stretch of a file read ahead of the
// parse, so that the file system's copy runs beside the parse, not in it.
#pragma once

#include "pelk/file_library.hpp"
#include "pelk/helper_thread.hpp"
#include "pelk/paged_file.hpp"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

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

    // A reader of `handle` up to `fileSize`, starting at `position`, with
    // its buffers and thread, or null when any of them cannot be had. The
    // handle is the reader's alone until the destructor has joined it.
    static std::unique_ptr<ReadAhead> start(const FileLibrary& library, std::int32_t handle, std::int64_t fileSize,
                                            std::int64_t position);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The chunk holding `position`, waiting for it to be read, or the one
    // whose read failed there. Chunks before the previous one are given back
    // to the reader; a position outside the two kept sends the reader there.
    Chunk chunkAt(std::int64_t position);

    // How many bytes from `position` lie one after another in memory, up to
    // `wanted`: a window that runs over the end of the chunk chunkAt gave
    // goes on into the next one, waiting for it to be read. Chunks follow
    // each other in one buffer, and the start of the first is repeated after
    // the last, so the bytes are contiguous from chunk to chunk.
    std::int32_t contiguousBytes(const Chunk& chunk, std::int64_t position, std::int32_t wanted);

private:
    ReadAhead(const FileLibrary& library, std::int32_t handle, std::int64_t fileSize, std::int64_t position,
              std::unique_ptr<char[]> buffers);

    struct Slot {
        Chunk chunk;
        std::uint8_t* buffer = nullptr;
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
    // The chunks, then a copy of the first window's worth of the first chunk.
    std::unique_ptr<char[]> storage;
    std::uint8_t* const buffers;
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
    HelperThread reader;
};

} // namespace Pelk::core
