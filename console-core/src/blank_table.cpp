#include "pelk/blank_table.hpp"

namespace Pelk::core {

void initBlankTable(BlankTable& table)
{
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = isBlankByte(static_cast<std::uint8_t>(c)) ? 1 : 0;
}

namespace {
// Built in a function so that other static initialisers may use it too.
const BlankTable& processBlankTable()
{
    static const BlankTable table = [] {
        BlankTable t;
        initBlankTable(t);
        return t;
    }();
    return table;
}
} // namespace

const BlankTable& blankTable = processBlankTable();

} // namespace Pelk::core
