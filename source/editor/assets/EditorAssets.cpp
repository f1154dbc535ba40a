#include "editor/assets/EditorAssets.h"

#include "CorvaneAssets.h"

namespace corvane
{

// References to the generated pointers rather than copies of them: a
// reference binds at compile time, so these names are valid even while other
// translation units are still being initialised.
const char* const& backgroundImageData = CorvaneAssets::background_png;
const int backgroundImageDataSize = CorvaneAssets::background_pngSize;

const char* const& typefaceData = CorvaneAssets::typeface_bin;
const int typefaceDataSize = CorvaneAssets::typeface_binSize;

} // namespace corvane
