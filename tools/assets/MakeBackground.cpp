// Paints the editor's background picture and writes it as a PNG.
//
//   corvane_make_background <typeface stream> <output .png>
//
// The picture is 694 x 349 opaque pixels: a vertical gradient with one colour
// per row, and the title lettering "tarnwick corvane" across the top. The
// lettering uses the embedded typeface itself (the output of
// corvane_make_typeface), so the title matches every other text of the editor.

#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <vector>

namespace
{
constexpr int imageWidth = 694;
constexpr int imageHeight = 349;

// Gradient stops: a row and its colour. Rows between two stops are linear
// blends, each channel rounded to the nearest level; the last stop is the
// bottom row.
struct GradientStop
{
    int row;
    juce::uint32 rgb;
};

constexpr GradientStop gradientStops[] = {
    { 0,   0xffffff },
    { 50,  0xf2f2f3 },
    { 100, 0xe5e6e8 },
    { 150, 0xd8d9dd },
    { 200, 0xcbcdd1 },
    { 250, 0xbec0c5 },
    { 274, 0xb8bac0 },
    { 300, 0xb1b4ba },
    { 348, 0xa4a7af },
};

// The title's ink fills rows 22..54: the tallest letter reaches the top edge
// of row 22 and the lowest point (the overshoot of the round letters below
// the baseline) the bottom edge of row 54.
constexpr float titleTopY = 22.0f;
constexpr float titleBottomY = 55.0f;

// Each word's ink runs from the left edge of its first column to the right
// edge of its last: the maker's name over columns 19..338, the product's name
// over 369..668. Each word's letter spacing is whatever fills its span.
struct TitleWord
{
    const char* text;
    juce::uint32 argb;
    float inkLeft;
    float inkRight;
};

constexpr TitleWord makerWord   { "tarnwick", 0xffa3a6ac, 19.0f, 339.0f };
constexpr TitleWord productWord { "corvane",  0xff3d3f44, 369.0f, 669.0f };

juce::Colour gradientColourForRow (int row)
{
    const auto* upper = std::begin (gradientStops);
    const auto* lower = upper + 1;

    while (lower + 1 != std::end (gradientStops) && row > lower->row)
    {
        ++upper;
        ++lower;
    }

    const auto t = (double) (row - upper->row) / (double) (lower->row - upper->row);

    auto blend = [t] (juce::uint32 a, juce::uint32 b, int shift)
    {
        const auto from = (double) ((a >> shift) & 0xff);
        const auto to = (double) ((b >> shift) & 0xff);
        return (juce::uint8) std::lround (from + (to - from) * t);
    };

    return juce::Colour (blend (upper->rgb, lower->rgb, 16),
                         blend (upper->rgb, lower->rgb, 8),
                         blend (upper->rgb, lower->rgb, 0));
}

struct Glyph
{
    juce::Path outline;            // font-height units, origin on the baseline
    juce::Rectangle<float> ink;    // the outline's extent, curves included
    float advance = 0.0f;          // font-height units
};

// Path::getBounds() also counts the curves' control points; the ink extent
// comes from the flattened outline. Glyph contours are closed, so every
// vertex turns up as the end of some segment.
juce::Rectangle<float> inkBounds (const juce::Path& outline)
{
    auto left = std::numeric_limits<float>::max();
    auto top = left;
    auto right = std::numeric_limits<float>::lowest();
    auto bottom = right;

    for (juce::PathFlatteningIterator it (outline, {}, 1.0e-4f); it.next();)
    {
        left = std::min (left, it.x2);
        right = std::max (right, it.x2);
        top = std::min (top, it.y2);
        bottom = std::max (bottom, it.y2);
    }

    return left <= right ? juce::Rectangle<float>::leftTopRightBottom (left, top, right, bottom)
                         : juce::Rectangle<float>();
}

Glyph loadGlyph (juce::Typeface& typeface, juce::juce_wchar c)
{
    juce::Array<int> glyphs;
    juce::Array<float> offsets;
    typeface.getGlyphPositions (juce::String::charToString (c), glyphs, offsets);

    Glyph glyph;

    if (glyphs.size() == 1 && offsets.size() == 2)
    {
        typeface.getOutlineForGlyph (glyphs.getFirst(), glyph.outline);
        glyph.ink = inkBounds (glyph.outline);
        glyph.advance = offsets[1];
    }

    return glyph;
}

std::vector<Glyph> loadWord (juce::Typeface& typeface, const char* text)
{
    std::vector<Glyph> word;

    for (auto* p = text; *p != 0; ++p)
        word.push_back (loadGlyph (typeface, (juce::juce_wchar) *p));

    return word;
}

// Width from the first glyph's ink to the last glyph's ink at this height,
// with no extra letter spacing.
float untrackedInkWidth (const std::vector<Glyph>& word, float fontHeight)
{
    auto penX = 0.0f;

    for (size_t i = 0; i + 1 < word.size(); ++i)
        penX += word[i].advance;

    return (penX + word.back().ink.getRight() - word.front().ink.getX()) * fontHeight;
}

// Extra space between neighbouring letters that makes the word's ink span
// exactly its target columns.
float letterSpacingToFill (const std::vector<Glyph>& word, float fontHeight, const TitleWord& target)
{
    const auto gaps = (float) word.size() - 1.0f;
    return (target.inkRight - target.inkLeft - untrackedInkWidth (word, fontHeight)) / gaps;
}

// Pen position for each glyph so the word's ink starts at inkLeft.
std::vector<float> layoutWord (const std::vector<Glyph>& word, float fontHeight,
                               float letterSpacing, float inkLeft)
{
    std::vector<float> penX;
    auto x = inkLeft - word.front().ink.getX() * fontHeight;

    for (const auto& glyph : word)
    {
        penX.push_back (x);
        x += glyph.advance * fontHeight + letterSpacing;
    }

    return penX;
}

void drawWord (juce::Graphics& g, const std::vector<Glyph>& word, const std::vector<float>& penX,
               float fontHeight, float baselineY, juce::Colour colour)
{
    g.setColour (colour);

    for (size_t i = 0; i < word.size(); ++i)
        g.fillPath (word[i].outline,
                    juce::AffineTransform::scale (fontHeight).translated (penX[i], baselineY));
}

int fail (const juce::String& message)
{
    std::cerr << "corvane_make_background: " << message << std::endl;
    return 1;
}

int run (int argc, char* argv[])
{
    if (argc != 3)
        return fail ("usage: corvane_make_background <typeface stream> <output .png>");

    const juce::File typefaceFile (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    const juce::File outputFile (juce::File::getCurrentWorkingDirectory().getChildFile (argv[2]));

    juce::MemoryBlock typefaceData;

    if (! typefaceFile.loadFileAsData (typefaceData) || typefaceData.isEmpty())
        return fail ("cannot read " + typefaceFile.getFullPathName());

    // Read the stream the way the editor's look and feel does.
    juce::MemoryInputStream typefaceStream (typefaceData, false);
    juce::Typeface::Ptr typeface (new juce::CustomTypeface (typefaceStream));

    const auto maker = loadWord (*typeface, makerWord.text);
    const auto product = loadWord (*typeface, productWord.text);

    // Font height and baseline: the title's ink fills the band exactly.
    auto inkTop = 0.0f;
    auto inkBottom = 0.0f;

    for (const auto* word : { &maker, &product })
        for (const auto& glyph : *word)
        {
            inkTop = std::min (inkTop, glyph.ink.getY());
            inkBottom = std::max (inkBottom, glyph.ink.getBottom());
        }

    if (inkBottom - inkTop <= 0.0f)
        return fail (typefaceFile.getFullPathName() + " has no outlines for the title letters");

    const auto fontHeight = (titleBottomY - titleTopY) / (inkBottom - inkTop);
    const auto baselineY = titleBottomY - inkBottom * fontHeight;

    const auto makerSpacing = letterSpacingToFill (maker, fontHeight, makerWord);
    const auto productSpacing = letterSpacingToFill (product, fontHeight, productWord);
    const auto makerPen = layoutWord (maker, fontHeight, makerSpacing, makerWord.inkLeft);
    const auto productPen = layoutWord (product, fontHeight, productSpacing, productWord.inkLeft);

    juce::Image image (juce::Image::RGB, imageWidth, imageHeight, false);

    {
        juce::Graphics g (image);

        for (int row = 0; row < imageHeight; ++row)
        {
            g.setColour (gradientColourForRow (row));
            g.fillRect (0, row, imageWidth, 1);
        }

        drawWord (g, maker, makerPen, fontHeight, baselineY, juce::Colour (makerWord.argb));
        drawWord (g, product, productPen, fontHeight, baselineY, juce::Colour (productWord.argb));
    }

    juce::MemoryOutputStream png;

    if (! juce::PNGImageFormat().writeImageToStream (image, png))
        return fail ("PNG encoding failed");

    if (! outputFile.getParentDirectory().createDirectory()
        || ! outputFile.replaceWithData (png.getData(), png.getDataSize()))
        return fail ("cannot write " + outputFile.getFullPathName());

    std::cout << "title font height " << fontHeight << " px, baseline " << baselineY << ", letter spacing "
              << makerSpacing << " px (" << makerWord.text << "), "
              << productSpacing << " px (" << productWord.text << ")\n"
              << "wrote " << outputFile.getFullPathName() << ": " << png.getDataSize() << " bytes" << std::endl;

    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    const auto result = run (argc, argv);
    juce::DeletedAtShutdown::deleteAll();
    return result;
}
