#pragma once

// Helpers for driving the plug-in's processor the way a host does.

#include "processor/StateContainer.h"
#include "processor/TarnwickCorvane.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>
#include <memory>
#include <vector>

namespace corvane::test
{

// A processor prepared for stereo at `rate`, with a clock the test moves by hand.
struct ProcessorRig
{
    explicit ProcessorRig (double rate = 48000.0, int blockSize = 512)
        : processor (std::make_unique<TarnwickCorvane>())
    {
        processor->setClock ([this] { return now; });
        processor->setPlayConfigDetails (2, 2, rate, blockSize);
        processor->prepareToPlay (rate, blockSize);
        processor->reseed (1);
    }

    TarnwickCorvane* operator->() { return processor.get(); }
    TarnwickCorvane& operator*() { return *processor; }

    // Processes `input` (channels of equal length) in buffers of `blockSize`.
    std::vector<std::vector<float>> process (std::vector<std::vector<float>> channels, int blockSize = 512,
                                             bool bypassed = false)
    {
        const int numChannels = (int) channels.size();
        const int length = (int) channels[0].size();
        juce::MidiBuffer midi;
        for (int start = 0; start < length; start += blockSize)
        {
            const int n = std::min (blockSize, length - start);
            juce::AudioBuffer<float> buffer (std::max (2, numChannels), n);
            buffer.clear();
            for (int c = 0; c < numChannels; ++c)
                buffer.copyFrom (c, 0, channels[(size_t) c].data() + start, n);
            if (bypassed)
                processor->processBlockBypassed (buffer, midi);
            else
                processor->processBlock (buffer, midi);
            for (int c = 0; c < numChannels; ++c)
                std::copy (buffer.getReadPointer (c), buffer.getReadPointer (c) + n, channels[(size_t) c].data() + start);
        }
        return channels;
    }

    juce::MemoryBlock state()
    {
        juce::MemoryBlock block;
        processor->getStateInformation (block);
        return block;
    }

    void restore (const juce::MemoryBlock& block) { processor->setStateInformation (block.getData(), (int) block.getSize()); }

    std::unique_ptr<TarnwickCorvane> processor;
    juce::uint32 now = 100000;
};

inline std::vector<std::vector<float>> noise (int length, int channels = 2, int burst = -1, unsigned seed = 9)
{
    juce::Random random ((juce::int64) seed);
    std::vector<std::vector<float>> s ((size_t) channels, std::vector<float> ((size_t) length, 0.0f));
    for (auto& channel : s)
        for (int i = 0; i < (burst < 0 ? length : std::min (burst, length)); ++i)
            channel[(size_t) i] = random.nextFloat() - 0.5f;
    return s;
}

inline std::vector<std::vector<float>> silence (int length, int channels = 2)
{
    return std::vector<std::vector<float>> ((size_t) channels, std::vector<float> ((size_t) length, 0.0f));
}

inline double rmsOf (const std::vector<float>& s)
{
    double sum = 0.0;
    for (float x : s)
        sum += (double) x * x;
    return s.empty() ? 0.0 : std::sqrt (sum / (double) s.size());
}

inline juce::MemoryBlock wrapText (const juce::String& xml) { return StateContainer::wrap (xml); }

} // namespace corvane::test
