#include "pelk/output_buffer.hpp"
#include "refused_helper_buffers.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

namespace {

using Pelk::core::OutputBuffer;

// Every way of adding text, across many buffer hand-overs and switches of
// target, leaves each target the bytes sent to it in order, whether the
// buffer is written behind, where it fills, or where it fills because the
// writer's buffer was refused.
TEST(OutputBuffer, EachTargetGetsItsBytesInOrder)
{
    enum class Writing { InPlace, Behind, BehindRefused };
    for (Writing writing : {Writing::InPlace, Writing::Behind, Writing::BehindRefused}) {
        std::ostringstream first, second;
        std::string expectFirst, expectSecond;
        std::optional<Pelk::testing::RefusedHelperBuffers> refusal;
        if (writing == Writing::BehindRefused)
            refusal.emplace();
        {
            OutputBuffer out(&first, 64);
            if (writing != Writing::InPlace)
                out.writeBehind();
            for (int round = 0; round < 200; ++round) {
                std::string* expect = round % 7 == 3 ? &expectSecond : &expectFirst;
                std::ostringstream* target = round % 7 == 3 ? &second : &first;
                if (out.target() != target) {
                    // The target left holds all its bytes at once.
                    const bool leavingFirst = out.target() == &first;
                    out.setTarget(target);
                    EXPECT_EQ((leavingFirst ? first : second).str(), leavingFirst ? expectFirst : expectSecond);
                }
                // Lengths below, at and above the capacity.
                const std::string text(static_cast<std::size_t>(round % 70), static_cast<char>('a' + round % 26));
                out.append(text);
                out.append('|');
                char* p = out.reserve(3);
                p[0] = '<';
                p[1] = static_cast<char>('0' + round % 10);
                out.commit(2);
                *expect += text + "|<" + static_cast<char>('0' + round % 10);
                if (round % 50 == 49) {
                    out.flush();
                    EXPECT_EQ(first.str(), expectFirst);
                }
            }
            // Left to the destructor: what is still gathered must arrive.
            out.setTarget(&first);
            out.append("end");
            expectFirst += "end";
        }
        EXPECT_EQ(first.str(), expectFirst) << static_cast<int>(writing);
        EXPECT_EQ(second.str(), expectSecond) << static_cast<int>(writing);
        if (refusal) {
            EXPECT_EQ(refusal->refused(), 1);
        }
    }
}

} // namespace
