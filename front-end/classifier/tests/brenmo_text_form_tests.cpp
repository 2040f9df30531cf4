// Every text form that brenmo writes is recognised, whatever its dates, as
// long as the library's version is not 0.
#include "content_classifier.hpp"
#include "stream_builder.hpp"
#include "temp_folder_test.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace Pelk::vesk;
namespace fs = std::filesystem;

namespace {

class BrenmoTextForms : public TempFolderTest {
protected:
    // The verdicts on brenmo's text form of the stream file at path.
    std::string classifyConverted(const std::string& stream)
    {
        const std::string text = stream + ".gdsasc";
        const std::string command = std::string("\"") + BRENMO_PATH + "\" -q \"" + stream + "\" \"" + text + "\"";
        if (std::system(command.c_str()) != 0 || !fs::exists(text))
            return "brenmo failed";
        return std::string(HasStreamHeader(stream) ? "stream" : "no stream") + " -> "
               + (HasStreamHeader(text) ? "stream" : "") + (HasTextHeader(text) ? "text" : "neither");
    }
};

TEST_F(BrenmoTextForms, AcceptedExactlyWhenTheVersionIsNotZero)
{
    using Pelk::testing::DateStamps;
    const std::vector<DateStamps> dateSets = {
        Pelk::testing::sampleDates,
        {110, 1, 1, 0, 0, 0, 2010, 12, 31, 23, 9, 10},
        {-1, -2, -3, -4, -5, -6, 32767, 65, 99, 99, 99, 99},
        {-32768, -32768, -32768, -32768, -32768, -32768, 0, 0, 0, 0, 10, 0},
    };
    for (int version : {0, 1, 3, 5, 600, 32768, 65535}) {
        for (const DateStamps& dates : dateSets) {
            const std::string path = (dir / ("lib" + std::to_string(count++) + ".gds")).string();
            Pelk::testing::StreamBuilder()
                .header(version)
                .bgnlib(dates)
                .int2(0x3902, {2})
                .libname("LIB")
                .units()
                .bgnstr("TOP", dates)
                .rectangle(1, 0, 0, 100, 50)
                .endstr()
                .endlib()
                .writeTo(path);
            EXPECT_EQ(classifyConverted(path), version == 0 ? "stream -> neither" : "stream -> text")
                << "version " << version << ", first year " << dates[0];
        }
    }
}

TEST_F(BrenmoTextForms, RealLayoutsConvertToRecognisedTextForms)
{
    int seen = 0;
    for (const auto& entry : fs::directory_iterator(PELK_FIXTURES_DIR)) {
        if (entry.path().extension() != ".gds")
            continue;
        const fs::path copy = dir / entry.path().filename();
        fs::copy_file(entry.path(), copy);
        EXPECT_EQ(classifyConverted(copy.string()), "stream -> text") << entry.path();
        ++seen;
    }
    EXPECT_GE(seen, 4);
}

}  // namespace
