#pragma once

namespace corvane
{

// Coefficients of H(z) = (b0 + b1 z^-1) / (1 + a1 z^-1).
struct FirstOrderDesign
{
    float b0 = 1.0f;
    float b1 = 0.0f;
    float a1 = 0.0f;
};

// First-order IIR section in transposed direct form II. Starts as the identity.
class FirstOrderSection
{
public:
    void reset() noexcept { a1 = 0.0f; b0 = 1.0f; b1 = 0.0f; state = 0.0f; }

    void setCoefficients (float newA1, float newB0, float newB1) noexcept
    {
        a1 = newA1;
        b0 = newB0;
        b1 = newB1;
    }

    // Coefficients only: the state is kept so a change never clicks.
    void loadDesign (const FirstOrderDesign& design) noexcept { setCoefficients (design.a1, design.b0, design.b1); }

    void clearState() noexcept { state = 0.0f; }

    void processBlock (float* v, int n) noexcept
    {
        for (int k = 0; k < n; ++k)
        {
            const float x = v[k];
            const float y = b0 * x + state;
            v[k] = y;
            state = b1 * x - a1 * y;
        }
    }

    float getA1() const noexcept { return a1; }
    float getB0() const noexcept { return b0; }
    float getB1() const noexcept { return b1; }
    float getState() const noexcept { return state; }

private:
    float a1 = 0.0f, b0 = 1.0f, b1 = 0.0f, state = 0.0f;
};

// Bilinear-transform pole without prewarping, (1 - 2 fs T) / (1 + 2 fs T)
// with T = 1 / (6.28318 f).
float firstOrderPole (float cornerHz, float sampleRate);

// (1 - z^-1) / (1 + a z^-1): zero gain at DC, just above 1 at Nyquist.
FirstOrderDesign designHighpass (float cornerHz, float sampleRate);

// (a + z^-1) / (1 + a z^-1): unit magnitude, phase turning around the corner.
FirstOrderDesign designAllpass (float cornerHz, float sampleRate);

} // namespace corvane
