#include "engine/components/PitchShifter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace corvane;

namespace
{
constexpr int n = 16;

// The reverb's configuration of its two shifters (window 149.25 or 163.1 ms).
void configure (PitchShifter& shifter, float sampleRate, float windowMs)
{
    shifter.setSampleRate (sampleRate);
    shifter.setBlockSize (n);
    shifter.setReverse (0, 1.0f);
    shifter.setBufferLength (16300);
    shifter.setJitter (0, 3.0f);
    shifter.setSmoothingTime (0, 200.0f);
    shifter.setWindowLength (0, windowMs);
}

// Runs the shifter the way the reverb does: write, process, advance.
std::vector<float> shift (PitchShifter& shifter, const std::vector<float>& input)
{
    std::vector<float> output (input.size());
    for (size_t start = 0; start + n <= input.size(); start += n)
    {
        shifter.getInputLine().writeBlock (input.data() + start, n);
        shifter.processVoice (output.data() + start, n, 0);
        shifter.getInputLine().advance (n);
    }
    return output;
}

std::vector<float> sine (float frequency, float sampleRate, size_t length)
{
    std::vector<float> s (length);
    for (size_t i = 0; i < length; ++i)
        s[i] = (float) std::sin (2.0 * M_PI * frequency * (double) i / sampleRate);
    return s;
}

// Frequency from the spacing of upward zero crossings, ignoring the few
// crossings that a grain boundary adds or removes.
float estimateFrequency (const std::vector<float>& s, size_t from, float sampleRate)
{
    size_t crossings = 0, first = 0, last = 0;
    for (size_t i = from + 1; i < s.size(); ++i)
        if (s[i - 1] < 0.0f && s[i] >= 0.0f)
        {
            if (crossings == 0)
                first = i;
            last = i;
            ++crossings;
        }
    return crossings < 2 ? 0.0f : (float) (crossings - 1) * sampleRate / (float) (last - first);
}
} // namespace

TEST (PitchShifter, WindowJitterAndBaseDelayInSamples)
{
    struct Case { const char* why; float rate; float windowMs; float window, jitter, baseDelay; };
    const Case cases[] = {
        { "shifter 0 at 44.1 kHz", 44100.0f, 149.25f, 6581.0f, 132.3f, 220.5f },
        { "shifter 1 at 44.1 kHz", 44100.0f, 163.1f, 7192.0f, 132.3f, 220.5f },
        { "shifter 0 configured at 48 kHz", 48000.0f, 149.25f, 7164.0f, 144.0f, 240.0f },
        { "shifter 1 configured at 48 kHz", 48000.0f, 163.1f, 7828.0f, 144.0f, 240.0f },
    };
    for (const auto& c : cases)
    {
        PitchShifter shifter;
        configure (shifter, c.rate, c.windowMs);
        shifter.setShift (0, 12.0f);
        const auto& voice = shifter.getVoice (0);
        EXPECT_EQ (voice.windowSamples, c.window) << c.why;
        EXPECT_NEAR (voice.jitterSamples, c.jitter, 1e-4f) << c.why;
        EXPECT_NEAR (voice.baseDelaySamples, c.baseDelay, 1e-4f) << c.why;
        EXPECT_EQ (shifter.getInputLine().getLength(), 16384) << c.why;
    }

    // The reverb configures its shifters at 44.1 kHz; a later rate change
    // recomputes window and base delay, but the jitter keeps its samples.
    PitchShifter shifter;
    configure (shifter, 44100.0f, 149.25f);
    shifter.setSampleRate (48000.0f);
    EXPECT_EQ (shifter.getVoice (0).windowSamples, 7164.0f);
    EXPECT_NEAR (shifter.getVoice (0).baseDelaySamples, 240.0f, 1e-4f);
    EXPECT_NEAR (shifter.getVoice (0).jitterSamples, 132.3f, 1e-4f);
}

TEST (PitchShifter, PhaseIncrementPerDirectionAndInterval)
{
    struct Case { const char* why; float semitones; float reverse; float incrementTimesWindow; };
    const Case cases[] = {
        { "octave up forward reads two samples per sample", 12.0f, 0.0f, 0.99995f },
        { "octave down forward", -12.0f, 0.0f, -0.499986f },
        { "no shift forward stands still", 0.0f, 0.0f, 0.0f },
        { "no shift reversed plays backwards at normal speed", 0.0f, 1.0f, -2.0f },
        { "octave down reversed", -12.0f, 1.0f, -1.500014f },
        { "exactly 0.5 selects forward playback", 12.0f, 0.5f, 0.99995f },
    };
    for (const auto& c : cases)
    {
        PitchShifter shifter;
        configure (shifter, 48000.0f, 149.25f);
        shifter.setReverse (0, c.reverse);
        shifter.setShift (0, c.semitones);
        const auto& voice = shifter.getVoice (0);
        EXPECT_NEAR (voice.phaseIncrement * voice.windowSamples, c.incrementTimesWindow, 2e-5f) << c.why;
    }
}

