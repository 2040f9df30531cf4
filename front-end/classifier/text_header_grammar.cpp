#include "text_header_grammar.hpp"

namespace Pelk::vesk {

bool TextHeaderGrammar::matches(Position begin, Position end)
{
    TextHeaderGrammar grammar;
    return grammar.parse(begin, end).matched && grammar.version != 0;
}

ParseResult TextHeaderGrammar::parse(Position begin, Position end)
{
    version = 0;
    const BlankSkipParser blanks;
    const SignedIntParser<std::int32_t> versionNumber{&version, &NumberBlankTable};
    const auto versionPart = blanks >> LiteralParser{"VERSION"} >> blanks >> versionNumber;

    ParseResult head = versionPart.parse(begin, end);
    if (!head.matched)
        return head;

    // Built only once the version line matched, so other files cost only the
    // small part above.
    auto date = [this](int i) { return SignedIntParser<std::int16_t>{&dates[i], &NumberBlankTable}; };
    const CharParser slash{'/'}, colon{':'};
    const auto zero = optional(CharParser{'0'});
    const auto libraryPart = blanks >> LiteralParser{"LIBRARY"} >> blanks >> CharParser{'['} >> blanks
        >> date(0) >> slash >> date(1) >> slash >> date(2) >> blanks
        >> date(3) >> colon >> zero >> date(4) >> colon >> zero >> date(5)
        >> blanks >> CharParser{','} >> blanks
        >> date(6) >> slash >> date(7) >> slash >> date(8) >> blanks
        >> date(9) >> colon >> zero >> date(10) >> colon >> zero >> date(11)
        >> blanks >> CharParser{']'};
    return libraryPart.parse(head.end, end);
}

}  // namespace Pelk::vesk
