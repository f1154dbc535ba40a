// Cost of every signal flow at 48 kHz stereo: nanoseconds per stereo sample
// and the realtime factor (seconds of audio per second of one core).
#include "engine/ReverbEngine.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace corvane;

namespace
{
constexpr int sampleRate = 48000;
constexpr int hostBuffer = 512;

void signalFlow (benchmark::State& state)
{
    const int index = static_cast<int> (state.range (0));
    const auto flow = FlowDescription::fromIndex (index);

    auto engine = std::make_unique<ReverbEngine>();
    engine->setSampleRate (sampleRate);
    for (int i = 0; i < numParameters; ++i)
        engine->setParameter (i, engine->normalisedDefault (i));
    const float reverb[] = { 0.0f, 0.5f, 0.75f, 1.0f };
    const float shift[] = { 0.0f, 0.4f, 1.0f };
    engine->setParameter (reverbModeIndex, reverb[static_cast<int> (flow.reverbMode)]);
    engine->setParameter (shiftModeIndex, shift[static_cast<int> (flow.pitchFlow)]);
    engine->setParameter (colourModeIndex, flow.colour == Colour::dark ? 1.0f : 0.0f);
    engine->setParameter (feedbackIndex, 0.7f);
    engine->reseed (1);

    RandomSource noise (3);
    std::vector<float> left (hostBuffer), right (hostBuffer);
    for (int i = 0; i < hostBuffer; ++i)
    {
        left[(size_t) i] = static_cast<float> (noise.nextUnit() - 0.5) * 0.1f;
        right[(size_t) i] = static_cast<float> (noise.nextUnit() - 0.5) * 0.1f;
    }
    std::vector<float> outLeft (hostBuffer), outRight (hostBuffer);

    for (auto _ : state)
    {
        engine->processSamples (left.data(), right.data(), outLeft.data(), outRight.data(), hostBuffer);
        benchmark::DoNotOptimize (outLeft.data());
        benchmark::DoNotOptimize (outRight.data());
    }

    const double samples = static_cast<double> (state.iterations()) * hostBuffer;
    state.SetItemsProcessed (static_cast<int64_t> (samples));
    state.counters["ns_per_sample"] = benchmark::Counter (samples * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_x"] = benchmark::Counter (samples / sampleRate, benchmark::Counter::kIsRate);
    state.SetLabel (std::to_string (index));
}
} // namespace

BENCHMARK (signalFlow)->DenseRange (0, FlowDescription::count - 1)->Unit (benchmark::kMicrosecond);
