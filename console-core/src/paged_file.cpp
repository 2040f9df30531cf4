#include "pelk/paged_file.hpp"

#include "read_ahead.hpp"

#include <algorithm>
#include <cstring>

namespace Pelk::core {

std::unique_ptr<std::uint8_t[]> makeWindowBuffer(std::uint8_t fill)
{
    auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(windowSize);
    std::memset(buffer.get(), fill, windowSize);
    return buffer;
}

PagedFile::PagedFile(const std::string& path, const FileLibrary& lib)
    : library(lib)
    , handle(openFileHandle(lib, path.c_str(), readOnlyRawMode))
    , fileSize(0)
    , windowStart(-1)
    , bytesValid(0)
{
    // Never call into an incomplete binding or seek on a failed handle.
    if (handle < 1)
        throw "Can't open file";
    fileSize = library.pelk_seek(handle, 0, 2);
    windowStart = library.pelk_seek(handle, 0, 0);
    if (windowStart != 0 || fileSize < 0) {
        library.pelk_close(handle);
        throw "Can't open file";
    }
    // A file of more than one window is read ahead from its start, with the
    // ring and the reader taken now, before any output is written. The first
    // window then lies in the ring too, and a header across its edge is
    // still there when the next window is asked for.
    if (fileSize > windowSize)
        readAhead = ReadAhead::start(library, handle, fileSize, 0);
    if (readAhead) {
        const ReadAhead::Chunk chunk = readAhead->chunkAt(0);
        window = chunk.bytes;
        // A failed first read is met again, and thrown, at the first byte asked for.
        if (chunk.status == ReadAhead::Status::Read)
            bytesValid = readAhead->contiguousBytes(chunk, 0, windowSize);
        return;
    }
    ownWindow = makeWindowBuffer(0);
    window = ownWindow.get();
    // A failed first read must not leave a negative count that later reads trust.
    bytesValid = std::max(0, clampToSize(library.pelk_read(handle, ownWindow.get(), windowSize)));
}

// Bytes a growing file gained after the size was taken are not part of it.
std::int32_t PagedFile::clampToSize(std::int32_t count) const
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(count, fileSize - windowStart));
}

PagedFile::~PagedFile()
{
    // The reader thread uses the handle until it is joined.
    readAhead.reset();
    library.pelk_close(handle);
}

std::int32_t PagedFile::reloadWindow(std::int64_t position)
{
    if (!readAhead)
        return readWindow(position);
    windowStart = position;
    bytesValid = 0;
    const ReadAhead::Chunk chunk = readAhead->chunkAt(position);
    if (chunk.status == ReadAhead::Status::SeekError)
        throw "file seek error";
    if (chunk.status == ReadAhead::Status::ReadError)
        throw "file read error";
    const auto wanted = static_cast<std::int32_t>(std::min<std::int64_t>(windowSize, fileSize - position));
    window = chunk.bytes + (position - chunk.start);
    bytesValid = readAhead->contiguousBytes(chunk, position, wanted);
    return 0;
}

// The window read where it is asked for, with nothing read ahead.
std::int32_t PagedFile::readWindow(std::int64_t position)
{
    window = ownWindow.get();
    windowStart = library.pelk_seek(handle, position, 0);
    if (windowStart != position) {
        bytesValid = 0;
        throw "file seek error";
    }
    bytesValid = clampToSize(library.pelk_read(handle, ownWindow.get(), windowSize));
    if (bytesValid <= 0) {
        bytesValid = 0;
        throw "file read error";
    }
    return 0;
}

PagedFileHolder openPagedFile(const std::string& path) { return std::make_unique<PagedFile>(path); }

void closePagedFile(PagedFileHolder& holder) { holder.reset(); }

} // namespace Pelk::core
