// The version record that the vesk executable carries in an ELF note section,
// and how GetVersionLabel reads it back from a program file.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* VersionSectionName = ".note.pelk.version";
inline constexpr std::uint32_t VersionNoteType = 1;

// One ELF note: the header, the owner name "Pelk" padded to 8 bytes, and the
// four 16-bit parts of the file version.
struct VersionNote {
    std::uint32_t nameSize;
    std::uint32_t descriptionSize;
    std::uint32_t type;
    char name[8];
    std::uint16_t parts[4];
};

std::string FormatVersionPart(std::uint16_t part);

// "a.b.c.d" from the program file at path, or "" when it has no version record.
std::string GetVersionLabel(const std::string& path);
