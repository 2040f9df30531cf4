// Run-time binding of libzemrith.so, the file-access library every console
// program reads its input through. Bound once before main; never linked.
#pragma once

#include <cstdint>

namespace Pelk::core {

struct FileLibrary {
    void* handle = nullptr;
    std::int64_t (*pelk_seek)(int, std::int64_t, int) = nullptr;
    int (*pelk_read)(int, void*, int) = nullptr;
    int (*pelk_write)(int, const void*, int) = nullptr;
    int (*pelk_open)(const char*, int, int) = nullptr;
    int (*pelk_close)(int) = nullptr;
    int (*pelk_commit)(int) = nullptr;

    bool complete() const
    {
        return handle && pelk_seek && pelk_read && pelk_write && pelk_open && pelk_close && pelk_commit;
    }
};

inline constexpr const char* fileLibraryName = "libzemrith.so";
inline constexpr int readOnlyRawMode = 0x8000;

// Loads the library by file name and resolves its six entry points; a missing
// library or entry point leaves a null and is reported only at the first open.
FileLibrary bindFileLibrary(const char* libraryName = fileLibraryName);

// The process-wide binding made during static initialisation.
const FileLibrary& fileLibrary();

// Opens through the binding; with an incomplete binding it says so on
// standard error and returns -1 without calling into the library.
int openFileHandle(const FileLibrary& library, const char* path, int mode);
int openFileHandle(const char* path, int mode);

} // namespace Pelk::core
