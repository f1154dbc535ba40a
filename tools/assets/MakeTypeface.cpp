// Builds the editor's embedded typeface from an outline font file.
//
//   corvane_make_typeface [--scale S] <font file (.otf/.ttf)> <output file> [typeface name]
//
// The output holds one glyph record for every character code 1..255, in
// ascending order, serialised in JUCE's CustomTypeface stream layout and
// zlib-compressed: exactly what `CustomTypeface (InputStream&)` reads back.
// Outlines and advances are in units of the font height, as JUCE's FreeType
// loader produces them. No kerning pairs are written: the editor's texts are
// short labels, and a fixed advance per glyph keeps their widths predictable.
//
// --scale draws every outline and advance at S times its size about the
// glyph origin, on the same baseline and with the same ascent, so a face
// that fills its line height more than usual can be brought to the size the
// editor's text boxes were laid out for. S = 1 keeps the font's own metrics.

#include <juce_graphics/juce_graphics.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <iostream>

namespace
{
constexpr juce::juce_wchar firstCode = 1;
constexpr juce::juce_wchar lastCode = 255;

// Substituted for any character the typeface has no record for.
constexpr juce::juce_wchar defaultCharacter = ' ';

using CodeSet = std::array<bool, lastCode + 1>;

// C0 controls, DEL and C1 controls: no text font draws these, so they get an
// empty outline and no advance. Every other code must come from the font.
bool isControlCode (juce::juce_wchar c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

// JUCE's FreeType loader hands back the font's .notdef glyph for a code the
// font does not map, so the character map is asked directly which codes are
// really there.
bool findMappedCodes (const juce::MemoryBlock& fontData, CodeSet& mapped)
{
    FT_Library library = nullptr;

    if (FT_Init_FreeType (&library) != 0)
        return false;

    FT_Face face = nullptr;
    const auto opened = FT_New_Memory_Face (library,
                                            static_cast<const FT_Byte*> (fontData.getData()),
                                            static_cast<FT_Long> (fontData.getSize()), 0, &face) == 0;

    if (opened)
    {
        mapped.fill (false);

        for (auto c = firstCode; c <= lastCode; ++c)
            mapped[(size_t) c] = FT_Get_Char_Index (face, (FT_ULong) c) != 0;

        FT_Done_Face (face);
    }

    FT_Done_FreeType (library);
    return opened;
}

int fail (const juce::String& message)
{
    std::cerr << "corvane_make_typeface: " << message << std::endl;
    return 1;
}

int run (int argc, char* argv[])
{
    juce::StringArray args;

    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    auto glyphScale = 1.0f;

    if (args[0] == "--scale")
    {
        glyphScale = args[1].getFloatValue();
        args.removeRange (0, 2);

        if (! (glyphScale > 0.0f && glyphScale <= 2.0f))
            return fail ("--scale wants a factor in (0, 2]");
    }

    if (args.size() < 2 || args.size() > 3)
        return fail ("usage: corvane_make_typeface [--scale S] <font file> <output file> [typeface name]");

    const auto fontFile = juce::File::getCurrentWorkingDirectory().getChildFile (args[0]);
    const auto outputFile = juce::File::getCurrentWorkingDirectory().getChildFile (args[1]);

    juce::MemoryBlock fontData;

    if (! fontFile.loadFileAsData (fontData) || fontData.isEmpty())
        return fail ("cannot read " + fontFile.getFullPathName());

    CodeSet mapped {};

    if (! findMappedCodes (fontData, mapped))
        return fail (fontFile.getFullPathName() + " is not a font FreeType can open");

    auto source = juce::Typeface::createSystemTypefaceFor (fontData.getData(), fontData.getSize());

    if (source == nullptr || source->getName().isEmpty())
        return fail (fontFile.getFullPathName() + " is not a font FreeType can open");

    const auto name = args.size() == 3 ? args[2] : source->getName();

    juce::CustomTypeface typeface;
    typeface.setCharacteristics (name, source->getAscent(), false, false, defaultCharacter);

    for (auto c = firstCode; c <= lastCode; ++c)
    {
        if (isControlCode (c))
        {
            typeface.addGlyph (c, juce::Path(), 0.0f);
            continue;
        }

        if (! mapped[(size_t) c])
            return fail ("the font has no glyph for character code " + juce::String ((int) c));

        juce::Array<int> glyphs;
        juce::Array<float> offsets;
        source->getGlyphPositions (juce::String::charToString (c), glyphs, offsets);

        if (glyphs.size() != 1 || offsets.size() != 2)
            return fail ("no glyph position for character code " + juce::String ((int) c));

        juce::Path outline;
        source->getOutlineForGlyph (glyphs.getFirst(), outline);

        if (glyphScale != 1.0f)
            outline.applyTransform (juce::AffineTransform::scale (glyphScale));

        typeface.addGlyph (c, outline, offsets[1] * glyphScale);
    }

    juce::MemoryOutputStream compressed;
    typeface.writeToStream (compressed);   // zlib stream, default level: starts 0x78 0x9c

    if (! outputFile.getParentDirectory().createDirectory()
        || ! outputFile.replaceWithData (compressed.getData(), compressed.getDataSize()))
        return fail ("cannot write " + outputFile.getFullPathName());

    juce::MemoryInputStream packed (compressed.getData(), compressed.getDataSize(), false);
    juce::GZIPDecompressorInputStream unpacked (packed);
    juce::MemoryOutputStream inflated;
    inflated.writeFromInputStream (unpacked, -1);

    std::cout << "typeface \"" << name << "\" from " << fontFile.getFileName()
              << ", ascent " << source->getAscent() << ", outlines at " << glyphScale << " of their size"
              << ", glyphs " << (int) firstCode << ".." << (int) lastCode << "\n"
              << "advances (font heights): space " << typeface.getStringWidth (" ")
              << ", a " << typeface.getStringWidth ("a")
              << ", m " << typeface.getStringWidth ("m")
              << ", A " << typeface.getStringWidth ("A")
              << ", W " << typeface.getStringWidth ("W") << "\n"
              << "wrote " << outputFile.getFullPathName() << ": " << compressed.getDataSize()
              << " bytes, inflating to " << inflated.getDataSize() << " bytes" << std::endl;

    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    const auto result = run (argc, argv);

    // The FreeType face list is a JUCE singleton; free it before exit so a
    // debug build's leak detector stays quiet.
    juce::DeletedAtShutdown::deleteAll();
    return result;
}
