#include "DemoPhrase.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace corvane::render
{
namespace
{
constexpr double twoPi = 2.0 * M_PI;
constexpr double phraseSeconds = 4.0;
constexpr double peakDbfs = -3.0;

// A small fixed-sequence noise source (xorshift32), so the phrase never
// depends on the standard library's generators.
class Noise
{
public:
    explicit Noise (std::uint32_t seed) : state (seed) {}
    float next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (float) ((double) state / 2147483648.0 - 1.0);
    }

private:
    std::uint32_t state;
};

// Equal-power pan: -1 left .. +1 right.
void addPanned (StereoSignal& out, size_t start, const std::vector<float>& mono, float pan)
{
    const double angle = (pan + 1.0) * M_PI / 4.0;
    const auto gainLeft = (float) std::cos (angle), gainRight = (float) std::sin (angle);
    for (size_t i = 0; i < mono.size() && start + i < out.left.size(); ++i)
    {
        out.left[start + i] += mono[i] * gainLeft;
        out.right[start + i] += mono[i] * gainRight;
    }
}

// A plucked string: a noise burst circulating in a delay loop whose
// two-point average darkens and shortens it, as a real string does.
std::vector<float> pluck (int rate, double hz, double seconds, std::uint32_t seed)
{
    const auto period = std::max (2, (int) std::lround (rate / hz));
    std::vector<float> loop ((size_t) period);
    Noise noise (seed);
    float smoothed = 0.0f;
    for (auto& s : loop)
    {
        smoothed += 0.5f * (noise.next() - smoothed); // a softer pick
        s = smoothed;
    }

    std::vector<float> out ((size_t) (seconds * rate));
    size_t pos = 0;
    for (size_t i = 0; i < out.size(); ++i)
    {
        const size_t next = (pos + 1) % loop.size();
        out[i] = loop[pos];
        loop[pos] = 0.996f * 0.5f * (loop[pos] + loop[next]);
        pos = next;
    }
    return out;
}

// A sung "ah": harmonics of a glottal-like source weighted by three vowel
// formants, with a slow vibrato and soft ends.
std::vector<float> sungVowel (int rate, double hz, double seconds)
{
    struct Formant
    {
        double hz, bandwidthHz, gain;
    };
    constexpr std::array<Formant, 3> ah { { { 730.0, 90.0, 1.0 }, { 1090.0, 110.0, 0.5 }, { 2440.0, 170.0, 0.25 } } };

    const int harmonics = std::max (1, (int) (5000.0 / hz));
    std::vector<double> amplitude ((size_t) harmonics);
    for (int h = 1; h <= harmonics; ++h)
    {
        const double f = h * hz;
        double a = 0.0;
        for (const auto& formant : ah)
            a += formant.gain / (1.0 + std::pow ((f - formant.hz) / formant.bandwidthHz, 2.0));
        amplitude[(size_t) h - 1] = (a + 0.02) / h;
    }

    std::vector<float> out ((size_t) (seconds * rate));
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i)
    {
        const double t = (double) i / rate;
        const double vibrato = 1.0 + 0.006 * std::sin (twoPi * 5.5 * t) * std::min (1.0, t / 0.4);
        phase += twoPi * hz * vibrato / rate;
        double s = 0.0;
        for (int h = 1; h <= harmonics; ++h)
            s += amplitude[(size_t) h - 1] * std::sin (h * phase);
        const double envelope = std::min ({ 1.0, t / 0.08, (seconds - t) / 0.25 });
        out[i] = (float) (s * std::max (0.0, envelope));
    }
    return out;
}

// A drum hit: a sine falling from 160 to 50 Hz for the body, a short noise
// burst for the skin, separately for each side so the hit has some width.
void drumHit (StereoSignal& out, size_t start, int rate)
{
    Noise noiseLeft (0x9e3779b9u), noiseRight (0x85ebca6bu);
    const auto length = (size_t) (0.6 * rate);
    double phase = 0.0;
    for (size_t i = 0; i < length && start + i < out.left.size(); ++i)
    {
        const double t = (double) i / rate;
        const double hz = 50.0 + 110.0 * std::exp (-t / 0.04);
        phase += twoPi * hz / rate;
        const double body = 0.9 * std::sin (phase) * std::exp (-t / 0.18);
        const double skin = 0.35 * std::exp (-t / 0.03);
        out.left[start + i] += (float) (body + skin * noiseLeft.next());
        out.right[start + i] += (float) (body + skin * noiseRight.next());
    }
}
} // namespace

StereoSignal synthesiseDemoPhrase (int sampleRate)
{
    StereoSignal phrase;
    phrase.sampleRate = sampleRate;
    const auto length = (size_t) (phraseSeconds * sampleRate);
    phrase.left.assign (length, 0.0f);
    phrase.right.assign (length, 0.0f);
    const auto at = [sampleRate] (double seconds) { return (size_t) (seconds * sampleRate); };

    // A minor arpeggio, A3 C4 E4 A4, walking from left to right.
    constexpr std::array<double, 4> notesHz { 220.0, 261.63, 329.63, 440.0 };
    for (size_t n = 0; n < notesHz.size(); ++n)
        addPanned (phrase, at (0.3 * (double) n), pluck (sampleRate, notesHz[n], 1.6, 0x1234u + (std::uint32_t) n), -0.6f + 0.4f * (float) n);

    // Then E4 sung in the middle, and the hit as it fades.
    addPanned (phrase, at (1.4), sungVowel (sampleRate, 329.63, 1.7), 0.0f);
    drumHit (phrase, at (3.2), sampleRate);

    float peak = 0.0f;
    for (size_t i = 0; i < length; ++i)
        peak = std::max ({ peak, std::abs (phrase.left[i]), std::abs (phrase.right[i]) });
    if (peak > 0.0f)
    {
        const auto gain = (float) (std::pow (10.0, peakDbfs / 20.0) / peak);
        for (size_t i = 0; i < length; ++i)
        {
            phrase.left[i] *= gain;
            phrase.right[i] *= gain;
        }
    }
    return phrase;
}

} // namespace corvane::render
