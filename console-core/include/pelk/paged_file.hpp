// Random-access reading of a file through one 64 KB window, so parsers can
// ask for the byte at any 64-bit offset while the file is read front to back.
// A file of more than one window is kept read ahead by a reader thread.
#pragma once

#include "pelk/file_library.hpp"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace Pelk::core {

inline constexpr std::int32_t windowSize = 65536;

std::unique_ptr<std::uint8_t[]> makeWindowBuffer(std::uint8_t fill);

class ReadAhead;

class PagedFile {
public:
    explicit PagedFile(const std::string& path, const FileLibrary& library = fileLibrary());
    ~PagedFile();
    PagedFile(const PagedFile&) = delete;
    PagedFile& operator=(const PagedFile&) = delete;

    std::int64_t size() const { return fileSize; }
    std::int64_t start() const { return windowStart; }
    std::int32_t validBytes() const { return bytesValid; }

    // Index into the window of the byte at `position`, loading the window that
    // starts there when the byte is outside the current one.
    std::int32_t windowOffset(std::int64_t position)
    {
        if (position >= fileSize)
            throw "file seek error";
        std::int64_t index = position - windowStart;
        if (index >= 0 && index < bytesValid)
            return static_cast<std::int32_t>(index);
        return reloadWindow(position);
    }

    // The offset first: a reload moves the window.
    std::uint8_t byteAt(std::int64_t position)
    {
        const std::int32_t offset = windowOffset(position);
        return window[offset];
    }

    // The n bytes at `position` if the current window holds them all, else
    // null; a cheap first try before windowOffset.
    const std::uint8_t* peek(std::int64_t position, std::int32_t n) const
    {
        std::int64_t index = position - windowStart;
        if (index >= 0 && index + n <= bytesValid)
            return window + index;
        return nullptr;
    }

    // The bytes from `position` to the end of the window that holds it.
    std::span<const std::uint8_t> bytesFrom(std::int64_t position)
    {
        std::int32_t index = windowOffset(position);
        return {window + index, static_cast<std::size_t>(bytesValid - index)};
    }

private:
    std::int32_t reloadWindow(std::int64_t position);
    std::int32_t readWindow(std::int64_t position);
    std::int32_t clampToSize(std::int32_t count) const;

    const FileLibrary& library;
    std::int32_t handle;
    std::int64_t fileSize;
    std::int64_t windowStart;
    std::int32_t bytesValid;
    // The window lies in the chunks read ahead, or, where the file fits one
    // window or no reader can be had, in the file's own buffer.
    const std::uint8_t* window = nullptr;
    std::unique_ptr<std::uint8_t[]> ownWindow;
    std::unique_ptr<ReadAhead> readAhead;
};

using PagedFileHolder = std::unique_ptr<PagedFile>;

PagedFileHolder openPagedFile(const std::string& path);
void closePagedFile(PagedFileHolder& holder);

} // namespace Pelk::core
