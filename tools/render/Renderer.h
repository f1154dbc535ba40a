#pragma once

// The renderer's work once its command line is read: listing presets and
// parameters, rendering a file, and the demo. Nothing here exits or touches
// global state; the outcome is an exit status and lines on the two streams.

#include "RenderOptions.h"

#include <atomic>
#include <ostream>

namespace corvane::render
{

struct Console
{
    std::ostream& out;    // listings, the summary line, the demo table
    std::ostream& err;    // errors, warnings, progress
    bool showProgress = false;                 // stderr is a terminal
    const std::atomic<bool>* cancel = nullptr; // set from a signal handler
};

// Exit statuses.
constexpr int exitDone = 0;
constexpr int exitFailedPartWay = 1; // reading or writing failed after the checks passed
constexpr int exitRefused = 2;
constexpr int exitInterrupted = 130;

// Needs the toolkit initialised (a message manager) on the calling thread,
// as a host would have it. Error messages are one line, without the
// program's name.
int runRenderer (const RenderOptions& options, Console& console);

} // namespace corvane::render
