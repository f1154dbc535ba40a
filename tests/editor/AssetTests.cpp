// Reads the editor's two embedded assets back from the compiled-in byte
// arrays: the background picture through JUCE's PNG decoder, and the typeface
// stream both through an independent parser of the serialised layout and
// through JUCE's CustomTypeface reader, the way the look and feel loads it.

#include "CorvaneAssets.h"

#include <juce_graphics/juce_graphics.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{
//==============================================================================
// Background picture

constexpr int backgroundWidth = 694;
constexpr int backgroundHeight = 349;

// The title lettering lies in rows 22..54; everything else is plain gradient.
constexpr int titleFirstRow = 22;
constexpr int titleLastRow = 54;

juce::Image decodeBackground()
{
    // ImageCache::getFromMemory, which the editor uses, decodes through this.
    return juce::ImageFileFormat::loadFrom (CorvaneAssets::background_png,
                                            (size_t) CorvaneAssets::background_pngSize);
}

int channelDistance (juce::Colour a, juce::Colour b)
{
    return std::max ({ std::abs ((int) a.getRed() - (int) b.getRed()),
                       std::abs ((int) a.getGreen() - (int) b.getGreen()),
                       std::abs ((int) a.getBlue() - (int) b.getBlue()) });
}

std::string hex (juce::Colour c)
{
    return c.toDisplayString (false).toLowerCase().toStdString();
}

TEST (BackgroundImage, IsAPngThatJucesDecoderReadsAs694x349OpaquePixels)
{
    juce::PNGImageFormat png;
    juce::MemoryInputStream header (CorvaneAssets::background_png,
                                    (size_t) CorvaneAssets::background_pngSize, false);
    ASSERT_TRUE (png.canUnderstand (header));

    const auto image = decodeBackground();
    ASSERT_TRUE (image.isValid());
    ASSERT_EQ (image.getWidth(), backgroundWidth);
    ASSERT_EQ (image.getHeight(), backgroundHeight);

    int translucent = 0;

    for (int y = 0; y < backgroundHeight; ++y)
        for (int x = 0; x < backgroundWidth; ++x)
            if (image.getPixelAt (x, y).getAlpha() != 255)
                ++translucent;

    EXPECT_EQ (translucent, 0);
}

TEST (BackgroundImage, GradientRowsHaveTheTabledColoursBesideTheLettering)
{
    struct Stop { int row; juce::uint32 rgb; };
    const Stop stops[] = {
        { 0,   0xffffff }, { 50,  0xf2f2f3 }, { 100, 0xe5e6e8 },
        { 150, 0xd8d9dd }, { 200, 0xcbcdd1 }, { 250, 0xbec0c5 },
        { 274, 0xb8bac0 }, { 300, 0xb1b4ba }, { 348, 0xa4a7af },
        // Where the editor writes its white hint and version texts.
        { 205, 0xcaccd0 }, { 265, 0xbabcc2 },
    };

    const auto image = decodeBackground();
    ASSERT_EQ (image.getHeight(), backgroundHeight);

    // Columns left of, between and right of the two words.
    for (const int column : { 0, 10, 353, 680, backgroundWidth - 1 })
        for (const auto& stop : stops)
        {
            const auto expected = juce::Colour (0xff000000 | stop.rgb);
            const auto actual = image.getPixelAt (column, stop.row);
            EXPECT_LE (channelDistance (actual, expected), 1)
                << "row " << stop.row << " column " << column << ": " << hex (actual)
                << ", expected " << hex (expected);
        }
}

TEST (BackgroundImage, RowsAreSingleColoursThatDarkenDownwardsOutsideTheTitleBand)
{
    const auto image = decodeBackground();
    ASSERT_EQ (image.getHeight(), backgroundHeight);

    for (int y = 0; y < backgroundHeight; ++y)
    {
        const auto rowColour = image.getPixelAt (0, y);

        if (y > 0)
        {
            const auto above = image.getPixelAt (0, y - 1);
            EXPECT_TRUE (rowColour.getRed() <= above.getRed() && rowColour.getGreen() <= above.getGreen()
                         && rowColour.getBlue() <= above.getBlue())
                << "row " << y << " " << hex (rowColour) << " is lighter than the row above " << hex (above);
        }

        if (y >= titleFirstRow && y <= titleLastRow)
            continue;

        int offColour = 0;

        for (int x = 0; x < backgroundWidth; ++x)
            if (image.getPixelAt (x, y) != rowColour)
                ++offColour;

        EXPECT_EQ (offColour, 0) << "row " << y;
    }
}

