#include "engine/components/DiffusionNetwork.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace corvane;

namespace
{
constexpr int n = 16;

struct NetworkSetup
{
    int stages;
    std::vector<float> delaysMs;
    float modRate, rateSpread;
};

// The six networks of the reverb.
const NetworkSetup reverbNetworks[] = {
    { 4, { 60.0f, 62.0f, 67.2f, 75.6f }, 0.7f, 1.047f },
    { 4, { 60.2f, 63.0f, 69.0f, 78.2f }, 0.7f, 1.047f },
    { 4, { 60.6f, 64.2f, 71.0f, 81.0f }, 0.7f, 1.047f },
    { 4, { 61.2f, 65.6f, 73.2f, 84.0f }, 0.7f, 1.047f },
    { 8, { 90.6f, 98.0f, 106.2f, 115.2f, 125.0f, 135.6f, 147.2f, 159.4f }, 0.43f, 1.0491f },
    { 8, { 87.2f, 94.2f, 102.0f, 110.0f, 120.0f, 130.2f, 141.4f, 153.2f }, 0.43f, 1.0491f },
};

void configure (DiffusionNetwork& network, const NetworkSetup& setup, float sampleRate)
{
    network.setSampleRate (sampleRate);
    network.setNumStages (setup.stages);
    network.setDelayTimes (setup.delaysMs.data());
    network.setSize (0.5f);
    network.setSizeImmediate (0.5f);
    network.setDiffusion (0.618f);
    network.setBlockSize (n);
    network.setModRate (setup.modRate);
    network.setRateSpread (setup.rateSpread);
    network.setSmoothingTime (200.0f);
}

std::vector<float> processAll (DiffusionNetwork& network, const std::vector<float>& input, bool linear)
{
    std::vector<float> output (input.size());
    for (size_t start = 0; start + n <= input.size(); start += n)
    {
        if (linear)
            network.processBlockLinear (input.data() + start, output.data() + start, n);
        else
            network.processBlock (input.data() + start, output.data() + start, n);
    }
    return output;
}

std::vector<float> noise (size_t length, unsigned seed)
{
    RandomSource r (seed);
    std::vector<float> s (length);
    for (auto& x : s)
        x = static_cast<float> (r.nextUnit() * 2.0 - 1.0);
    return s;
}
} // namespace

TEST (DiffusionNetwork, LongestStageAndLineLengthsPerRate)
{
    struct Case { float rate; std::int32_t longest[6]; std::int64_t line[6]; };
    const Case cases[] = {
        { 44100.0f, { 3333, 3448, 3572, 3704, 7029, 6756 }, { 4096, 4096, 4096, 4096, 8192, 8192 } },
        { 48000.0f, { 3628, 3753, 3888, 4032, 7651, 7353 }, { 4096, 4096, 4096, 4096, 8192, 8192 } },
        { 96000.0f, { 7257, 7507, 7776, 8064, 15302, 14707 }, { 8192, 8192, 8192, 8192, 16384, 16384 } },
    };
    for (const auto& c : cases)
        for (int k = 0; k < 6; ++k)
        {
            RandomSource random;
            DiffusionNetwork network (random);
            configure (network, reverbNetworks[k], c.rate);
            EXPECT_EQ (network.getMaxDelay(), c.longest[k]) << "network " << k << " at " << c.rate;
            for (int i = 0; i < DiffusionNetwork::maxStages; ++i)
                EXPECT_EQ (network.getStage (i).getLength(), i < reverbNetworks[k].stages ? c.line[k] : 2)
                    << "network " << k << " stage " << i << " at " << c.rate;
            EXPECT_EQ (network.getStageRatio (reverbNetworks[k].stages - 1), 1.0f) << "the longest stage";
        }
}

TEST (DiffusionNetwork, ModulatorSpeedAndFlipPeriodPerStage)
{
    // 44.1 kHz: 2756.25 blocks per second.
    RandomSource random;
    DiffusionNetwork network (random);
    configure (network, reverbNetworks[0], 44100.0f);
    network.setModRate (0.5f);
    network.setRateSpread (1.047f);

    EXPECT_NEAR (network.getModulator (0).getSpeed(), 0.00036281f, 5e-9f);
    EXPECT_EQ (network.getModulator (0).getFlipPeriod(), 1754);
    EXPECT_NEAR (network.getModulator (3).getSpeed(), 0.00041641f, 5e-9f) << "0.5 * 1.047^3 = 0.573865 Hz";
    EXPECT_EQ (network.getModulator (3).getFlipPeriod(), 1528);
}

