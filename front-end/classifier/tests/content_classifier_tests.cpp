#include "content_classifier.hpp"
#include "temp_folder_test.hpp"
#include "text_header_grammar.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace Pelk::vesk;
namespace fs = std::filesystem;

namespace {

const std::string header = "VERSION 600\nLIBRARY [2010/4/17 9:05:03, 2010/4/17 9:05:03]";

class ContentClassifier : public TempFolderTest {
protected:
    std::string write(const std::string& content)
    {
        auto path = dir / "f";
        path += std::to_string(count++);
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    // "stream", "text" or "neither", as the conversion run would decide.
    std::string verdict(const std::string& content)
    {
        std::string path = write(content);
        bool stream = HasStreamHeader(path);
        bool text = HasTextHeader(path);
        return stream && text ? "both" : stream ? "stream" : text ? "text" : "neither";
    }
};

TEST_F(ContentClassifier, StreamHeaderIsTheFirstFourBytes)
{
    EXPECT_EQ(verdict(std::string("\x00\x06\x00\x02", 4)), "stream");
    EXPECT_EQ(verdict(std::string("\x00\x06\x00\x02\xff\xff garbage", 12)), "stream");
    EXPECT_EQ(verdict(std::string("\x00\x06\x00", 3)), "neither");
    EXPECT_EQ(verdict(std::string("\x00\x06\x01\x02", 4)), "neither");
    EXPECT_EQ(verdict(std::string("\x00\x06\x00\x03", 4)), "neither");
    EXPECT_EQ(verdict(std::string("\x00\x08\x00\x02", 4)), "neither");
    EXPECT_EQ(verdict(""), "neither");
}

TEST_F(ContentClassifier, TextHeaderAsTheWriterLaysItOut)
{
    EXPECT_EQ(verdict(header + " LIB\nUNITS 0.001 1e-009\n"), "text");
    EXPECT_EQ(verdict(header), "text");
    EXPECT_EQ(verdict(header.substr(0, header.size() - 1)), "neither");
    EXPECT_EQ(verdict("VERSION 0\nLIBRARY [2010/4/17 9:05:03, 2010/4/17 9:05:03] LIB"), "neither");
    EXPECT_EQ(verdict("VERSION -3\nLIBRARY [2010/4/17 9:05:03, 2010/4/17 9:05:03] LIB"), "text");
    EXPECT_EQ(verdict("VERSION 4294967296\nLIBRARY [2010/4/17 9:05:03, 2010/4/17 9:05:03]"), "neither");
    EXPECT_EQ(verdict("VERSION5LIBRARY[2010/1/30 12:05:07,2010/1/30 12:05:07]"), "text");
    EXPECT_EQ(verdict("\r\n\n\t  " + header + "\x01\x02"), "text");
    // Windows line ends of a text form made there.
    EXPECT_EQ(verdict("VERSION 3\r\nLIBRARY [110/1/1 0:00:00, 110/1/1 0:00:00] X\r\n"), "text");
}

TEST_F(ContentClassifier, AnythingBeforeVersionRefuses)
{
    EXPECT_EQ(verdict("version 600\nLIBRARY [2010/4/17 9:05:03, 2010/4/17 9:05:03]"), "neither");
    EXPECT_EQ(verdict("\xef\xbb\xbf" + header), "neither");
    EXPECT_EQ(verdict("\v" + header), "neither");
    EXPECT_EQ(verdict(std::string(1, '\0') + header), "neither");
    EXPECT_EQ(verdict("x" + header), "neither");
}

TEST_F(ContentClassifier, VersionSigns)
{
    const std::string rest = "LIBRARY [2010/4/17 9:05:03, 2010/4/17 9:05:03]";
    const std::vector<std::pair<std::string, std::int32_t>> accepted = {
        {"VERSION -5\n", -5}, {"VERSION +5\n", 5}, {"VERSION -+5\n", -5}, {"VERSION - +5\n", -5}};
    for (const auto& [line, value] : accepted) {
        EXPECT_EQ(verdict(line + rest), "text") << line;
        TextHeaderGrammar grammar;
        std::string input = line + rest;
        EXPECT_TRUE(grammar.parse(input.data(), input.data() + input.size()).matched);
        EXPECT_EQ(grammar.version, value) << line;
    }
    EXPECT_EQ(verdict("VERSION - 5\n" + rest), "neither");
    EXPECT_EQ(verdict("VERSION +-5\n" + rest), "neither");
}

TEST_F(ContentClassifier, StampRules)
{
    auto withTime = [](const std::string& stamp) {
        return "VERSION 600\nLIBRARY [" + stamp + ", 2010/1/30 12:05:07]";
    };
    EXPECT_EQ(verdict(withTime("2010/1/30 12:0:07")), "neither");
    EXPECT_EQ(verdict(withTime("2010/1/30 12:00:07")), "text");
    EXPECT_EQ(verdict(withTime("2010/1/30 12:7:07")), "text");
    EXPECT_EQ(verdict(withTime("2010/1/30 12:07:07")), "text");
    EXPECT_EQ(verdict(withTime("2010/1/30 12:07:0")), "neither");
    EXPECT_EQ(verdict(withTime("2010 /1/30 12:07:07")), "neither");
    EXPECT_EQ(verdict(withTime("2010/ 1/30 12:07:07")), "neither");
    EXPECT_EQ(verdict(withTime("2010/ -1/30 12:07:07")), "text");
    EXPECT_EQ(verdict(withTime("2010/1/30 12 :07:07")), "neither");
    EXPECT_EQ(verdict(withTime("2010/1/30\n\t12:0-3:07")), "text");
    EXPECT_EQ(verdict(withTime("2010/1/3012:07:07")), "neither");

    // The writer's own stamps: minutes and seconds below 10 with a leading 0.
    TextHeaderGrammar grammar;
    std::string input = "VERSION 7 LIBRARY [ 2010/4/17 9:05:03 , -1/+2/99999 23:59:00 ]";
    ParseResult r = grammar.parse(input.data(), input.data() + input.size());
    EXPECT_TRUE(r.matched);
    EXPECT_EQ(r.end, input.data() + input.size());
    const std::vector<std::int16_t> dates(grammar.dates, grammar.dates + 12);
    EXPECT_EQ(dates, (std::vector<std::int16_t>{2010, 4, 17, 9, 5, 3, -1, 2, -31073, 23, 59, 0}));
}

TEST_F(ContentClassifier, OnlyTheFirst1024BytesCount)
{
    // The closing "]" as byte 1024 of the file, then as byte 1025.
    std::string padding(1024 - header.size(), '\n');
    EXPECT_EQ(verdict(padding + header), "text");
    EXPECT_EQ(verdict(padding + " " + header), "neither");
}

TEST_F(ContentClassifier, UnreadablePathsAreNeither)
{
    EXPECT_EQ(HasStreamHeader((dir / "missing").string()), false);
    EXPECT_EQ(HasTextHeader((dir / "missing").string()), false);
    EXPECT_EQ(HasStreamHeader(dir.string()), false);
    EXPECT_EQ(HasTextHeader(dir.string()), false);
    EXPECT_EQ(HasTextHeader(""), false);
}

}  // namespace
