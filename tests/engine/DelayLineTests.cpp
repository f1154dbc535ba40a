#include "engine/components/DelayLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace corvane;

namespace
{
constexpr int n = 16;

// Feeds `input` through the line block by block in the free-line order
// (write, read, advance) and returns what `read` produced.
template <typename Read>
std::vector<float> writeThenRead (DelayLine& line, const std::vector<float>& input, Read&& read)
{
    std::vector<float> output (input.size());
    for (size_t start = 0; start + n <= input.size(); start += n)
    {
        line.writeBlock (input.data() + start, n);
        read (output.data() + start);
        line.advance (n);
    }
    return output;
}

std::vector<float> impulse (size_t length, size_t at)
{
    std::vector<float> s (length, 0.0f);
    s[at] = 1.0f;
    return s;
}

size_t indexOfPeak (const std::vector<float>& s)
{
    size_t best = 0;
    for (size_t i = 1; i < s.size(); ++i)
        if (std::abs (s[i]) > std::abs (s[best]))
            best = i;
    return best;
}
} // namespace

TEST (DelayLine, LengthRoundsUpToPowerOfTwo)
{
    struct Case { const char* why; std::int64_t request, length; };
    const Case cases[] = {
        { "free delay lines", 20000, 32768 },
        { "pitch shifter input", 16300, 16384 },
        { "exact power of two stays", 16384, 16384 },
        { "network line at 44.1 kHz", 3704, 4096 },
        { "inactive stage", 2, 2 },
        { "request below two", 1, 1 },
        { "empty request", 0, 1 },
    };
    for (const auto& c : cases)
    {
        DelayLine line;
        line.setLength (c.request);
        EXPECT_EQ (line.getLength(), c.length) << c.why;
        EXPECT_EQ (line.getMask(), c.length - 1) << c.why;
    }
    EXPECT_EQ (DelayLine().getLength(), 32768);
}

TEST (DelayLine, SameRoundedLengthKeepsContentAndPosition)
{
    DelayLine line (4096);
    std::vector<float> block (n, 0.25f);
    line.writeBlock (block.data(), n);
    line.advance (n);
    const auto position = line.getWriteIndex();

    line.setLength (3000); // still 4096
    EXPECT_EQ (line.getWriteIndex(), position);
    std::vector<float> out (n);
    line.readLinear (16.0f, out.data(), n);
    EXPECT_EQ (out, block);

    line.setLength (5000); // 8192: a new, silent memory
    EXPECT_EQ (line.getLength(), 8192);
    EXPECT_EQ (line.getWriteIndex(), 0);
    line.readLinear (16.0f, out.data(), n);
    EXPECT_EQ (out, std::vector<float> (n, 0.0f));
}

TEST (DelayLine, WritePositionRunsDownwardsAndWraps)
{
    DelayLine line (64);
    std::vector<float> block (n, 1.0f);
    line.writeBlock (block.data(), n);
    EXPECT_EQ (line.getWriteIndex(), 0) << "writing does not move the position";
    line.advance (n);
    EXPECT_EQ (line.getWriteIndex(), 64 - n);
}

TEST (DelayLine, CoefficientTableEntries)
{
    const auto& table = DelayLine::coefficientTable();
    EXPECT_EQ (table[0], 0.99f) << "capped: 1.0 would put the pole on the unit circle";
    EXPECT_EQ (table[1], 0.99f) << "255/257 is above the cap too";
    EXPECT_NEAR (table[2], 0.984496f, 5e-7f);
    EXPECT_NEAR (table[255], 1.0f / 511.0f, 1e-8f);
}

TEST (DelayLine, LinearReadAtIntegerAndFractionalDelays)
{
    // Delays below the block length read samples of the block just written.
    for (float d : { 0.0f, 3.0f, 15.0f, 16.0f, 37.0f, 2.25f, 20.5f, 99.75f })
    {
        DelayLine line (256);
        std::vector<float> ramp (512);
        for (size_t i = 0; i < ramp.size(); ++i)
            ramp[i] = static_cast<float> (i);
        const auto out = writeThenRead (line, ramp, [&] (float* o) { line.readLinear (d, o, n); });
        for (size_t i = 200; i < out.size(); ++i)
            ASSERT_FLOAT_EQ (out[i], static_cast<float> (i) - d) << "delay " << d << " at sample " << i;
    }
}

