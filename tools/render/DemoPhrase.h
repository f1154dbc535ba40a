#pragma once

// The built-in demo phrase for `--demo`: four plucked notes, a sung vowel and
// a drum hit, about four seconds in stereo, made in code so that the demo
// needs no sample files. Deterministic: the same rate gives the same samples.

#include <vector>

namespace corvane::render
{

struct StereoSignal
{
    int sampleRate = 0;
    std::vector<float> left, right;
};

StereoSignal synthesiseDemoPhrase (int sampleRate);

} // namespace corvane::render
