// The grammar of the text form's first two lines ("VERSION n" and the LIBRARY
// line with its two date stamps), built anew for every file that is tested.
#pragma once

#include "parser_nodes.hpp"

#include <cstdint>

namespace Pelk::vesk {

class TextHeaderGrammar {
public:
    // Whether the header matches at begin and names a version other than 0.
    static bool matches(Position begin, Position end);

    // Runs the grammar; the values are filled as far as the match got.
    ParseResult parse(Position begin, Position end);

    std::int32_t version = 0;
    std::int16_t dates[12] = {};
};

}  // namespace Pelk::vesk
