// The spectrogram's picture is only as true as its analysis: the transform,
// where a tone lands, which way time runs, and that long renders fit.
#include "RenderTestSupport.h"
#include "Spectrogram.h"

#include <complex>
#include <random>

namespace corvane::render
{
namespace
{
TEST (Spectrogram, FftAgreesWithTheDefinition)
{
    for (const int order : { 1, 4, 10 })
    {
        SCOPED_TRACE (order);
        const int size = 1 << order;
        std::mt19937 random (order);
        std::uniform_real_distribution<float> value (-1.0f, 1.0f);
        std::vector<float> real ((size_t) size), imag ((size_t) size);
        for (int n = 0; n < size; ++n)
        {
            real[(size_t) n] = value (random);
            imag[(size_t) n] = value (random);
        }

        std::vector<std::complex<double>> expected ((size_t) size);
        for (int k = 0; k < size; ++k)
            for (int n = 0; n < size; ++n)
                expected[(size_t) k] += std::complex<double> (real[(size_t) n], imag[(size_t) n]) * std::polar (1.0, -2.0 * M_PI * k * n / size);

        Fft fft (order);
        fft.transform (real.data(), imag.data());
        for (int k = 0; k < size; ++k)
            EXPECT_LT (std::abs (std::complex<double> (real[(size_t) k], imag[(size_t) k]) - expected[(size_t) k]), 1e-5 * size) << "bin " << k;
    }
}

int loudestRow (const Spectrogram& s, int column)
{
    int best = 0;
    for (int row = 1; row < Spectrogram::numRows; ++row)
        if (s.getLevelDb (column, row) > s.getLevelDb (column, best))
            best = row;
    return best;
}

TEST (Spectrogram, ToneLandsInItsRowAtItsLevel)
{
    // Frequencies between bins too: the reading must not depend on luck.
    for (const double hz : { 100.0, 1000.0, 1234.5, 9000.0 })
    {
        SCOPED_TRACE (hz);
        constexpr double rate = 48000.0;
        Spectrogram s (rate);
        std::vector<float> left (48000), right (48000);
        for (size_t i = 0; i < left.size(); ++i)
            left[i] = right[i] = (float) (0.5 * std::sin (2.0 * M_PI * hz * (double) i / rate));
        s.addSamples (left.data(), right.data(), (int) left.size());

        const int column = s.getNumColumns() / 2;
        const int row = loudestRow (s, column);
        // Rows are about a thirtieth of an octave apart; allow one either way.
        const double rowRatio = std::pow (rate / 2.0 / Spectrogram::lowestHz, 1.0 / Spectrogram::numRows);
        EXPECT_NEAR (std::log (s.getRowFrequency (row) / hz), 0.0, 1.01 * std::log (rowRatio));
        EXPECT_NEAR (s.getLevelDb (column, row), -6.02, 1.5); // 0.5 is -6 dB; Hann scalloping costs at most 1.4 dB
    }
}

TEST (Spectrogram, TimeRunsLeftToRight)
{
    // A sweep from 200 Hz to 5 kHz: the loudest row climbs column by column.
    constexpr double rate = 32000.0, seconds = 2.0;
    Spectrogram s (rate);
    std::vector<float> left ((size_t) (rate * seconds)), right;
    double phase = 0.0;
    for (size_t i = 0; i < left.size(); ++i)
    {
        const double hz = 200.0 * std::pow (25.0, (double) i / (double) left.size());
        phase += 2.0 * M_PI * hz / rate;
        left[i] = (float) (0.5 * std::sin (phase));
    }
    right = left;
    s.addSamples (left.data(), right.data(), (int) left.size());

    const int columns = s.getNumColumns();
    ASSERT_GT (columns, 20);
    EXPECT_NEAR (columns * s.getSecondsPerColumn(), seconds, 2 * s.getSecondsPerColumn());
    for (int c = 3; c < columns - 3; ++c)
        EXPECT_GE (loudestRow (s, c), loudestRow (s, c - 1)) << "column " << c;
    EXPECT_GT (loudestRow (s, columns - 4), loudestRow (s, 3) + Spectrogram::numRows / 4);
}

TEST (Spectrogram, LongRendersMergeColumnsAndKeepTheirTimeSpan)
{
    constexpr double rate = 8000.0;
    Spectrogram s (rate);
    // Past the column limit twice over, with a click near the end to find again.
    const auto total = (size_t) (3 * Spectrogram::maxColumns * s.getFftSize() / 4);
    const auto click = total - (size_t) rate;
    std::vector<float> silence (4096, 0.0f), left, right;
    for (size_t done = 0; done < total; done += silence.size())
    {
        auto block = silence;
        if (click >= done && click < done + block.size())
            block[click - done] = 1.0f;
        s.addSamples (block.data(), block.data(), (int) block.size());
    }

    EXPECT_LE (s.getNumColumns(), Spectrogram::maxColumns);
    EXPECT_GE (s.getNumColumns(), Spectrogram::maxColumns / 2);
    EXPECT_NEAR (s.getNumColumns() * s.getSecondsPerColumn(), (double) total / rate, 2 * s.getSecondsPerColumn());

    // The click shows in the column that covers its time, and not far from it.
    const int expectedColumn = (int) ((double) click / rate / s.getSecondsPerColumn());
    int loudestColumn = 0;
    for (int c = 0; c < s.getNumColumns(); ++c)
        if (s.getLevelDb (c, 100) > s.getLevelDb (loudestColumn, 100))
            loudestColumn = c;
    EXPECT_NEAR (loudestColumn, expectedColumn, 1);
}

TEST (Spectrogram, PictureIsAReadablePng)
{
    test::ScratchDirectory dir;
    Spectrogram s (48000.0);
    const auto phrase = test::testPhrase();
    s.addSamples (phrase[0].data(), phrase[1].data(), (int) phrase[0].size());

    const auto path = dir / "s.png";
    ASSERT_EQ (writePng (s.createImage(), path), "");
    const auto image = juce::ImageFileFormat::loadFrom (juce::File (path));
    ASSERT_TRUE (image.isValid());
    EXPECT_GE (image.getWidth(), 640);
    EXPECT_EQ (image.getHeight(), Spectrogram::numRows + 36);

    EXPECT_NE (writePng (s.createImage(), dir / "missing/s.png"), "");
}

} // namespace
} // namespace corvane::render
