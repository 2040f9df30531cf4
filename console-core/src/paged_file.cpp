#include "pelk/paged_file.hpp"

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
    window = makeWindowBuffer(0);
    if (windowStart != 0 || fileSize < 0) {
        library.pelk_close(handle);
        throw "Can't open file";
    }
    // A failed first read must not leave a negative count that later reads trust.
    bytesValid = std::max(0, clampToSize(library.pelk_read(handle, window.get(), windowSize)));
}

// Bytes a growing file gained after the size was taken are not part of it.
std::int32_t PagedFile::clampToSize(std::int32_t count) const
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(count, fileSize - windowStart));
}

PagedFile::~PagedFile() { library.pelk_close(handle); }

std::int32_t PagedFile::reloadWindow(std::int64_t position)
{
    windowStart = library.pelk_seek(handle, position, 0);
    if (windowStart != position) {
        bytesValid = 0;
        throw "file seek error";
    }
    bytesValid = clampToSize(library.pelk_read(handle, window.get(), windowSize));
    if (bytesValid <= 0) {
        bytesValid = 0;
        throw "file read error";
    }
    return 0;
}

PagedFileHolder openPagedFile(const std::string& path) { return std::make_unique<PagedFile>(path); }

void closePagedFile(PagedFileHolder& holder) { holder.reset(); }

} // namespace Pelk::core
