#include "pelk/file_library.hpp"

#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <string>

#include <unistd.h>

namespace Pelk::core {

namespace {

template <class Fn>
void resolve(void* library, const char* name, Fn& target)
{
    target = library ? reinterpret_cast<Fn>(dlsym(library, name)) : nullptr;
}

const FileLibrary processBinding = bindFileLibrary();

// The program's own folder, where the library is installed beside it.
std::string programFolder()
{
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return {};
    std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

} // namespace

FileLibrary bindFileLibrary(const char* libraryName)
{
    FileLibrary lib;
    lib.handle = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    // A sanitizer runtime intercepts dlopen, so the program's RUNPATH of
    // $ORIGIN is not searched: look beside the program as the loader would.
    if (!lib.handle && std::string(libraryName).find('/') == std::string::npos)
        lib.handle = dlopen((programFolder() + libraryName).c_str(), RTLD_NOW | RTLD_LOCAL);
    resolve(lib.handle, "pelk_seek", lib.pelk_seek);
    resolve(lib.handle, "pelk_read", lib.pelk_read);
    resolve(lib.handle, "pelk_write", lib.pelk_write);
    resolve(lib.handle, "pelk_open", lib.pelk_open);
    resolve(lib.handle, "pelk_close", lib.pelk_close);
    resolve(lib.handle, "pelk_commit", lib.pelk_commit);
    return lib;
}

const FileLibrary& fileLibrary() { return processBinding; }

int openFileHandle(const FileLibrary& library, const char* path, int mode)
{
    if (!library.complete()) {
        std::fprintf(stderr, "Error\nFailed to load %s\nReinstall software\n", fileLibraryName);
        std::fflush(stderr);
        return -1;
    }
    return library.pelk_open(path, mode, 0);
}

int openFileHandle(const char* path, int mode) { return openFileHandle(processBinding, path, mode); }

} // namespace Pelk::core