TEST (DelayLine, AllpassReadDelaysSlowSignalsByTheFractionalDelay)
{
    // At low frequencies the first-order allpass interpolator delays by the
    // integer part plus (1 - eta) / (1 + eta), i.e. the table's fraction.
    for (float d : { 10.5f, 20.25f, 3.125f })
    {
        DelayLine line (256);
        std::vector<float> slow (4096);
        for (size_t i = 0; i < slow.size(); ++i)
            slow[i] = 0.001f * static_cast<float> (i);
        const auto out = writeThenRead (line, slow, [&] (float* o) { line.readAllpassInterpolated (d, o, n); });
        EXPECT_NEAR (out.back(), 0.001f * (4095.0f - d), 2e-5f) << "delay " << d;
    }
}

TEST (DelayLine, AllpassReadAtIntegerDelayIsSlightlyLate)
{
    // Fractions below 2/256 use 0.99, not 1: an integer delay k comes out
    // as about k + 0.005 samples, continuing smoothly across blocks.
    DelayLine line (256);
    const auto out = writeThenRead (line, impulse (128, 5), [&] (float* o) { line.readAllpassInterpolated (20.0f, o, n); });
    EXPECT_NEAR (out[25], 0.99f, 1e-6f);
    EXPECT_NEAR (out[26], 1.0f - 0.99f * 0.99f, 1e-6f);
    EXPECT_EQ (indexOfPeak (out), 25u);
}

TEST (DelayLine, AllpassStageWithoutFeedbackIsDelayOfArgumentMinusBlock)
{
    // From two blocks on: a shorter stage would read positions of the block
    // it has not written yet.
    for (float delay : { 32.0f, 40.0f, 100.0f })
    {
        DelayLine line (256);
        std::vector<float> input = impulse (512, 7);
        std::vector<float> output (input.size());
        std::vector<float> written;
        for (size_t start = 0; start + n <= input.size(); start += n)
        {
            line.allpassBlockLinear (input.data() + start, output.data() + start, n, delay, 0.0f);
            std::vector<float> feed (n);
            line.readLinear (0.0f, feed.data(), n); // what the stage wrote this block
            written.insert (written.end(), feed.begin(), feed.end());
            line.advance (n);
        }
        const size_t expected = 7 + static_cast<size_t> (delay) - n;
        EXPECT_EQ (output, impulse (512, expected)) << "delay argument " << delay;
        EXPECT_EQ (written, input) << "g = 0 writes the input unchanged";
    }

    // The allpass-interpolated stage peaks at the same place (D >= 2n).
    DelayLine line (256);
    std::vector<float> input = impulse (256, 3);
    std::vector<float> output (input.size());
    for (size_t start = 0; start < input.size(); start += n)
    {
        line.allpassBlock (input.data() + start, output.data() + start, n, 48.0f, 0.0f);
        line.advance (n);
    }
    EXPECT_EQ (indexOfPeak (output), 3u + 48u - n);
}

TEST (DelayLine, AllpassStagePreservesEnergy)
{
    for (bool linear : { false, true })
    {
        DelayLine line (1024);
        std::vector<float> input = impulse (65536, 0);
        double energy = 0.0;
        std::vector<float> out (n);
        for (size_t start = 0; start < input.size(); start += n)
        {
            if (linear)
                line.allpassBlockLinear (input.data() + start, out.data(), n, 300.0f, 0.7f);
            else
                line.allpassBlock (input.data() + start, out.data(), n, 300.0f, 0.7f);
            line.advance (n);
            for (float y : out)
                energy += (double) y * y;
        }
        // The allpass interpolator is itself an allpass, so both stages are.
        EXPECT_NEAR (energy, 1.0, 1e-4) << (linear ? "linear" : "allpass");
    }
}

TEST (DelayLine, ClearSilencesButKeepsPosition)
{
    DelayLine line (128);
    std::vector<float> block (n, 1.0f), out (n);
    line.writeBlock (block.data(), n);
    line.readAllpassInterpolated (3.5f, out.data(), n);
    line.advance (n);
    const auto position = line.getWriteIndex();

    line.clear();
    EXPECT_EQ (line.getWriteIndex(), position);
    EXPECT_EQ (line.getTapState(), 0.0f);
    line.readLinear (16.0f, out.data(), n);
    EXPECT_EQ (out, std::vector<float> (n, 0.0f));
}