TEST (BackgroundImage, TitleWordsSitInTheirColumnsInTheirColours)
{
    const auto image = decodeBackground();
    ASSERT_EQ (image.getWidth(), backgroundWidth);

    // Ink: any pixel that differs from its row's gradient colour.
    struct Word
    {
        const char* name;
        int firstColumnSearched, lastColumnSearched;
        int expectedLeft, expectedRight, leftTolerance, rightTolerance;
        juce::Colour colour;
    };

    const Word words[] = {
        { "maker",   0,   353,                 19,  338, 0, 3, juce::Colour (0xffa3a6ac) },
        { "product", 354, backgroundWidth - 1, 369, 668, 3, 0, juce::Colour (0xff3d3f44) },
    };

    for (const auto& word : words)
    {
        int left = backgroundWidth, right = -1, top = backgroundHeight, bottom = -1;
        int fullyInked = 0;

        for (int y = 0; y < backgroundHeight; ++y)
        {
            const auto rowColour = image.getPixelAt (0, y);

            for (int x = word.firstColumnSearched; x <= word.lastColumnSearched; ++x)
            {
                const auto pixel = image.getPixelAt (x, y);

                if (pixel == rowColour)
                    continue;

                left = std::min (left, x);
                right = std::max (right, x);
                top = std::min (top, y);
                bottom = std::max (bottom, y);

                if (channelDistance (pixel, word.colour) <= 1)
                    ++fullyInked;
            }
        }

        SCOPED_TRACE (word.name);
        ASSERT_GE (right, 0) << "no lettering found";
        EXPECT_NEAR (left, word.expectedLeft, word.leftTolerance);
        EXPECT_NEAR (right, word.expectedRight, word.rightTolerance);
        EXPECT_GE (top, titleFirstRow);
        EXPECT_LE (bottom, titleLastRow);
        // Stems are several pixels wide, so their inside is the pure colour.
        EXPECT_GT (fullyInked, 100);
    }
}

//==============================================================================
// Typeface stream

constexpr int firstCode = 1;
constexpr int lastCode = 255;

