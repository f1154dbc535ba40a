#pragma once

// A plain radix-2 FFT for the spectrogram: in place, forward, unscaled, on
// separate real and imaginary arrays so that the butterflies of each stage
// run over contiguous memory (the compiler vectorises them). Tables are
// built once per size; transform() allocates nothing.

#include <cmath>
#include <utility>
#include <vector>

namespace corvane::render
{

class Fft
{
public:
    explicit Fft (int order) : size (1 << order), twiddleReal ((size_t) size), twiddleImag ((size_t) size), bitReversed ((size_t) size)
    {
        // Stage with butterflies `half` apart uses e^(-i pi k / half), k < half,
        // stored from index half on.
        for (int half = 1; half < size; half *= 2)
            for (int k = 0; k < half; ++k)
            {
                const double angle = -M_PI * k / half;
                twiddleReal[(size_t) (half + k)] = (float) std::cos (angle);
                twiddleImag[(size_t) (half + k)] = (float) std::sin (angle);
            }
        for (int i = 0; i < size; ++i)
        {
            int reversed = 0;
            for (int bit = 0; bit < order; ++bit)
                reversed |= ((i >> bit) & 1) << (order - 1 - bit);
            bitReversed[(size_t) i] = reversed;
        }
    }

    int getSize() const noexcept { return size; }

    // X[k] = sum over n of x[n] e^(-2 pi i k n / size), x = real + i imag.
    void transform (float* real, float* imag) const noexcept
    {
        for (int i = 0; i < size; ++i)
            if (const int j = bitReversed[(size_t) i]; j > i)
            {
                std::swap (real[i], real[j]);
                std::swap (imag[i], imag[j]);
            }

        for (int half = 1; half < size; half *= 2)
        {
            const float* wr = twiddleReal.data() + half;
            const float* wi = twiddleImag.data() + half;
            for (int start = 0; start < size; start += 2 * half)
            {
                float* ar = real + start;
                float* ai = imag + start;
                float* br = real + start + half;
                float* bi = imag + start + half;
                for (int k = 0; k < half; ++k)
                {
                    const float oddReal = wr[k] * br[k] - wi[k] * bi[k];
                    const float oddImag = wr[k] * bi[k] + wi[k] * br[k];
                    br[k] = ar[k] - oddReal;
                    bi[k] = ai[k] - oddImag;
                    ar[k] += oddReal;
                    ai[k] += oddImag;
                }
            }
        }
    }

private:
    int size;
    std::vector<float> twiddleReal, twiddleImag;
    std::vector<int> bitReversed;
};

} // namespace corvane::render
