#include "pelk/blank_table.hpp"

namespace Pelk::core {

void initBlankTable(BlankTable& table)
{
    table.fill(0);
    for (std::uint8_t c : {' ', '\n', '\r', '\t'})
        table[c] = 1;
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