bool isControlCode (int c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

// Little-endian reader over the inflated stream that remembers the first
// failure instead of throwing, so the test can report where parsing broke.
class StreamReader
{
public:
    explicit StreamReader (const juce::MemoryBlock& block)
        : data (static_cast<const std::uint8_t*> (block.getData())), size (block.getSize()) {}

    bool failed() const { return ! error.empty(); }
    const std::string& failure() const { return error; }
    size_t position() const { return pos; }
    size_t remaining() const { return size - pos; }

    void fail (const std::string& why)
    {
        if (error.empty())
            error = why + " at byte " + std::to_string (pos);
    }

    std::uint8_t byte()
    {
        if (! need (1))
            return 0;

        return data[pos++];
    }

    int uint16()
    {
        if (! need (2))
            return 0;

        const auto v = data[pos] | (data[pos + 1] << 8);
        pos += 2;
        return v;
    }

    std::int32_t int32()
    {
        if (! need (4))
            return 0;

        const auto v = (std::uint32_t) data[pos] | ((std::uint32_t) data[pos + 1] << 8)
                     | ((std::uint32_t) data[pos + 2] << 16) | ((std::uint32_t) data[pos + 3] << 24);
        pos += 4;
        return (std::int32_t) v;
    }

    float float32()
    {
        const auto bits = (std::uint32_t) int32();
        float v;
        std::memcpy (&v, &bits, sizeof v);
        return v;
    }

    std::string zeroTerminatedText()
    {
        std::string text;

        for (;;)
        {
            const auto c = byte();

            if (failed() || c == 0)
                return text;

            text.push_back ((char) c);
        }
    }

private:
    bool need (size_t n)
    {
        if (failed())
            return false;

        if (size - pos < n)
        {
            fail ("stream ends early");
            return false;
        }

        return true;
    }

    const std::uint8_t* data;
    size_t size;
    size_t pos = 0;
    std::string error;
};

struct GlyphRecord
{
    int code = 0;
    float advance = 0.0f;
    bool nonZeroWinding = true;
    int subPaths = 0;
    // Extent of every coordinate in the record, control points included,
    // which is what juce::Path::getBounds() reports too.
    float left = 0, top = 0, right = 0, bottom = 0;
};

struct ParsedTypeface
{
    std::string name;
    int bold = -1, italic = -1;
    float ascent = 0.0f;
    int defaultCharacter = -1;
    int glyphCount = -1;
    std::vector<GlyphRecord> glyphs;
    int kerningPairs = -1;
    size_t bytesLeftOver = 0;
};

// A path record: winding byte, then elements until 'e'. Every sub-path must
// start with a move and end with a close, and coordinates must be finite and
// within a couple of font heights of the glyph origin.
void parsePath (StreamReader& in, GlyphRecord& glyph)
{
    const auto winding = in.byte();

    if (winding != 'n' && winding != 'z')
        return in.fail ("bad winding byte");

    glyph.nonZeroWinding = winding == 'n';

    auto open = false;
    auto any = false;

    auto point = [&]
    {
        const auto x = in.float32();
        const auto y = in.float32();

        if (! std::isfinite (x) || ! std::isfinite (y) || std::abs (x) > 2.0f || std::abs (y) > 2.0f)
            return in.fail ("implausible coordinate");

        glyph.left = any ? std::min (glyph.left, x) : x;
        glyph.right = any ? std::max (glyph.right, x) : x;
        glyph.top = any ? std::min (glyph.top, y) : y;
        glyph.bottom = any ? std::max (glyph.bottom, y) : y;
        any = true;
    };

    for (;;)
    {
        const auto element = in.byte();

        if (in.failed())
            return;

        switch (element)
        {
            case 'm':
                if (open)
                    return in.fail ("sub-path left open before a move");
                point();
                open = true;
                ++glyph.subPaths;
                break;

            case 'l': case 'q': case 'b':
            {
                if (! open)
                    return in.fail ("curve or line outside a sub-path");
                const auto points = element == 'l' ? 1 : element == 'q' ? 2 : 3;
                for (int i = 0; i < points; ++i)
                    point();
                break;
            }

            case 'c':
                if (! open)
                    return in.fail ("close without a sub-path");
                open = false;
                break;

            case 'e':
                if (open)
                    return in.fail ("path ends inside a sub-path");
                return;

            default:
                return in.fail ("unknown path element '" + std::string (1, (char) element) + "'");
        }
    }
}

juce::MemoryBlock inflateTypeface()
{
    juce::MemoryInputStream packed (CorvaneAssets::typeface_bin,
                                    (size_t) CorvaneAssets::typeface_binSize, false);
    juce::GZIPDecompressorInputStream unpacked (packed);   // zlib format by default
    juce::MemoryOutputStream inflated;
    inflated.writeFromInputStream (unpacked, -1);
    return inflated.getMemoryBlock();
}

ParsedTypeface parseTypeface (const juce::MemoryBlock& inflated, std::string& error)
{
    StreamReader in (inflated);
    ParsedTypeface parsed;

    parsed.name = in.zeroTerminatedText();
    parsed.bold = in.byte();
    parsed.italic = in.byte();
    parsed.ascent = in.float32();
    parsed.defaultCharacter = in.uint16();
    parsed.glyphCount = in.int32();

    for (int i = 0; i < parsed.glyphCount && ! in.failed(); ++i)
    {
        GlyphRecord glyph;
        glyph.code = in.uint16();
        glyph.advance = in.float32();
        parsePath (in, glyph);
        parsed.glyphs.push_back (glyph);
    }

    parsed.kerningPairs = in.int32();

    for (int i = 0; i < parsed.kerningPairs && ! in.failed(); ++i)
    {
        in.uint16();
        in.uint16();
        in.float32();
    }

    parsed.bytesLeftOver = in.remaining();
    error = in.failure();
    return parsed;
}

const GlyphRecord* findGlyph (const ParsedTypeface& parsed, int code)
{
    for (const auto& glyph : parsed.glyphs)
        if (glyph.code == code)
            return &glyph;

    return nullptr;
}

TEST (TypefaceStream, IsZlibAndItsInflatedLayoutIsConsumedExactly)
{
    ASSERT_GE (CorvaneAssets::typeface_binSize, 2);
    const auto* bytes = reinterpret_cast<const unsigned char*> (CorvaneAssets::typeface_bin);
    EXPECT_EQ (bytes[0], 0x78);
    EXPECT_EQ (bytes[1], 0x9c);

    const auto inflated = inflateTypeface();
    ASSERT_GT (inflated.getSize(), 1000u);

    std::string error;
    const auto parsed = parseTypeface (inflated, error);
    ASSERT_EQ (error, "");

    EXPECT_EQ (parsed.name, "League Spartan");
    EXPECT_EQ (parsed.bold, 0);
    EXPECT_EQ (parsed.italic, 0);
    EXPECT_GT (parsed.ascent, 0.5f);
    EXPECT_LT (parsed.ascent, 1.0f);
    EXPECT_EQ (parsed.defaultCharacter, ' ');
    ASSERT_EQ (parsed.glyphCount, lastCode - firstCode + 1);
    ASSERT_EQ ((int) parsed.glyphs.size(), parsed.glyphCount);

    for (int i = 0; i < parsed.glyphCount; ++i)
        EXPECT_EQ (parsed.glyphs[(size_t) i].code, firstCode + i) << "record " << i;

    EXPECT_EQ (parsed.kerningPairs, 0);
    EXPECT_EQ (parsed.bytesLeftOver, 0u);
}

TEST (TypefaceStream, PrintingCodesHaveOutlinesAndControlCodesDrawNothing)
{
    std::string error;
    const auto parsed = parseTypeface (inflateTypeface(), error);
    ASSERT_EQ (error, "");
    ASSERT_EQ ((int) parsed.glyphs.size(), lastCode - firstCode + 1);

    for (const auto& glyph : parsed.glyphs)
    {
        SCOPED_TRACE ("code " + std::to_string (glyph.code));
        EXPECT_TRUE (glyph.nonZeroWinding);
        EXPECT_TRUE (std::isfinite (glyph.advance));
        EXPECT_GE (glyph.advance, 0.0f);
        EXPECT_LT (glyph.advance, 1.5f);

        const auto blank = glyph.code == ' ' || glyph.code == 0xa0;   // space, no-break space

        if (isControlCode (glyph.code))
        {
            EXPECT_EQ (glyph.subPaths, 0);
            EXPECT_EQ (glyph.advance, 0.0f);
        }
        else if (blank)
        {
            EXPECT_EQ (glyph.subPaths, 0);
            EXPECT_GT (glyph.advance, 0.1f);
        }
        else if (glyph.code != 0xad)   // soft hyphen: drawn or not, either is fine
        {
            EXPECT_GT (glyph.subPaths, 0);
            EXPECT_GT (glyph.advance, 0.0f);
        }
    }
}

TEST (TypefaceStream, OutlinesSitOnTheBaselineWithYGrowingDownwards)
{
    std::string error;
    const auto parsed = parseTypeface (inflateTypeface(), error);
    ASSERT_EQ (error, "");

    const auto* capitalA = findGlyph (parsed, 'A');
    const auto* x = findGlyph (parsed, 'x');
    const auto* k = findGlyph (parsed, 'k');
    const auto* g = findGlyph (parsed, 'g');
    ASSERT_TRUE (capitalA != nullptr && x != nullptr && k != nullptr && g != nullptr);

    // A stands on the baseline and rises above it (negative y).
    EXPECT_NEAR (capitalA->bottom, 0.0f, 0.01f);
    EXPECT_LT (capitalA->top, -0.4f);
    EXPECT_GT (capitalA->top, -parsed.ascent - 0.01f);
    // An ascender reaches higher than the x-height; g descends below the baseline.
    EXPECT_LT (k->top, x->top - 0.1f);
    EXPECT_GT (g->bottom, 0.1f);
    EXPECT_LT (g->bottom, 1.0f - parsed.ascent + 0.01f);
}

TEST (TypefaceStream, JuceReaderLoadsItWithTheParsedMetrics)
{
    std::string error;
    const auto parsed = parseTypeface (inflateTypeface(), error);
    ASSERT_EQ (error, "");

    // As the look and feel does it: the reader inflates the zlib stream itself.
    juce::MemoryInputStream stream (CorvaneAssets::typeface_bin,
                                    (size_t) CorvaneAssets::typeface_binSize, false);
    juce::Typeface::Ptr typeface (new juce::CustomTypeface (stream));

    EXPECT_EQ (typeface->getName().toStdString(), parsed.name);
    EXPECT_EQ (typeface->getAscent(), parsed.ascent);

    for (const auto& glyph : parsed.glyphs)
        EXPECT_EQ (typeface->getStringWidth (juce::String::charToString ((juce::juce_wchar) glyph.code)),
                   glyph.advance)
            << "code " << glyph.code;

    const auto width = [&] (const char* text) { return typeface->getStringWidth (text); };
    EXPECT_GT (width (" "), 0.0f);
    EXPECT_GT (width ("i"), 0.0f);
    EXPECT_GT (width ("m"), width ("i"));
    EXPECT_GT (width ("W"), width ("I"));
    // No kerning: a pair is as wide as its two letters.
    EXPECT_EQ (width ("AV"), width ("A") + width ("V"));

    juce::Path outline;
    ASSERT_TRUE (typeface->getOutlineForGlyph ('A', outline));
    const auto bounds = outline.getBounds();
    const auto* capitalA = findGlyph (parsed, 'A');
    ASSERT_NE (capitalA, nullptr);
    EXPECT_FLOAT_EQ (bounds.getX(), capitalA->left);
    EXPECT_FLOAT_EQ (bounds.getRight(), capitalA->right);
    EXPECT_FLOAT_EQ (bounds.getY(), capitalA->top);
    EXPECT_FLOAT_EQ (bounds.getBottom(), capitalA->bottom);

    // Text layout through a Font at the editor's height uses these glyphs.
    juce::Font font (typeface);
    font.setHeight (18.0f);
    EXPECT_NEAR (font.getStringWidthFloat ("mix"), 18.0f * width ("mix"), 0.01f);
}
} // namespace
