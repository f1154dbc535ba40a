#pragma once

// The renderer's command line, read into plain values. Pure functions: no
// file is touched, nothing is printed, nothing exits; every refusal comes
// back as a one-line message. Names of presets and parameters are checked
// later against the plug-in's own lists (resolveNames).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::render
{

struct ParameterSetting
{
    std::string name;   // as typed; matched without regard to letter case
    float value = 0.0f; // normalised 0..1
};

struct RenderOptions
{
    enum class Action
    {
        render,         // IN OUT
        help,           // --help
        listPresets,    // --list-presets
        listParameters, // --list-parameters
        demo            // --demo OUTDIR
    };

    static constexpr int defaultBlockSize = 512;
    static constexpr int maxBlockSize = 65536;
    static constexpr double maxTailSeconds = 600.0;

    Action action = Action::render;
    std::string inputPath, outputPath;
    std::string demoDirectory;

    std::optional<std::string> preset; // number or name, as typed
    std::vector<ParameterSetting> settings;
    int blockSize = defaultBlockSize;
    std::optional<double> tailSeconds; // absent: until the tail has died away
    std::optional<std::uint32_t> seed;
    std::string statePath, saveStatePath, spectrogramPath;
    bool floatOutput = false;
};

struct ParseResult
{
    std::optional<RenderOptions> options;
    std::string error; // set when options is absent
};

// `arguments` are the words after the program name.
ParseResult parseRenderOptions (const std::vector<std::string>& arguments);

// The options with names replaced by indices.
struct ResolvedSettings
{
    std::optional<int> program;
    std::vector<std::pair<int, float>> values; // parameter index, normalised value, in command-line order
};

struct ResolveResult
{
    std::optional<ResolvedSettings> settings;
    std::string error;
};

// Matches --preset (a program number, or a name regardless of letter case)
// and the --set names against the plug-in's programs and parameters.
ResolveResult resolveNames (const RenderOptions& options,
                            const std::vector<std::string>& programNames,
                            const std::vector<std::string>& parameterNames);

// The text of --help.
std::string usageText();

} // namespace corvane::render
