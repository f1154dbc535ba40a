#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace corvane
{

// A power-of-two circular delay memory written backwards in time: sample i
// of a block goes to writeIndex - i, and the write index moves down by the
// block length afterwards, so larger positions hold older samples. Reads at
// fractional delays use first-order allpass or linear interpolation; the
// Schroeder allpass stage of the diffusion networks is built on it.
//
// Block operations take at most maxBlockLength samples and touch only memory
// obtained by the constructor or setLength.
class DelayLine
{
public:
    static constexpr int maxBlockLength = 128;
    static constexpr std::int64_t defaultLength = 32768;

    explicit DelayLine (std::int64_t initialLength = defaultLength);

    DelayLine (const DelayLine&) = delete;
    DelayLine& operator= (const DelayLine&) = delete;

    // Rounds the request up to a power of two (a request below 2 gives 1).
    // Keeps content, write position and interpolator state when the rounded
    // length is unchanged; otherwise reallocates a silent buffer.
    void setLength (std::int64_t requested);

    // Silences the memory and the interpolator; the write position survives.
    void clear() noexcept;

    void writeBlock (const float* x, int n) noexcept;
    void advance (int n) noexcept { writeIndex = (writeIndex - n) & mask; }

    // Reads n samples at a delay of d >= 0 samples relative to the block just
    // written. The allpass interpolator keeps its last output between calls.
    void readAllpassInterpolated (float d, float* out, int n) noexcept;
    void readLinear (float d, float* out, int n) noexcept;

    // One allpass stage (-g + z^-M) / (1 - g z^-M) with M = delay - n: the
    // whole block is read before any of it is written. Writes the feed signal
    // without moving the write position; input and output may alias.
    void allpassBlock (const float* input, float* output, int n, float delay, float g) noexcept;
    void allpassBlockLinear (const float* input, float* output, int n, float delay, float g) noexcept;

    std::int64_t getLength() const noexcept { return length; }
    std::int64_t getMask() const noexcept { return mask; }
    std::int64_t getWriteIndex() const noexcept { return writeIndex; }
    float getTapState() const noexcept { return tapState; }

    // Direct access for the pitch shifter's own interpolated reads.
    const float* data() const noexcept { return buffer.data(); }

    // Entry j serves fractions j/256 .. (j+1)/256: (1 - j/256) / (1 + j/256),
    // capped at 0.99 so the interpolator's pole stays off the unit circle.
    static const std::array<float, 256>& coefficientTable() noexcept;

private:
    static float allpassCoefficient (float fraction) noexcept;

    // Reads n allpass-interpolated samples starting at position `start`,
    // continuing from tapState, and leaves the last value in tapState.
    void allpassRead (std::int64_t start, float fraction, float* out, int n) noexcept;
    void linearRead (std::int64_t start, float fraction, float* out, int n) const noexcept;
    void feedAllpassStage (const float* input, float* output, float* v, int n, float g) noexcept;

    std::vector<float> buffer;
    std::int64_t length = 0;
    std::int64_t mask = 0;
    std::int64_t writeIndex = 0;
    float tapState = 0.0f;
};

} // namespace corvane
