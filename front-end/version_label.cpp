#include "version_record.hpp"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

class ProgramFile {
public:
    explicit ProgramFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~ProgramFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ProgramFile(const ProgramFile&) = delete;
    ProgramFile& operator=(const ProgramFile&) = delete;

    // Exactly size bytes from offset, or false.
    bool read(std::uint64_t offset, void* buffer, std::size_t size) const
    {
        char* out = static_cast<char*>(buffer);
        while (size > 0) {
            if (fd_ < 0 || offset > static_cast<std::uint64_t>(INT64_MAX))
                return false;
            ssize_t n = ::pread(fd_, out, size, static_cast<off_t>(offset));
            if (n <= 0)
                return false;
            out += n;
            offset += static_cast<std::uint64_t>(n);
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_;
};

std::optional<VersionNote> readVersionNote(const ProgramFile& file)
{
    Elf64_Ehdr header;
    if (!file.read(0, &header, sizeof header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0
        || header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB
        || header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum)
        return std::nullopt;

    auto section = [&](unsigned index) -> std::optional<Elf64_Shdr> {
        Elf64_Shdr s;
        if (!file.read(header.e_shoff + std::uint64_t{index} * sizeof s, &s, sizeof s))
            return std::nullopt;
        return s;
    };
    const std::optional<Elf64_Shdr> names = section(header.e_shstrndx);
    if (!names)
        return std::nullopt;

    const std::size_t wanted = std::strlen(VersionSectionName) + 1;
    for (unsigned i = 0; i < header.e_shnum; ++i) {
        const std::optional<Elf64_Shdr> s = section(i);
        if (!s || s->sh_name >= names->sh_size || s->sh_size != sizeof(VersionNote))
            continue;
        std::vector<char> name(wanted);
        if (!file.read(names->sh_offset + s->sh_name, name.data(), name.size())
            || std::memcmp(name.data(), VersionSectionName, wanted) != 0)
            continue;
        VersionNote note;
        if (!file.read(s->sh_offset, &note, sizeof note) || note.nameSize != 5 || note.descriptionSize != 8
            || note.type != VersionNoteType || std::memcmp(note.name, "Pelk", 5) != 0)
            return std::nullopt;
        return note;
    }
    return std::nullopt;
}

}  // namespace

std::string FormatVersionPart(std::uint16_t part)
{
    char text[8];
    std::snprintf(text, sizeof text, "%hu", part);
    return text;
}

std::string GetVersionLabel(const std::string& path)
{
    const std::optional<VersionNote> note = readVersionNote(ProgramFile(path));
    if (!note)
        return {};
    return FormatVersionPart(note->parts[0]) + "." + FormatVersionPart(note->parts[1]) + "."
           + FormatVersionPart(note->parts[2]) + "." + FormatVersionPart(note->parts[3]);
}
