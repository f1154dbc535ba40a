// Regression guard: a short render of every flow, reduced to the RMS of ten
// 100 ms segments per channel, compared with the stored fingerprints. It
// catches unintended changes to the sound; it does not prove the sound right.
//
// To accept a deliberate change, regenerate the file:
//   CORVANE_UPDATE_FINGERPRINTS=1 build/tests/corvane_engine_tests --gtest_filter='FlowFingerprint*'
#include "EngineRig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

using namespace corvane;
using namespace corvane::test;

namespace
{
constexpr size_t segment = 4800;
constexpr int segments = 10;
const std::string fingerprintFile = std::string (CORVANE_TEST_DATA_DIR) + "/flow_fingerprints.txt";

std::vector<double> fingerprint (int index)
{
    EngineRig rig (48000, 1);
    const float reverb[] = { modes::mono, modes::bigStereo, modes::mediumStereo, modes::smallStereo };
    const float shift[] = { modes::single, modes::dual, modes::bypass };
    const auto flow = FlowDescription::fromIndex (index);
    rig.setModes (reverb[(int) flow.reverbMode], shift[(int) flow.pitchFlow], flow.colour == Colour::dark ? 1.0f : 0.0f);
    rig->setParameter (feedbackIndex, 0.7f);
    rig->setParameter (shiftIndex, 0.75f); // +6 semitones
    rig->setParameter (modDepthIndex, 0.8f);

    const auto out = rig.process (noiseBurst (segment, segment * segments, 11), 256);
    std::vector<double> print;
    for (const auto* channel : { &out.left, &out.right })
        for (int s = 0; s < segments; ++s)
            print.push_back (rms (*channel, (size_t) s * segment, (size_t) (s + 1) * segment));
    return print;
}

std::map<int, std::vector<double>> readFingerprints()
{
    std::map<int, std::vector<double>> prints;
    std::ifstream in (fingerprintFile);
    std::string line;
    while (std::getline (in, line))
    {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields (line);
        int index;
        fields >> index;
        double v;
        while (fields >> v)
            prints[index].push_back (v);
    }
    return prints;
}
} // namespace

TEST (FlowFingerprint, EveryFlowMatchesItsStoredRender)
{
    if (std::getenv ("CORVANE_UPDATE_FINGERPRINTS") != nullptr)
    {
        std::ofstream out (fingerprintFile);
        out << "# flow, then RMS of ten 100 ms segments, left then right (see FlowFingerprintTests.cpp)\n";
        out.precision (9);
        for (int index = 0; index < FlowDescription::count; ++index)
        {
            out << index;
            for (double v : fingerprint (index))
                out << ' ' << v;
            out << '\n';
        }
        GTEST_SKIP() << "fingerprints rewritten to " << fingerprintFile;
    }

    const auto stored = readFingerprints();
    ASSERT_EQ (stored.size(), (size_t) FlowDescription::count) << "missing " << fingerprintFile;
    for (int index = 0; index < FlowDescription::count; ++index)
    {
        const auto actual = fingerprint (index);
        const auto& expected = stored.at (index);
        ASSERT_EQ (actual.size(), expected.size());
        for (size_t i = 0; i < actual.size(); ++i)
            EXPECT_NEAR (actual[i], expected[i], 1e-4 * expected[i] + 1e-9) << "flow " << index << ", value " << i;
    }
}