TEST (DiffusionNetwork, WithoutDiffusionTheChainIsTheSumOfItsStageDelays)
{
    // At 48 kHz, 1 ms and 2 ms stages are 48 and 96 samples; each stage's
    // effective delay is its delay minus the block length.
    for (bool linear : { true, false })
    {
        RandomSource random;
        DiffusionNetwork network (random);
        network.setSampleRate (48000.0f);
        network.setNumStages (2);
        const float delaysMs[] = { 1.0f, 2.0f };
        network.setDelayTimes (delaysMs);
        network.setSizeImmediate (1.0f);
        network.setDiffusion (0.0f);
        network.setModDepth (0.0f);

        std::vector<float> input (1024, 0.0f);
        input[5] = 1.0f;
        const auto output = processAll (network, input, linear);
        const size_t expected = 5 + (48 - n) + (96 - n);
        if (linear)
        {
            std::vector<float> delayed (1024, 0.0f);
            delayed[expected] = 1.0f;
            EXPECT_EQ (output, delayed);
        }
        else
        {
            EXPECT_NEAR (output[expected], 0.99f * 0.99f, 1e-5f) << "two interpolators at fraction 0";
            EXPECT_NEAR (output[expected - 1], 0.0f, 1e-7f);
        }
    }
}

TEST (DiffusionNetwork, ChainPreservesEnergyOnceSettled)
{
    RandomSource random;
    DiffusionNetwork network (random);
    configure (network, reverbNetworks[1], 48000.0f);
    network.setDiffusion (0.7f);
    network.setModDepth (0.0f);
    processAll (network, std::vector<float> (16 * 20000, 0.0f), false); // let the diffusion glide settle

    std::vector<float> input (16 * 30000, 0.0f);
    input[0] = 1.0f;
    double energy = 0.0;
    for (float y : processAll (network, input, false))
        energy += (double) y * y;
    EXPECT_NEAR (energy, 1.0, 1e-3);
}

TEST (DiffusionNetwork, InPlaceEqualsSeparateBuffersAndInputIsKept)
{
    RandomSource randomA (7), randomB (7);
    DiffusionNetwork a (randomA), b (randomB);
    configure (a, reverbNetworks[4], 48000.0f);
    configure (b, reverbNetworks[4], 48000.0f);
    a.setModDepth (3.0f);
    b.setModDepth (3.0f);

    const auto input = noise (16 * 4000, 3);
    auto inPlace = input;
    std::vector<float> separate (input.size());
    for (size_t start = 0; start < input.size(); start += n)
    {
        a.processBlock (inPlace.data() + start, inPlace.data() + start, n);
        b.processBlock (input.data() + start, separate.data() + start, n);
    }
    EXPECT_EQ (inPlace, separate);
    EXPECT_EQ (input, noise (16 * 4000, 3));
}

TEST (DiffusionNetwork, LowerRateSnapsSizeOnlyWhenLinesWouldBeOverrun)
{
    struct Case { const char* why; float from, to; bool snaps; };
    const Case cases[] = {
        { "96 to 48 kHz halves the lines", 96000.0f, 48000.0f, true },
        { "44.1 to 48 kHz glides as designed", 44100.0f, 48000.0f, false },
        { "48 to 44.1 kHz keeps 4096-sample lines and glides", 48000.0f, 44100.0f, false },
    };
    for (const auto& c : cases)
    {
        RandomSource random;
        DiffusionNetwork network (random);
        configure (network, reverbNetworks[3], c.from);
        network.setSizeImmediate (1.0f);
        const float oldSize = network.getSmoothedSize();

        network.setSampleRate (c.to);
        network.setDelayTimes (reverbNetworks[3].delaysMs.data());
        if (c.snaps)
            EXPECT_EQ (network.getSmoothedSize(), network.getSizeTarget()) << c.why;
        else
            EXPECT_EQ (network.getSmoothedSize(), oldSize) << c.why;
        EXPECT_LE (network.getSizeTarget(), (float) network.getStage (0).getLength()) << c.why;
    }
}

TEST (DiffusionNetwork, ClearSilencesAndKeepsPositionsAndModulators)
{
    RandomSource random;
    DiffusionNetwork network (random);
    configure (network, reverbNetworks[0], 48000.0f);
    network.setModDepth (2.0f);
    processAll (network, noise (16 * 500, 1), false);

    const auto position = network.getStage (2).getWriteIndex();
    const float modulatorPosition = network.getModulator (1).getPosition();
    const float depth = network.getSmoothedDepth();
    network.setSize (0.2f);
    network.clear();

    EXPECT_EQ (network.getStage (2).getWriteIndex(), position);
    EXPECT_EQ (network.getModulator (1).getPosition(), modulatorPosition);
    EXPECT_EQ (network.getSmoothedDepth(), depth);
    EXPECT_EQ (network.getSmoothedSize(), network.getSizeTarget()) << "the size jumps to its target";

    const auto silent = processAll (network, std::vector<float> (16 * 200, 0.0f), false);
    for (float y : silent)
        ASSERT_EQ (y, 0.0f);
}
