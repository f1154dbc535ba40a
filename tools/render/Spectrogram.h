#pragma once

// The output's spectrogram, built while the render runs: short-time spectra
// of the stereo output (Hann window, about 85 ms long, a new one every
// quarter window), reduced to rows spaced evenly in log frequency, so a tail
// that climbs or falls in pitch shows as rising or falling stripes.
//
// Memory stays bounded for any length: when the columns run out, pairs of
// neighbouring columns merge (keeping the louder value) and each column
// covers twice the time from then on.

#include "Fft.h"

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace corvane::render
{

class Spectrogram
{
public:
    static constexpr int numRows = 360;
    static constexpr int maxColumns = 4096;
    static constexpr float lowestHz = 20.0f;
    static constexpr float floorDb = -120.0f;

    explicit Spectrogram (double sampleRate);

    void addSamples (const float* left, const float* right, int numSamples);

    int getNumColumns() const noexcept;
    double getSecondsPerColumn() const noexcept;
    // Row 0 is the lowest frequency band.
    double getRowFrequency (int row) const noexcept;
    // Level of a band in dB relative to a full-scale sine, at least floorDb.
    float getLevelDb (int column, int row) const noexcept;

    int getFftSize() const noexcept { return fft.getSize(); }

    // The picture: time across, log frequency up, labelled axes and a level scale.
    juce::Image createImage() const;

private:
    void analyse();
    void startColumn();

    double sampleRate;
    Fft fft;
    int hopSamples;
    float powerScale;
    std::vector<float> window;
    std::vector<float> historyLeft, historyRight; // circular, fftSize long
    int historyPos = 0;
    int samplesSinceAnalysis = 0;
    std::vector<float> spectrumReal, spectrumImag;
    std::vector<float> binPower;

    // Each row either takes the loudest bin in [firstBin, lastBin] or, when
    // narrower than a bin, interpolates at `interpolateAt` (in bins).
    struct RowSource
    {
        int firstBin = 0, lastBin = -1;
        float interpolateAt = 0.0f;
    };
    std::vector<RowSource> rowSources;

    std::vector<float> columns; // power, numRows per column
    int analysesPerColumn = 1;
    int analysesInColumn = 0;
};

// Writes `image` as a PNG to `path`; an empty string on success, else the reason.
std::string writePng (const juce::Image& image, const std::string& path);

} // namespace corvane::render
