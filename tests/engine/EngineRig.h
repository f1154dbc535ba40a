#pragma once

// An engine set up the way the plug-in sets it up (48 kHz first, then every
// control at its default), with a fixed random seed, plus signal helpers.

#include "engine/ReverbEngine.h"
#include "engine/components/RandomSource.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace corvane::test
{

struct Stereo
{
    std::vector<float> left, right;
    size_t size() const { return left.size(); }
};

// Normalised values that select each mode.
namespace modes
{
    constexpr float mono = 0.0f, bigStereo = 0.5f, mediumStereo = 0.75f, smallStereo = 1.0f;
    constexpr float single = 0.0f, dual = 0.4f, singleReverse = 0.6f, dualReverse = 0.8f, bypass = 1.0f;
    constexpr float bright = 0.0f, dark = 1.0f;
} // namespace modes

class EngineRig
{
public:
    explicit EngineRig (int sampleRate = 48000, std::uint32_t seed = 1)
        : engine (std::make_unique<ReverbEngine>())
    {
        engine->setSampleRate (48000);
        for (int i = 0; i < numParameters; ++i)
            engine->setParameter (i, engine->normalisedDefault (i));
        engine->setSampleRate (sampleRate);
        engine->reseed (seed);
    }

    ReverbEngine& operator*() { return *engine; }
    ReverbEngine* operator->() { return engine.get(); }

    void setModes (float reverb, float shift, float colour)
    {
        engine->setParameter (reverbModeIndex, reverb);
        engine->setParameter (shiftModeIndex, shift);
        engine->setParameter (colourModeIndex, colour);
    }

    // Runs `input` through in host buffers of `bufferSize` samples.
    Stereo process (const Stereo& input, int bufferSize = 512)
    {
        Stereo out { std::vector<float> (input.size()), std::vector<float> (input.size()) };
        for (size_t start = 0; start < input.size(); start += (size_t) bufferSize)
        {
            const int n = (int) std::min ((size_t) bufferSize, input.size() - start);
            engine->processSamples (input.left.data() + start, input.right.data() + start,
                                    out.left.data() + start, out.right.data() + start, n);
        }
        return out;
    }

    Stereo silence (size_t length) { return process (Stereo { std::vector<float> (length), std::vector<float> (length) }); }

private:
    std::unique_ptr<ReverbEngine> engine; // large: keep it off the stack
};

inline Stereo noiseBurst (size_t burstLength, size_t totalLength, std::uint32_t seed = 5, float level = 0.5f)
{
    RandomSource r (seed);
    Stereo s { std::vector<float> (totalLength), std::vector<float> (totalLength) };
    for (size_t i = 0; i < burstLength && i < totalLength; ++i)
    {
        s.left[i] = level * (float) (r.nextUnit() * 2.0 - 1.0);
        s.right[i] = level * (float) (r.nextUnit() * 2.0 - 1.0);
    }
    return s;
}

inline double rms (const std::vector<float>& s, size_t from = 0, size_t to = (size_t) -1)
{
    to = std::min (to, s.size());
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += (double) s[i] * s[i];
    return to > from ? std::sqrt (sum / (double) (to - from)) : 0.0;
}

inline float peak (const std::vector<float>& s, size_t from = 0, size_t to = (size_t) -1)
{
    to = std::min (to, s.size());
    float p = 0.0f;
    for (size_t i = from; i < to; ++i)
        p = std::max (p, std::abs (s[i]));
    return p;
}

inline bool allFinite (const Stereo& s)
{
    for (size_t i = 0; i < s.size(); ++i)
        if (! std::isfinite (s.left[i]) || ! std::isfinite (s.right[i]))
            return false;
    return true;
}

} // namespace corvane::test
