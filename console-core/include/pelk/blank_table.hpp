// The character-class table of blanks (space, LF, CR, TAB), filled once
// before main and only read afterwards.
#pragma once

#include <array>
#include <cstdint>

namespace Pelk::core {

using BlankTable = std::array<std::uint8_t, 256>;

void initBlankTable(BlankTable& table);

extern const BlankTable& blankTable;

inline bool isBlank(std::uint8_t c) { return blankTable[c] != 0; }

// The same test without the load of the table, for the tightest loops; the
// table is filled from it.
constexpr bool isBlankByte(std::uint8_t c)
{
    constexpr std::uint64_t blanks = (std::uint64_t{1} << ' ') | (std::uint64_t{1} << '\t')
                                   | (std::uint64_t{1} << '\n') | (std::uint64_t{1} << '\r');
    return c <= ' ' && ((blanks >> c) & 1) != 0;
}

} // namespace Pelk::core
