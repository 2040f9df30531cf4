// A library cut short anywhere: every prefix yields a numbered message, and
// a parse failure is followed by the report of the structures matched before.
#include "dressil_run.hpp"
#include "every_prefix.hpp"

#include <gtest/gtest.h>

namespace {

using namespace Pelk::testing;

struct RecordSpan {
    std::size_t offset;
    std::size_t length;
    std::uint16_t code;
};

// The records of a well-formed library, up to and including ENDLIB.
std::vector<RecordSpan> recordsOf(const Bytes& bytes)
{
    std::vector<RecordSpan> records;
    for (std::size_t at = 0; at + 4 <= bytes.size();) {
        RecordSpan r{at, std::size_t{bytes[at]} << 8 | bytes[at + 1],
                     static_cast<std::uint16_t>(bytes[at + 2] << 8 | bytes[at + 3])};
        records.push_back(r);
        if (r.code == 0x0400 || r.length < 4)
            break;
        at += r.length;
    }
    return records;
}

// The report dressil gives for the structures bytes [from, to) of `library`
// after a failed parse: the same as for a complete library holding only
// those structures under a zero version, an empty name and zero units.
std::string partialReport(const Bytes& library, std::size_t from, std::size_t to)
{
    StreamBuilder rebuilt;
    rebuilt.header(0).bgnlib().libname("").units(0, 0);
    rebuilt.raw(Bytes(library.begin() + static_cast<std::ptrdiff_t>(from), library.begin() + static_cast<std::ptrdiff_t>(to)));
    rebuilt.endlib();
    DressilRun run = reportOf(rebuilt);
    EXPECT_EQ(run.status, 0);
    return run.console;
}

void checkEveryPrefix(const Bytes& library)
{
    const std::vector<RecordSpan> records = recordsOf(library);
    ASSERT_FALSE(records.empty());
    ASSERT_EQ(records.back().code, 0x0400) << "not a complete library";
    const std::size_t libraryEnd = records.back().offset + records.back().length;

    std::size_t firstStructure = libraryEnd;
    for (const RecordSpan& r : records)
        if (r.code == 0x0502) {
            firstStructure = r.offset;
            break;
        }

    const std::string unknown = "\nERROR[10007] \tUnknown exception. No information available.\n";
    const std::string complete = reportOf(StreamBuilder().raw(library)).console;
    forEachPrefix(library, "prefix.gds", [&](std::size_t cut, const std::string& path) {
        DressilRun run = runDressil({"-q", path});
        if (cut >= libraryEnd) {
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.errors, "");
            EXPECT_EQ(run.console, complete);
            return;
        }
        std::size_t index = 0;
        while (records[index].offset + records[index].length <= cut)
            ++index;
        const RecordSpan& cutRecord = records[index];
        EXPECT_EQ(run.status, 1);
        if (cut - cutRecord.offset < 4) {
            // The next record's header is read past the end of the file.
            EXPECT_EQ(run.errors, unknown);
            EXPECT_EQ(run.console, "");
            return;
        }
        // A record cut inside its payload fails: a fixed-size one where it
        // begins, LIBNAME where the file ends. Inside a structure the whole
        // structure fails and ENDLIB is looked for at its BGNSTR.
        std::size_t failedAt = cutRecord.code == 0x0206 ? cut : cutRecord.offset;
        std::size_t matchedStructuresEnd = firstStructure;
        for (const RecordSpan& r : records) {
            if (r.offset > cutRecord.offset)
                break;
            if (r.code == 0x0502)
                failedAt = r.offset;
            if (r.code == 0x0700 && r.offset < cutRecord.offset)
                matchedStructuresEnd = r.offset + r.length;
        }
        EXPECT_EQ(run.errors, "");
        EXPECT_EQ(run.console, "\n\nERROR[10011] \tParsing failed at or around position " + std::to_string(failedAt)
                                   + partialReport(library, firstStructure, matchedStructuresEnd));
    });
}

TEST(StreamPrefix, EveryPrefixOfTheSampleLibrary) { checkEveryPrefix(sampleLibrary().bytes()); }

TEST(StreamPrefix, EveryPrefixOfTheSmallestRealCell)
{
    std::string library = readWholeFile(std::string(PELK_FIXTURES_DIR) + "/gf180_osu_sc_gp12t3v3__fill_1.gds");
    checkEveryPrefix(Bytes(library.begin(), library.end()));
}

} // namespace
