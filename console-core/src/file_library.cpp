#include "pelk/file_library.hpp"

#include <dlfcn.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

namespace Pelk::core {

namespace {

template <class Fn>
void resolve(void* library, const char* name, Fn& target)
{
    target = library ? reinterpret_cast<Fn>(dlsym(library, name)) : nullptr;
}

// The library beside the program file: what the program's RUNPATH of
// $ORIGIN names, for when dlopen is reached through an interposer (such as a
// sanitizer runtime) whose own search path is used instead.
void* openBesideProgram(const char* libraryName)
{
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return nullptr;
    std::string path(self, static_cast<std::size_t>(n));
    path.erase(path.find_last_of('/') + 1);
    path += libraryName;
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

const FileLibrary processBinding = bindFileLibrary();

} // namespace

FileLibrary bindFileLibrary(const char* libraryName)
{
    FileLibrary lib;
    lib.handle = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    if (!lib.handle && std::string(libraryName).find('/') == std::string::npos)
        lib.handle = openBesideProgram(libraryName);
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
