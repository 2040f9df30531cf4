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

} // namespace Pelk::core