TEST (PitchShifter, ShiftsASineByTheRequestedInterval)
{
    struct Case { const char* why; float semitones; float reverse; float expectedHz; };
    const Case cases[] = {
        { "octave up", 12.0f, 0.0f, 1000.0f },
        { "octave down", -12.0f, 0.0f, 250.0f },
        { "fifth up", 7.0f, 0.0f, 749.1f },
        { "reversed grains keep the pitch at 0", 0.0f, 1.0f, 500.0f },
    };
    const float rate = 48000.0f;
    const auto input = sine (500.0f, rate, 48000 * 4);
    for (const auto& c : cases)
    {
        PitchShifter shifter;
        configure (shifter, rate, 149.25f);
        shifter.setReverse (0, c.reverse);
        shifter.setShift (0, c.semitones);
        const auto output = shift (shifter, input);
        EXPECT_NEAR (estimateFrequency (output, 48000 * 2, rate), c.expectedHz, c.expectedHz * 0.01f) << c.why;
    }
}

TEST (PitchShifter, AtZeroShiftTheGrainsStandStill)
{
    PitchShifter shifter;
    configure (shifter, 48000.0f, 149.25f);
    shifter.setReverse (0, 0.0f);
    shifter.setShift (0, 0.0f);
    shifter.clear();

    // A constant input: grain 0 sits at phase 0 (silent), grain 1 at 0.5 (full level).
    const auto output = shift (shifter, std::vector<float> (48000, 0.75f));
    EXPECT_EQ (shifter.getVoice (0).grainPhase[0], 0.0f);
    EXPECT_EQ (shifter.getVoice (0).grainPhase[1], 0.5f);
    EXPECT_EQ (shifter.getSeed(), 1235) << "no sweep ends, so no offsets are drawn";
    EXPECT_NEAR (output.back(), 0.75f, 1e-6f);
}

TEST (PitchShifter, OffsetsFollowTheGeneratorFromSeed1235)
{
    // Both grains and both shifters start from the same seed; wraps draw the
    // next offset in the order they happen.
    PitchShifter a, b;
    configure (a, 48000.0f, 149.25f);
    configure (b, 48000.0f, 163.1f);
    for (auto* s : { &a, &b })
    {
        s->setReverse (0, 0.0f);
        s->setShift (0, 12.0f);
    }

    const std::int32_t expectedSeeds[] = { 266837066, 718369253, 2007112980, 3512199 };
    std::vector<float> silence (n, 0.0f), out (n);
    for (auto* s : { &a, &b })
    {
        std::vector<float> offsets;
        std::vector<std::int32_t> seeds;
        float lastOffset[2] = { 0.0f, 0.0f };
        while (seeds.size() < 4)
        {
            s->getInputLine().writeBlock (silence.data(), n);
            s->processVoice (out.data(), n, 0);
            s->getInputLine().advance (n);
            for (int g = 0; g < 2; ++g)
                if (s->getVoice (0).grainOffset[(size_t) g] != lastOffset[g])
                {
                    lastOffset[g] = s->getVoice (0).grainOffset[(size_t) g];
                    offsets.push_back (lastOffset[g]);
                    seeds.push_back (s->getSeed());
                }
        }
        for (size_t i = 0; i < 4; ++i)
        {
            EXPECT_EQ (seeds[i], expectedSeeds[i]);
            EXPECT_FLOAT_EQ (offsets[i], (float) expectedSeeds[i] / 2147483648.0f * 144.0f)
                << "offset " << i << " spans +-144 samples at 48 kHz";
        }
    }
}

TEST (PitchShifter, ProcessLeavesTheWritePositionAndClearKeepsIt)
{
    PitchShifter shifter;
    configure (shifter, 48000.0f, 149.25f);
    shifter.setShift (0, 5.0f);
    shift (shifter, sine (300.0f, 48000.0f, 4800));

    const auto position = shifter.getInputLine().getWriteIndex();
    std::vector<float> out (n);
    shifter.processVoice (out.data(), n, 0);
    EXPECT_EQ (shifter.getInputLine().getWriteIndex(), position);

    shifter.clear();
    EXPECT_EQ (shifter.getInputLine().getWriteIndex(), position);
    EXPECT_EQ (shifter.getVoice (0).grainPhase[0], 0.0f);
    EXPECT_EQ (shifter.getVoice (0).grainPhase[1], 0.5f);
    const auto silent = shift (shifter, std::vector<float> (1600, 0.0f));
    for (float y : silent)
        ASSERT_EQ (y, 0.0f);
}
