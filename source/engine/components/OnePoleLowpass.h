#pragma once

namespace corvane
{

// One-pole low-pass y[t] = (1 - c) y[t-1] + c x[t], unity gain at DC. The
// coefficient is not stored here: the engine keeps one for both channels.
class OnePoleLowpass
{
public:
    // In place over n <= 128 samples. The input is scaled by c for the whole
    // block first, then the recursion runs: the same rounding as a vector
    // multiply followed by the recursive pass.
    void processBlock (float* v, int n, float c) noexcept
    {
        const float d = 1.0f - c;
        float y = state;
        for (int k = 0; k < n; ++k)
        {
            const float scaled = c * v[k];
            y = y * d + scaled;
            v[k] = y;
        }
        state = y;
    }

    void clearState() noexcept { state = 0.0f; }
    float getState() const noexcept { return state; }

private:
    float state = 0.0f; // last output
};

} // namespace corvane
