#include "engine/components/DelayLine.h"

#include <algorithm>

namespace corvane
{

namespace
{
    std::array<float, 256> makeCoefficientTable() noexcept
    {
        std::array<float, 256> table {};
        for (int j = 0; j < 256; ++j)
        {
            const float x = static_cast<float> (j) / 256.0f;
            table[j] = std::min ((1.0f - x) / (1.0f + x), 0.99f);
        }
        return table;
    }

    std::int64_t nextPowerOfTwo (std::int64_t requested) noexcept
    {
        std::int64_t length = 1;
        while (length < requested)
            length <<= 1;
        return length;
    }

    // Integer part of a delay, truncated towards zero.
    inline std::int64_t wholeSamples (float d) noexcept { return static_cast<std::int64_t> (d); }
} // namespace

const std::array<float, 256>& DelayLine::coefficientTable() noexcept
{
    static const std::array<float, 256> table = makeCoefficientTable();
    return table;
}

float DelayLine::allpassCoefficient (float fraction) noexcept
{
    // For fractions in 0..1 the index is 0..255; the mask only keeps a
    // malformed delay from indexing outside the table.
    return coefficientTable()[static_cast<std::size_t> (static_cast<int> (fraction * 256.0f) & 255)];
}

DelayLine::DelayLine (std::int64_t initialLength)
{
    coefficientTable();
    setLength (initialLength);
}

void DelayLine::setLength (std::int64_t requested)
{
    const std::int64_t newLength = nextPowerOfTwo (requested);
    if (newLength == length)
        return;

    std::vector<float> (static_cast<size_t> (newLength), 0.0f).swap (buffer);
    length = newLength;
    mask = newLength - 1;
    writeIndex = 0;
    tapState = 0.0f;
}

void DelayLine::clear() noexcept
{
    std::fill (buffer.begin(), buffer.end(), 0.0f);
    tapState = 0.0f;
}

void DelayLine::writeBlock (const float* x, int n) noexcept
{
    float* const mem = buffer.data();
    for (int i = 0; i < n; ++i)
        mem[(writeIndex - i) & mask] = x[i];
}

void DelayLine::allpassRead (std::int64_t start, float fraction, float* out, int n) noexcept
{
    const float eta = allpassCoefficient (fraction);
    const float* const mem = buffer.data();
    std::int64_t a = start & mask;
    std::int64_t b = (a + 1) & mask;
    float y = tapState;
    for (int i = 0; i < n; ++i)
    {
        y = (mem[a] - y) * eta + mem[b];
        out[i] = y;
        b = a;
        a = (a - 1) & mask;
    }
    tapState = y;
}

void DelayLine::linearRead (std::int64_t start, float fraction, float* out, int n) const noexcept
{
    const float* const mem = buffer.data();
    const float g = 1.0f - fraction;
    std::int64_t a = start & mask;
    for (int i = 0; i < n; ++i)
    {
        const float newer = g * mem[a];
        out[i] = fraction * mem[(a + 1) & mask] + newer;
        a = (a - 1) & mask;
    }
}

void DelayLine::readAllpassInterpolated (float d, float* out, int n) noexcept
{
    const std::int64_t k = wholeSamples (d);
    allpassRead (writeIndex + k, d - static_cast<float> (k), out, n);
}

void DelayLine::readLinear (float d, float* out, int n) noexcept
{
    const std::int64_t k = wholeSamples (d);
    linearRead (writeIndex + k, d - static_cast<float> (k), out, n);
}

void DelayLine::feedAllpassStage (const float* input, float* output, float* v, int n, float g) noexcept
{
    // y = v - g x is the stage output; w = x + g y feeds the memory, written
    // at the block's positions (writeIndex - i) as writeBlock would.
    float* const mem = buffer.data();
    for (int i = 0; i < n; ++i)
    {
        const float x = input[i];
        const float y = v[i] - g * x;
        mem[(writeIndex - i) & mask] = x + g * y;
        v[i] = y;
    }
    std::copy (v, v + n, output);
}

void DelayLine::allpassBlock (const float* input, float* output, int n, float delay, float g) noexcept
{
    float v[maxBlockLength];
    const std::int64_t k = wholeSamples (delay);
    allpassRead (writeIndex + k - n, delay - static_cast<float> (k), v, n);
    feedAllpassStage (input, output, v, n, g);
}

void DelayLine::allpassBlockLinear (const float* input, float* output, int n, float delay, float g) noexcept
{
    float v[maxBlockLength];
    const std::int64_t k = wholeSamples (delay);
    linearRead (writeIndex + k - n, delay - static_cast<float> (k), v, n);
    feedAllpassStage (input, output, v, n, g);
}

} // namespace corvane
