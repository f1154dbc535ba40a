#pragma once

namespace corvane
{
// The plug-in's version text, "1.0.3", from the project's version in CMake.
extern const char* const versionString;
} // namespace corvane
