#pragma once

namespace corvane
{

// The eight factory programs, as the document compiled into the plug-in.
extern const char* const factoryProgramsDocument;

} // namespace corvane
