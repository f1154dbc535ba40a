#include "RenderOptions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace corvane::render
{
namespace
{
using Action = RenderOptions::Action;

// Every option: its name, whether it takes a value, and the actions it
// means something to (an option that would do nothing is refused, so a
// mistyped command line never silently ignores part of what was asked).
enum ActionMask : unsigned
{
    forRender = 1u << 0,
    forListParameters = 1u << 1,
    forDemo = 1u << 2,
    forListPresets = 1u << 3,
};

struct OptionSpec
{
    const char* name;
    bool takesValue;
    bool repeatable;
    unsigned actions;
};

constexpr std::array<OptionSpec, 14> optionTable { {
    { "--preset", true, false, forRender | forListParameters },
    { "--set", true, true, forRender | forListParameters | forDemo },
    { "--state", true, false, forRender | forListParameters },
    { "--save-state", true, false, forRender },
    { "--block", true, false, forRender | forDemo },
    { "--tail", true, false, forRender | forDemo },
    { "--seed", true, false, forRender | forDemo },
    { "--float", false, false, forRender | forDemo },
    { "--spectrogram", true, false, forRender },
    { "--list-presets", false, false, forListPresets },
    { "--list-parameters", false, false, forListParameters },
    { "--demo", true, false, forDemo },
    { "--help", false, false, 0 },
    { "-h", false, false, 0 },
} };

const OptionSpec* findOption (const std::string& name)
{
    for (const auto& known : optionTable)
        if (name == known.name)
            return &known;
    return nullptr;
}

unsigned maskOf (Action action)
{
    switch (action)
    {
        case Action::render: return forRender;
        case Action::listParameters: return forListParameters;
        case Action::demo: return forDemo;
        case Action::listPresets: return forListPresets;
        case Action::help: return 0;
    }
    return 0;
}

const char* commandOption (Action action)
{
    switch (action)
    {
        case Action::listPresets: return "--list-presets";
        case Action::listParameters: return "--list-parameters";
        case Action::demo: return "--demo";
        case Action::help: return "--help";
        case Action::render: break;
    }
    return "rendering";
}

char lowerAscii (char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char> (c - 'A' + 'a') : c;
}

bool equalsIgnoringCase (const std::string& a, const std::string& b)
{
    return a.size() == b.size()
           && std::equal (a.begin(), a.end(), b.begin(), [] (char x, char y) { return lowerAscii (x) == lowerAscii (y); });
}

bool endsWithIgnoringCase (const std::string& text, const std::string& suffix)
{
    return text.size() > suffix.size() && equalsIgnoringCase (text.substr (text.size() - suffix.size()), suffix);
}

// The whole text as a finite decimal number ("0.5", ".5", "1e-3", "+1");
// independent of the C locale.
std::optional<double> parseNumber (const std::string& text)
{
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
    {
        ++first;
        if (first != last && (*first == '+' || *first == '-'))
            return std::nullopt;
    }

    double value = 0.0;
    const auto [end, error] = std::from_chars (first, last, value, std::chars_format::general);
    if (error != std::errc() || end != last || ! std::isfinite (value))
        return std::nullopt;
    return value + 0.0; // -0 reads as 0
}

// Digits only, no sign, at most `maximum`.
std::optional<std::uint64_t> parseWholeNumber (const std::string& text, std::uint64_t maximum)
{
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars (text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size() || value > maximum)
        return std::nullopt;
    return value;
}

std::string inQuotes (const std::string& text)
{
    return "'" + text + "'";
}

ParseResult fail (std::string message)
{
    return { std::nullopt, std::move (message) };
}

// Reads one option's value into the options; an empty string means accepted.
std::string applyOption (RenderOptions& options, const std::string& name, const std::string& value)
{
    if (name == "--preset")
    {
        if (value.empty())
            return "--preset needs a preset number or name";
        options.preset = value;
    }
    else if (name == "--set")
    {
        const auto equals = value.find ('=');
        if (equals == std::string::npos || equals == 0)
            return "--set expects NAME=VALUE, got " + inQuotes (value);
        const auto parameter = value.substr (0, equals);
        const auto text = value.substr (equals + 1);
        const auto number = parseNumber (text);
        if (! number)
            return "--set " + parameter + ": " + inQuotes (text) + " is not a number";
        if (*number < 0.0 || *number > 1.0)
            return "--set " + parameter + ": " + text + " is outside 0..1 (values are normalised)";
        options.settings.push_back ({ parameter, static_cast<float> (*number) });
    }
    else if (name == "--block")
    {
        const auto size = parseWholeNumber (value, RenderOptions::maxBlockSize);
        if (! size || *size == 0)
            return "--block: " + inQuotes (value) + " is not a whole number from 1 to " + std::to_string (RenderOptions::maxBlockSize);
        options.blockSize = static_cast<int> (*size);
    }
    else if (name == "--tail")
    {
        const auto seconds = parseNumber (value);
        if (! seconds || *seconds < 0.0 || *seconds > RenderOptions::maxTailSeconds)
            return "--tail: " + inQuotes (value) + " is not a number of seconds from 0 to 600";
        options.tailSeconds = *seconds;
    }
    else if (name == "--seed")
    {
        const auto seed = parseWholeNumber (value, std::numeric_limits<std::uint32_t>::max());
        if (! seed)
            return "--seed: " + inQuotes (value) + " is not a whole number from 0 to 4294967295";
        options.seed = static_cast<std::uint32_t> (*seed);
    }
    else if (name == "--state" || name == "--save-state" || name == "--spectrogram" || name == "--demo")
    {
        if (value.empty())
            return name + " needs a " + (name == "--demo" ? "directory" : "file name");
        if (name == "--spectrogram" && ! endsWithIgnoringCase (value, ".png"))
            return "--spectrogram writes a PNG picture: give a file name ending in .png, not " + inQuotes (value);

        auto& target = name == "--state"        ? options.statePath
                       : name == "--save-state" ? options.saveStatePath
                       : name == "--demo"       ? options.demoDirectory
                                                : options.spectrogramPath;
        target = value;
        if (name == "--demo")
            options.action = Action::demo;
    }
    else if (name == "--float")
        options.floatOutput = true;
    else if (name == "--list-presets")
        options.action = Action::listPresets;
    else if (name == "--list-parameters")
        options.action = Action::listParameters;

    return {};
}
} // namespace

ParseResult parseRenderOptions (const std::vector<std::string>& arguments)
{
    RenderOptions options;

    // --help wins over everything else on the line, mistakes included.
    for (const auto& argument : arguments)
    {
        if (argument == "--")
            break;
        if (argument == "--help" || argument == "-h")
        {
            options.action = Action::help;
            return { options, {} };
        }
    }

    std::vector<std::string> files;
    std::vector<std::string> given; // option names in the order they came
    std::vector<Action> commands;
    bool optionsEnded = false;

    for (size_t i = 0; i < arguments.size(); ++i)
    {
        const auto& argument = arguments[i];
        if (! optionsEnded && argument == "--")
        {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || argument.size() < 2 || argument[0] != '-')
        {
            files.push_back (argument);
            continue;
        }

        // "--name=value" or "--name value".
        const auto equals = argument.find ('=');
        const auto name = argument.substr (0, equals);
        const auto* known = findOption (name);
        if (known == nullptr)
            return fail ("unknown option " + inQuotes (name) + " (see --help)");

        std::string value;
        if (known->takesValue)
        {
            if (equals != std::string::npos)
                value = argument.substr (equals + 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            else
                return fail (name + " needs a value");
        }
        else if (equals != std::string::npos)
            return fail (name + " takes no value");

        if (! known->repeatable && std::find (given.begin(), given.end(), name) != given.end())
            return fail (name + " is given twice");
        given.push_back (name);

        if (auto error = applyOption (options, name, value); ! error.empty())
            return fail (error);
        if (name == "--list-presets" || name == "--list-parameters" || name == "--demo")
            commands.push_back (options.action);
    }

    if (commands.size() > 1)
        return fail (std::string (commandOption (commands[0])) + " and " + commandOption (commands[1]) + " cannot be combined");

    for (const auto& name : given)
        if ((findOption (name)->actions & maskOf (options.action)) == 0)
            return fail (name + " cannot be used with " + commandOption (options.action));

    if (options.action != Action::render)
    {
        if (! files.empty())
            return fail (std::string (commandOption (options.action)) + " takes no input or output file, got " + inQuotes (files.front()));
        return { options, {} };
    }

    if (files.empty())
        return fail ("missing input and output files: corvane-render [options] IN OUT (see --help)");
    if (files.size() == 1)
        return fail ("missing output file after " + inQuotes (files[0]));
    if (files.size() > 2)
        return fail ("too many files: " + inQuotes (files[2]) + " (give one input and one output)");
    if (files[0].empty() || files[1].empty())
        return fail ("empty file name");
    if (! endsWithIgnoringCase (files[1], ".wav"))
        return fail ("the output is a WAV file: give OUT a name ending in .wav, not " + inQuotes (files[1]));

    options.inputPath = files[0];
    options.outputPath = files[1];
    return { options, {} };
}

ResolveResult resolveNames (const RenderOptions& options,
                            const std::vector<std::string>& programNames,
                            const std::vector<std::string>& parameterNames)
{
    ResolvedSettings resolved;

    if (options.preset)
    {
        const auto& preset = *options.preset;
        const bool isNumber = ! preset.empty() && std::all_of (preset.begin(), preset.end(), [] (char c) { return c >= '0' && c <= '9'; });
        if (isNumber)
        {
            const auto index = parseWholeNumber (preset, programNames.size());
            if (! index || *index >= programNames.size())
                return { std::nullopt, "unknown preset " + inQuotes (preset) + ": presets are numbered 0 to " + std::to_string ((int) programNames.size() - 1) };
            resolved.program = static_cast<int> (*index);
        }
        else
        {
            const auto match = std::find_if (programNames.begin(), programNames.end(),
                                             [&] (const std::string& name) { return equalsIgnoringCase (name, preset); });
            if (match == programNames.end())
                return { std::nullopt, "unknown preset " + inQuotes (preset) + " (see --list-presets)" };
            resolved.program = static_cast<int> (match - programNames.begin());
        }
    }

    for (const auto& setting : options.settings)
    {
        const auto match = std::find_if (parameterNames.begin(), parameterNames.end(),
                                         [&] (const std::string& name) { return equalsIgnoringCase (name, setting.name); });
        if (match == parameterNames.end())
            return { std::nullopt, "unknown parameter " + inQuotes (setting.name) + " in --set (see --list-parameters)" };
        resolved.values.emplace_back (static_cast<int> (match - parameterNames.begin()), setting.value);
    }

    return { resolved, {} };
}

std::string usageText()
{
    return R"(corvane-render: print the Tarnwick Corvane reverb onto an audio file.

Usage:
  corvane-render [options] IN OUT      render IN (WAV, AIFF or FLAC, mono or stereo,
                                       8000..384000 Hz) into OUT (stereo WAV)
  corvane-render --list-presets        the eight factory presets, by number and name
  corvane-render --list-parameters [--state FILE] [--preset P] [--set NAME=VALUE ...]
                                       each parameter's name, default and current value
  corvane-render --demo OUTDIR         synthesise a short demo phrase and render it
                                       through every preset into OUTDIR (WAV + PNG each,
                                       seed 1 unless --seed; --set, --block, --tail
                                       and --float apply to every render)
  corvane-render --help

Options (applied in this order, before playback starts, as a host restoring a project):
  --state FILE          restore a state saved by the plug-in (or by --save-state)
  --preset N|NAME       factory preset, 0..7 or its name (letter case ignored)
  --set NAME=VALUE      set a parameter to a normalised value 0..1; repeatable,
                        applied in order after the preset
  --seed N              start the modulation from seed N (0..4294967295), for
                        reproducible renders; without it the seed comes from
                        the clock, as in a host (the first random decision
                        falls about 334000 samples in: 7 s at 48 kHz)
  --block N             host buffer size in samples, 1..65536 (default 512)
  --tail SECONDS        silence appended after IN so the reverb can ring out
                        (default: until the output stays below -90 dBFS for
                        100 ms, at most 30 s)
  --float               write 32-bit float samples (default: 24-bit integer)
  --spectrogram FILE.png
                        also draw the output's spectrogram (time across,
                        logarithmic frequency up)
  --save-state FILE     save the plug-in's state as a host would, after the
                        options above were applied
  --                    everything after this is a file name

Options take their value as the next word or after '=' (--block=256).
OUT is written to a temporary file beside it and renamed when complete: a
failed render leaves no partial file and an existing OUT untouched.
Exit status: 0 done, 2 refused input or options (one-line message on stderr),
1 reading or writing failed part-way, 130 interrupted.
)";
}

} // namespace corvane::render
