#include "parser_nodes.hpp"

namespace Pelk::vesk {

CharClassTable BlankTable;
CharClassTable NumberBlankTable;

namespace {
constexpr const char* blanks = " \n\r\t";
}

void fillCharTable(CharClassTable& table, const char* members)
{
    table.flags.fill(0);
    for (const char* c = members; *c != '\0'; ++c)
        table.flags[static_cast<unsigned char>(*c)] = 1;
}

void initBlankTable()
{
    fillCharTable(NumberBlankTable, blanks);
    fillCharTable(BlankTable, blanks);
}

Position skipBlanks(const CharClassTable& table, Position begin, Position end)
{
    while (begin != end && table.contains(*begin))
        ++begin;
    return begin;
}

ParseResult matchLiteral(const char* keyword, Position begin, Position end)
{
    Position p = begin;
    for (const char* k = keyword; *k != '\0'; ++k, ++p) {
        if (p == end || *p != *k)
            return {false, begin};
    }
    return {true, p};
}

ParseResult matchChar(char c, Position begin, Position end)
{
    if (begin != end && *begin == c)
        return {true, begin + 1};
    return {false, begin};
}

ParseResult matchDigits(Position begin, Position end)
{
    Position p = begin;
    while (p != end && *p >= '0' && *p <= '9')
        ++p;
    return {p != begin, p};
}

}  // namespace Pelk::vesk
