// corvane-render: the plug-in's own offline host. See RenderOptions.cpp
// (usageText) for what it does.
#include "RenderOptions.h"
#include "Renderer.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <csignal>
#include <iostream>
#include <unistd.h>

namespace
{
std::atomic<bool> interrupted { false };

extern "C" void onInterrupt (int) { interrupted = true; }

void catchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset (&action.sa_mask);
    sigaction (SIGINT, &action, nullptr);
    sigaction (SIGTERM, &action, nullptr);
    sigaction (SIGHUP, &action, nullptr);
}
} // namespace

int main (int argc, char** argv)
{
    using namespace corvane::render;

    const auto parsed = parseRenderOptions (std::vector<std::string> (argv + 1, argv + argc));
    if (! parsed.options)
    {
        std::cerr << "corvane-render: " << parsed.error << "\n";
        return exitRefused;
    }

    // The processor expects a message thread, as in any host; this one is it.
    juce::ScopedJuceInitialiser_GUI toolkit;
    catchInterrupts();

    Console console { std::cout, std::cerr, ::isatty (STDERR_FILENO) == 1, &interrupted };
    const int status = runRenderer (*parsed.options, console);
    std::cout.flush();
    return status;
}
