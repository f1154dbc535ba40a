#include "EngineRig.h"
#include "engine/TailEstimate.h"

#include <gtest/gtest.h>

#include <limits>

using namespace corvane;
using namespace corvane::test;

namespace
{
struct Settings
{
    const char* why;
    float reverb, shift, feedback, diffusion, size;
};

std::array<float, numParameters> normalisedOf (EngineRig& rig)
{
    std::array<float, numParameters> n {};
    for (int i = 0; i < numParameters; ++i)
        n[(size_t) i] = rig->getParameter (i);
    return n;
}

// Seconds after the burst until the 50 ms RMS stays 90 dB below its peak.
double measuredTail (const Stereo& out, size_t burstLength)
{
    constexpr size_t window = 2400;
    std::vector<double> levels;
    double loudest = 0.0;
    for (size_t s = 0; s + window <= out.size(); s += window)
    {
        levels.push_back (std::max (rms (out.left, s, s + window), rms (out.right, s, s + window)));
        loudest = std::max (loudest, levels.back());
    }
    size_t last = 0;
    for (size_t i = 0; i < levels.size(); ++i)
        if (levels[i] > loudest * 3.16e-5)
            last = i;
    return (double) ((last + 1) * window - burstLength) / 48000.0;
}
} // namespace

TEST (TailEstimate, CoversTheMeasuredDecayWithoutWildOverstatement)
{
    const Settings cases[] = {
        { "short small room, low diffusion", modes::smallStereo, modes::dual, 0.0f, 0.63f, 0.0f },
        { "mono at full size", modes::mono, modes::dual, 0.0f, 0.63f, 1.0f },
        { "small room, long feedback in bypass", modes::smallStereo, modes::bypass, 0.95f, 0.5f, 0.2f },
        { "medium hall", modes::mediumStereo, modes::bypass, 0.5f, 0.86f, 0.5f },
    };
    for (const auto& c : cases)
    {
        EngineRig rig;
        rig.setModes (c.reverb, c.shift, modes::bright);
        rig->setParameter (wetDryIndex, 1.0f);
        rig->setParameter (feedbackIndex, c.feedback);
        rig->setParameter (diffusionIndex, c.diffusion);
        rig->setParameter (sizeIndex, c.size);
        const double estimate = estimateTailSeconds (normalisedOf (rig));

        const size_t burst = 9600;
        const auto out = rig.process (noiseBurst (burst, burst + (size_t) (48000 * (estimate * 1.5 + 1.0))));
        const double measured = measuredTail (out, burst);
        EXPECT_GE (estimate, measured) << c.why;
        EXPECT_LE (estimate, 2.0 * measured + 0.5) << c.why;
    }
}

TEST (TailEstimate, FullFeedbackNeverDecays)
{
    EngineRig rig;
    rig->setParameter (feedbackIndex, 1.0f);
    EXPECT_EQ (estimateTailSeconds (normalisedOf (rig)), std::numeric_limits<double>::infinity());
    rig->setParameter (feedbackIndex, 0.999f);
    EXPECT_TRUE (std::isfinite (estimateTailSeconds (normalisedOf (rig))));
}
