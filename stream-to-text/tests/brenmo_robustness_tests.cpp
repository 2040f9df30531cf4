#include "conversion_fixture.hpp"
#include "every_prefix.hpp"

#include "pelk/console_frame.hpp"

#include <gtest/gtest.h>

#include <random>
#include <regex>

namespace {

using Pelk::brenmo::runBrenmo;
using Pelk::testing::Bytes;
using Pelk::testing::TemporaryFile;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome runOn(const std::string& path)
{
    std::ostringstream out, err;
    const char* argv[] = {"brenmo", "-q", path.c_str()};
    int status = runBrenmo(3, argv, out, err);
    return {status, out.str(), err.str()};
}

Outcome runOn(const Bytes& bytes)
{
    TemporaryFile file("robust.gds", bytes);
    return runOn(file.path());
}

// A failed run ends in exactly one numbered line and says so by its status.
void expectFailureReported(const Outcome& o, const std::string& what)
{
    static const std::regex parseFailure(R"([\s\S]*\n\nERROR\[20011\] \tParsing failed at position \d+$)");
    static const std::regex thrown("\nERROR\\[2000[78]\\] \t[^\n]+\n");
    EXPECT_EQ(o.status, 1) << what;
    bool parseFailed = std::regex_match(o.out, parseFailure) && o.err.empty();
    bool threw = std::regex_match(o.err, thrown);
    EXPECT_TRUE(parseFailed || threw) << what << "\nstdout: " << o.out << "\nstderr: " << o.err;
}

TEST(Robustness, EveryPrefixOfTheSampleEndsInANumberedMessage)
{
    const Bytes whole = Pelk::testing::sampleLibrary().bytes();
    const Outcome complete = runOn(whole);
    ASSERT_EQ(complete.status, 0);
    Pelk::testing::forEachPrefix(whole, "robust.gds", [&](std::size_t n, const std::string& path) {
        if (n == whole.size())
            return;
        Outcome o = runOn(path);
        expectFailureReported(o, "prefix of " + std::to_string(n) + " bytes");
        // What was converted before the failure is a prefix of the whole text.
        std::string text = o.out.substr(0, o.out.find("\n\nERROR[20011]"));
        EXPECT_EQ(complete.out.compare(0, text.size(), text), 0) << n;
    });
}

TEST(Robustness, RandomByteFlipsNeverCrash)
{
    const Bytes whole = Pelk::testing::sampleLibrary().bytes();
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::size_t> position(0, whole.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255), flips(1, 4);
    int failures = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes mutated = whole;
        for (int f = flips(random); f > 0; --f)
            mutated[position(random)] = static_cast<std::uint8_t>(byte(random));
        Outcome o = runOn(mutated);
        if (o.status == 0) {
            EXPECT_EQ(o.err, "") << round;
            EXPECT_EQ(o.out.find("ERROR["), std::string::npos) << round;
        } else {
            ++failures;
            expectFailureReported(o, "round " + std::to_string(round));
        }
    }
    EXPECT_GT(failures, 100);
}

} // namespace
