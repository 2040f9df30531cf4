#include "pelk/number_nodes.hpp"
#include "test_files.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Pelk::core;

template <class Int>
struct IntCase {
    const char* input;
    bool matched;
    std::ptrdiff_t end;
    Int value;
};

template <class Int>
void expectCases(std::initializer_list<IntCase<Int>> cases)
{
    for (const auto& c : cases) {
        const std::string input = c.input;
        Int target = 99;
        auto r = IntParser<Int>{&target}.parse(input.data(), input.data() + input.size());
        EXPECT_EQ(r.matched, c.matched) << '"' << input << '"';
        EXPECT_EQ(r.end - input.data(), c.end) << '"' << input << '"';
        EXPECT_EQ(target, c.value) << '"' << input << '"';
    }
}

TEST(IntParser, SixteenBitsWrapAndSigns)
{
    expectCases<std::int16_t>({
        {"-32768", true, 6, -32768},
        {"65535", true, 5, -1},
        {"40000", true, 5, -25536},
        {"65536", true, 5, 0},
        {" 12", false, 0, 0},
        {"+12", true, 3, 12},
        {"-+12", true, 4, -12},
        {"- 12", false, 0, 0},
        {"- +5", true, 4, -5},
        {" -5", true, 3, -5},
        {"12abc", true, 2, 12},
        {"abc", false, 0, 0},
        {"-", false, 0, 0},
        {"", false, 0, 0},
        {"007", true, 3, 7},
    });
}

TEST(IntParser, ThirtyTwoBitsWrapWithoutOverflow)
{
    expectCases<std::int32_t>({
        {"2147483648", true, 10, -2147483647 - 1},
        {"-2147483648", true, 11, -2147483647 - 1},
        {"4294967296", true, 10, 0},
        {"4294967295", true, 10, -1},
        {"-4294967295", true, 11, 1},
        {"99999999999999999999", true, 20, 1661992959},
        {"(10", false, 0, 0},
    });
}

} // namespace

namespace {

using namespace Pelk::core;

// Numbers and words read through a file must end and hold alike wherever
// the 64 KB window boundary falls inside them.
TEST(TextNodesInFiles, ReadAcrossTheWindowEdgeAsInMemory)
{
    const std::string snippets[] = {"12", "-12", " - +34 ", "  \n -7x", "+", "- 5", "4294967296", "   ", "-", "abc def"};
    Pelk::testing::TemporaryFile input("window_edge");
    for (const std::string& snippet : snippets) {
        for (std::size_t shift = 0; shift <= snippet.size() + 1; ++shift) {
            std::string padding(static_cast<std::size_t>(windowSize) - shift, 'x');
            for (std::size_t cut : {snippet.size(), snippet.size() + 2}) {
                std::string tail = (snippet + "  9").substr(0, cut);
                input.write(padding + tail);
                PagedFile file(input.path());
                StreamCursor begin{&file, static_cast<std::int64_t>(padding.size())};
                StreamCursor end{&file, file.size()};
                const char* textBegin = tail.data();
                const char* textEnd = tail.data() + tail.size();
                std::string where = "'" + tail + "' shifted " + std::to_string(shift);

                std::int32_t inFile = 1, inText = 1;
                auto a = IntParser<std::int32_t>{&inFile}.parse(begin, end);
                auto b = IntParser<std::int32_t>{&inText}.parse(textBegin, textEnd);
                EXPECT_EQ(a.matched, b.matched) << where;
                EXPECT_EQ(a.end.offset - begin.offset, b.end - textBegin) << where;
                EXPECT_EQ(inFile, inText) << where;

                auto blanksFile = skipBlanks().parse(begin, end);
                auto blanksText = skipBlanks().parse(textBegin, textEnd);
                EXPECT_EQ(blanksFile.end.offset - begin.offset, blanksText.end - textBegin) << where;
                auto wordFile = matchWord().parse(begin, end);
                auto wordText = matchWord().parse(textBegin, textEnd);
                EXPECT_EQ(wordFile.matched, wordText.matched) << where;
                EXPECT_EQ(wordFile.end.offset - begin.offset, wordText.end - textBegin) << where;
            }
        }
    }
}

} // namespace
