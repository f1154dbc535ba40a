#include "Spectrogram.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace corvane::render
{
namespace
{
int fftOrderFor (double sampleRate)
{
    // About 85 ms: fine enough in frequency to separate the semitone steps
    // of a shifted tail in the low mids, coarse enough in time to show it.
    int order = 8;
    while ((1 << order) < sampleRate / 12.0 && order < 16)
        ++order;
    return order;
}

//==============================================================================
// A 5 x 7 pixel font for the axis labels: only the characters they use, so
// the picture needs no installed fonts.
struct Glyph
{
    char character;
    std::array<const char*, 7> rows;
};

constexpr std::array<Glyph, 19> glyphs { {
    { '0', { " ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### " } },
    { '1', { "  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### " } },
    { '2', { " ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####" } },
    { '3', { "#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### " } },
    { '4', { "   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # " } },
    { '5', { "#####", "#    ", "#### ", "    #", "    #", "#   #", " ### " } },
    { '6', { "  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### " } },
    { '7', { "#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   " } },
    { '8', { " ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### " } },
    { '9', { " ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  " } },
    { '.', { "     ", "     ", "     ", "     ", "     ", " ##  ", " ##  " } },
    { '-', { "     ", "     ", "     ", " ### ", "     ", "     ", "     " } },
    { 'k', { "#    ", "#    ", "#  # ", "# #  ", "##   ", "# #  ", "#  # " } },
    { 's', { "     ", "     ", " ####", "#    ", " ### ", "    #", "#### " } },
    { 'H', { "#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #" } },
    { 'z', { "     ", "     ", "#####", "   # ", "  #  ", " #   ", "#####" } },
    { 'd', { "    #", "    #", " ## #", "#  ##", "#   #", "#   #", " ####" } },
    { 'B', { "#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### " } },
    { ' ', { "     ", "     ", "     ", "     ", "     ", "     ", "     " } },
} };

constexpr int glyphWidth = 5, glyphHeight = 7, glyphAdvance = 6;

int textWidth (const std::string& text) { return (int) text.size() * glyphAdvance - 1; }

void drawText (juce::Image::BitmapData& pixels, int x, int y, const std::string& text, juce::Colour colour)
{
    for (const char c : text)
    {
        const auto glyph = std::find_if (glyphs.begin(), glyphs.end(), [c] (const Glyph& g) { return g.character == c; });
        if (glyph != glyphs.end())
            for (int row = 0; row < glyphHeight; ++row)
                for (int col = 0; col < glyphWidth; ++col)
                    if (glyph->rows[(size_t) row][col] == '#' && x + col >= 0 && x + col < pixels.width && y + row >= 0 && y + row < pixels.height)
                        pixels.setPixelColour (x + col, y + row, colour);
        x += glyphAdvance;
    }
}

//==============================================================================
// Level to colour: black through violet, red and orange to pale yellow.
juce::Colour levelColour (float level01)
{
    struct Stop
    {
        float at;
        juce::uint8 r, g, b;
    };
    static constexpr std::array<Stop, 6> stops { {
        { 0.00f, 0, 0, 4 },
        { 0.25f, 50, 12, 100 },
        { 0.50f, 150, 40, 110 },
        { 0.70f, 230, 80, 60 },
        { 0.87f, 252, 170, 40 },
        { 1.00f, 252, 252, 190 },
    } };

    level01 = juce::jlimit (0.0f, 1.0f, level01);
    size_t i = 1;
    while (i < stops.size() - 1 && level01 > stops[i].at)
        ++i;
    const auto& a = stops[i - 1];
    const auto& b = stops[i];
    const float t = (level01 - a.at) / (b.at - a.at);
    const auto mix = [t] (juce::uint8 x, juce::uint8 y) { return (juce::uint8) std::lround (x + (y - x) * t); };
    return juce::Colour (mix (a.r, b.r), mix (a.g, b.g), mix (a.b, b.b));
}

std::string frequencyLabel (double hz)
{
    if (hz >= 1000.0)
        return juce::String (hz / 1000.0).toStdString() + "k";
    return juce::String ((int) hz).toStdString();
}

std::string secondsLabel (double seconds)
{
    // Steps are 0.1 s or whole multiples of the ladder below: one decimal at most.
    const auto tenths = std::lround (seconds * 10.0);
    if (tenths % 10 == 0)
        return std::to_string (tenths / 10) + "s";
    return std::to_string (tenths / 10) + "." + std::to_string (tenths % 10) + "s";
}
} // namespace

//==============================================================================
Spectrogram::Spectrogram (double rate)
    : sampleRate (rate), fft (fftOrderFor (rate)), hopSamples (fft.getSize() / 4)
{
    const int size = fft.getSize();
    window.resize ((size_t) size);
    double windowSum = 0.0;
    for (int n = 0; n < size; ++n)
    {
        window[(size_t) n] = (float) (0.5 - 0.5 * std::cos (2.0 * M_PI * n / size));
        windowSum += window[(size_t) n];
    }
    // A full-scale sine then reads 0 dB in its bin.
    powerScale = (float) ((2.0 / windowSum) * (2.0 / windowSum));

    historyLeft.assign ((size_t) size, 0.0f);
    historyRight.assign ((size_t) size, 0.0f);
    // The first spectrum is centred on the first sample.
    samplesSinceAnalysis = hopSamples - size / 2;
    spectrumReal.resize ((size_t) size);
    spectrumImag.resize ((size_t) size);
    binPower.resize ((size_t) size / 2 + 1);

    const double binHz = sampleRate / size;
    const double highestHz = sampleRate / 2.0;
    const auto edge = [&] (double r) { return lowestHz * std::pow (highestHz / lowestHz, r / numRows); };
    rowSources.resize (numRows);
    for (int row = 0; row < numRows; ++row)
    {
        auto& source = rowSources[(size_t) row];
        source.firstBin = (int) std::ceil (edge (row) / binHz);
        source.lastBin = std::min ((int) std::floor (edge (row + 1) / binHz), size / 2);
        source.interpolateAt = (float) (getRowFrequency (row) / binHz);
    }
}

double Spectrogram::getRowFrequency (int row) const noexcept
{
    return lowestHz * std::pow (sampleRate / 2.0 / lowestHz, (row + 0.5) / numRows);
}

int Spectrogram::getNumColumns() const noexcept
{
    return (int) (columns.size() / numRows);
}

double Spectrogram::getSecondsPerColumn() const noexcept
{
    return hopSamples * analysesPerColumn / sampleRate;
}

float Spectrogram::getLevelDb (int column, int row) const noexcept
{
    const float power = columns[(size_t) column * numRows + (size_t) row];
    return std::max (floorDb, 10.0f * std::log10 (std::max (power, 1e-30f)));
}

void Spectrogram::addSamples (const float* left, const float* right, int numSamples)
{
    const int size = fft.getSize();
    for (int i = 0; i < numSamples; ++i)
    {
        historyLeft[(size_t) historyPos] = left[i];
        historyRight[(size_t) historyPos] = right[i];
        historyPos = (historyPos + 1) & (size - 1);
        if (++samplesSinceAnalysis == hopSamples)
        {
            samplesSinceAnalysis = 0;
            analyse();
        }
    }
}

void Spectrogram::startColumn()
{
    if (getNumColumns() == maxColumns)
    {
        // Merge neighbours: half the columns, each twice as long.
        for (int c = 0; c < maxColumns / 2; ++c)
            for (int row = 0; row < numRows; ++row)
                columns[(size_t) c * numRows + (size_t) row] = std::max (columns[(size_t) (2 * c) * numRows + (size_t) row],
                                                                         columns[(size_t) (2 * c + 1) * numRows + (size_t) row]);
        columns.resize ((size_t) (maxColumns / 2) * numRows);
        analysesPerColumn *= 2;
    }
    columns.resize (columns.size() + numRows, 0.0f);
    analysesInColumn = 0;
}

void Spectrogram::analyse()
{
    const int size = fft.getSize();
    // Both sides in one transform: left as the real part, right as the
    // imaginary part. Their spectra are L = (Z[k] + Z*[N-k]) / 2 and
    // R = (Z[k] - Z*[N-k]) / 2i, so |L|^2 + |R|^2 = (|Z[k]|^2 + |Z[N-k]|^2) / 2
    // without separating them. historyPos is the oldest sample.
    for (int n = 0; n < size; ++n)
    {
        const auto k = (size_t) ((historyPos + n) & (size - 1));
        spectrumReal[(size_t) n] = historyLeft[k] * window[(size_t) n];
        spectrumImag[(size_t) n] = historyRight[k] * window[(size_t) n];
    }
    fft.transform (spectrumReal.data(), spectrumImag.data());

    const auto power = [this] (size_t k) { return spectrumReal[k] * spectrumReal[k] + spectrumImag[k] * spectrumImag[k]; };
    for (size_t k = 0; k < binPower.size(); ++k)
        binPower[k] = 0.25f * (power (k) + power (((size_t) size - k) & ((size_t) size - 1))) * powerScale; // mean of the two sides

    if (columns.empty() || analysesInColumn == analysesPerColumn)
        startColumn();
    ++analysesInColumn;

    float* column = columns.data() + columns.size() - numRows;
    const int lastBin = (int) binPower.size() - 1;
    for (int row = 0; row < numRows; ++row)
    {
        const auto& source = rowSources[(size_t) row];
        float power = 0.0f;
        if (source.lastBin >= source.firstBin)
        {
            for (int k = source.firstBin; k <= source.lastBin; ++k)
                power = std::max (power, binPower[(size_t) k]);
        }
        else
        {
            // A parabola through the log power of the three nearest bins:
            // the window's main lobe is close to one, so a low tone shows at
            // its own frequency instead of at the nearest bin's.
            const int centre = juce::jlimit (1, lastBin - 1, (int) std::lround (source.interpolateAt));
            const float d = source.interpolateAt - (float) centre;
            const float below = std::log (binPower[(size_t) centre - 1] + 1e-30f);
            const float at = std::log (binPower[(size_t) centre] + 1e-30f);
            const float above = std::log (binPower[(size_t) centre + 1] + 1e-30f);
            power = std::exp (at + 0.5f * d * (above - below) + 0.5f * d * d * (above - 2.0f * at + below));
        }
        column[row] = std::max (column[row], power);
    }
}

//==============================================================================
juce::Image Spectrogram::createImage() const
{
    constexpr int leftMargin = 40, rightMargin = 70, topMargin = 12, bottomMargin = 24;
    constexpr float rangeDb = 110.0f; // the picture shows 0 down to -110 dB

    const int numColumns = std::max (1, getNumColumns());
    const int plotWidth = juce::jlimit (640, 1600, numColumns);
    const int plotHeight = numRows;
    const int width = leftMargin + plotWidth + rightMargin;
    const int height = topMargin + plotHeight + bottomMargin;

    juce::Image image (juce::Image::RGB, width, height, true, juce::SoftwareImageType());
    juce::Image::BitmapData pixels (image, juce::Image::BitmapData::writeOnly);

    const juce::Colour background (22, 22, 26), text (205, 205, 210), grid (255, 255, 255);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.setPixelColour (x, y, background);

    // The plot: each pixel column shows the loudest of the columns it covers.
    for (int x = 0; x < plotWidth; ++x)
    {
        const int first = (int) ((int64_t) x * numColumns / plotWidth);
        const int last = std::max (first, (int) ((int64_t) (x + 1) * numColumns / plotWidth) - 1);
        for (int row = 0; row < numRows; ++row)
        {
            float level = floorDb;
            for (int c = first; c <= last && c < getNumColumns(); ++c)
                level = std::max (level, getLevelDb (c, row));
            pixels.setPixelColour (leftMargin + x, topMargin + plotHeight - 1 - row, levelColour (1.0f + level / rangeDb));
        }
    }

    // Frequency axis: faint lines and labels at 1-2-5 steps.
    const double topHz = sampleRate / 2.0;
    const auto rowOf = [&] (double hz) { return std::log (hz / lowestHz) / std::log (topHz / lowestHz) * numRows; };
    for (double decade = 10.0; decade < topHz; decade *= 10.0)
        for (const double step : { 1.0, 2.0, 5.0 })
        {
            const double hz = decade * step;
            if (hz < lowestHz * 1.5 || hz > topHz)
                continue;
            const int y = topMargin + plotHeight - 1 - (int) std::lround (rowOf (hz));
            for (int x = 0; x < plotWidth; x += 2)
                pixels.setPixelColour (leftMargin + x, y, pixels.getPixelColour (leftMargin + x, y).interpolatedWith (grid, 0.3f));
            const auto label = frequencyLabel (hz);
            drawText (pixels, leftMargin - 5 - textWidth (label), y - 3, label, text);
        }
    drawText (pixels, 4, topMargin - 10 + 2, "Hz", text);

    // Time axis: ticks at a step that leaves room for the labels.
    const double totalSeconds = getNumColumns() * getSecondsPerColumn();
    const double pixelsPerSecond = plotWidth / std::max (totalSeconds, 1e-3);
    double step = 0.1;
    for (const double candidate : { 0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 30.0, 60.0, 120.0, 300.0, 600.0, 1800.0, 3600.0 })
    {
        step = candidate;
        if (candidate * pixelsPerSecond >= 60.0)
            break;
    }
    for (int i = 0; i * step <= totalSeconds; ++i)
    {
        const int x = leftMargin + (int) std::lround (i * step * pixelsPerSecond);
        if (x >= leftMargin + plotWidth)
            break;
        for (int y = topMargin + plotHeight; y < topMargin + plotHeight + 4; ++y)
            pixels.setPixelColour (x, y, text);
        const auto label = secondsLabel (i * step);
        drawText (pixels, juce::jmax (leftMargin, x - textWidth (label) / 2), topMargin + plotHeight + 8, label, text);
    }

    // Level scale beside the plot.
    const int barX = leftMargin + plotWidth + 12;
    for (int y = 0; y < plotHeight; ++y)
    {
        const auto colour = levelColour (1.0f - (float) y / (float) (plotHeight - 1));
        for (int x = barX; x < barX + 12; ++x)
            pixels.setPixelColour (x, topMargin + y, colour);
    }
    for (int db = 0; db >= -100; db -= 20)
    {
        const int y = topMargin + (int) std::lround (-db / rangeDb * (plotHeight - 1));
        drawText (pixels, barX + 16, y - 3, std::to_string (db), text);
    }
    drawText (pixels, barX + 16, topMargin + plotHeight + 8, "dB", text);

    return image;
}

std::string writePng (const juce::Image& image, const std::string& path)
{
    juce::FileOutputStream stream { juce::File (path) };
    if (! stream.openedOk())
        return stream.getStatus().getErrorMessage().toStdString();
    stream.setPosition (0);
    stream.truncate();
    juce::PNGImageFormat png;
    if (! png.writeImageToStream (image, stream))
        return "the PNG encoder failed";
    stream.flush();
    if (stream.getStatus().failed())
        return stream.getStatus().getErrorMessage().toStdString();
    return {};
}

} // namespace corvane::render
