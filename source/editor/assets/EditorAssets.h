#pragma once

// The editor's two embedded assets, read in place from the program image.
// Both are made by tools/assets and compiled in by the corvane_assets target.
namespace corvane
{

// The background picture: a 694 × 349 opaque PNG, a white-to-blue-grey
// vertical gradient with the title lettering in rows 22..54.
extern const char* const& backgroundImageData;
extern const int backgroundImageDataSize;

// The typeface of every text: a zlib stream holding a serialised
// juce::CustomTypeface with glyphs for the character codes 1..255.
extern const char* const& typefaceData;
extern const int typefaceDataSize;

} // namespace corvane
