#include "ProcessorRig.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

// The engine works in 16-sample blocks whatever the host's buffer size: any
// buffering of the same input gives the same output, bit for bit.
TEST (BlockSize, OutputDoesNotDependOnHostBufferSize)
{
    const auto input = noise (3 * 48000, 2, 48000);
    auto render = [&] (std::function<int (int)> nextSize) {
        ProcessorRig rig (48000.0, 8192);
        rig->setCurrentProgram (3);
        rig->setParameter (modDepthIndex, 1.0f);
        auto channels = input;
        juce::MidiBuffer midi;
        const int length = (int) input[0].size();
        for (int start = 0, i = 0; start < length; ++i)
        {
            const int n = std::min (nextSize (i), length - start);
            juce::AudioBuffer<float> buffer (2, n);
            for (int c = 0; c < 2; ++c)
                buffer.copyFrom (c, 0, channels[(size_t) c].data() + start, n);
            rig->processBlock (buffer, midi);
            for (int c = 0; c < 2; ++c)
                std::copy (buffer.getReadPointer (c), buffer.getReadPointer (c) + n, channels[(size_t) c].data() + start);
            start += n;
        }
        return channels;
    };

    const auto reference = render ([] (int) { return 512; });
    for (int size : { 1, 2, 15, 16, 17, 31, 64, 480, 4096, 8192 })
        EXPECT_EQ (render ([size] (int) { return size; }), reference) << "buffers of " << size;

    juce::Random random (11);
    EXPECT_EQ (render ([&] (int) { return random.nextInt (1000); }), reference) << "buffers of random sizes, some empty";
}
