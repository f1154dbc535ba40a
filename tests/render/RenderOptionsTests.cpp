// The command line, read without running anything: what each argument list
// becomes, and the one-line refusal for each mistake.
#include "RenderOptions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvane::render
{
namespace
{
using Action = RenderOptions::Action;
using Words = std::vector<std::string>;

struct Refusal
{
    const char* why;
    Words arguments;
    const char* message; // a part of the expected message
};

const Refusal refusals[] = {
    { "nothing given", {}, "missing input and output files" },
    { "only an input", { "in.wav" }, "missing output file after 'in.wav'" },
    { "three files", { "a.wav", "b.wav", "c.wav" }, "too many files: 'c.wav'" },
    { "unknown long option", { "--reverb", "in.wav", "out.wav" }, "unknown option '--reverb'" },
    { "unknown short option", { "-x", "in.wav", "out.wav" }, "unknown option '-x'" },
    { "unknown option with a value", { "--bogus=3", "in.wav", "out.wav" }, "unknown option '--bogus'" },
    { "value missing at the end", { "in.wav", "out.wav", "--preset" }, "--preset needs a value" },
    { "switch given a value", { "--float=yes", "in.wav", "out.wav" }, "--float takes no value" },
    { "preset twice", { "--preset", "1", "--preset", "2", "in.wav", "out.wav" }, "--preset is given twice" },
    { "empty preset", { "--preset=", "in.wav", "out.wav" }, "--preset needs a preset number or name" },
    { "set without equals", { "--set", "shift", "in.wav", "out.wav" }, "--set expects NAME=VALUE, got 'shift'" },
    { "set without a name", { "--set", "=0.5", "in.wav", "out.wav" }, "--set expects NAME=VALUE" },
    { "set to a word", { "--set", "shift=lots", "in.wav", "out.wav" }, "--set shift: 'lots' is not a number" },
    { "set to nothing", { "--set", "shift=", "in.wav", "out.wav" }, "'' is not a number" },
    { "set to NaN", { "--set", "shift=nan", "in.wav", "out.wav" }, "'nan' is not a number" },
    { "set to infinity", { "--set", "shift=inf", "in.wav", "out.wav" }, "'inf' is not a number" },
    { "decimal comma", { "--set", "shift=0,5", "in.wav", "out.wav" }, "'0,5' is not a number" },
    { "trailing letters", { "--set", "shift=0.5x", "in.wav", "out.wav" }, "'0.5x' is not a number" },
    { "two signs", { "--set", "shift=+-1", "in.wav", "out.wav" }, "'+-1' is not a number" },
    { "above one", { "--set", "shift=1.5", "in.wav", "out.wav" }, "--set shift: 1.5 is outside 0..1" },
    { "below zero", { "--set", "shift=-0.1", "in.wav", "out.wav" }, "-0.1 is outside 0..1" },
    { "just above one", { "--set", "shift=1.0000001", "in.wav", "out.wav" }, "is outside 0..1" },
    { "block zero", { "--block", "0", "in.wav", "out.wav" }, "--block: '0' is not a whole number from 1 to 65536" },
    { "block too large", { "--block", "65537", "in.wav", "out.wav" }, "--block: '65537'" },
    { "block negative", { "--block", "-1", "in.wav", "out.wav" }, "--block: '-1'" },
    { "block fractional", { "--block", "1.5", "in.wav", "out.wav" }, "--block: '1.5'" },
    { "block huge", { "--block", "99999999999999999999999", "in.wav", "out.wav" }, "--block: '99999999999999999999999'" },
    { "tail negative", { "--tail", "-1", "in.wav", "out.wav" }, "--tail: '-1' is not a number of seconds from 0 to 600" },
    { "tail too long", { "--tail", "601", "in.wav", "out.wav" }, "--tail: '601'" },
    { "tail a word", { "--tail", "long", "in.wav", "out.wav" }, "--tail: 'long'" },
    { "seed beyond 32 bits", { "--seed", "4294967296", "in.wav", "out.wav" }, "--seed: '4294967296' is not a whole number" },
    { "seed negative", { "--seed", "-1", "in.wav", "out.wav" }, "--seed: '-1'" },
    { "empty state name", { "--state", "", "in.wav", "out.wav" }, "--state needs a file name" },
    { "picture not a PNG", { "--spectrogram", "s.jpg", "in.wav", "out.wav" }, "give a file name ending in .png, not 's.jpg'" },
    { "output not a WAV", { "in.wav", "out.flac" }, "give OUT a name ending in .wav, not 'out.flac'" },
    { "listing with files", { "--list-presets", "in.wav" }, "--list-presets takes no input or output file, got 'in.wav'" },
    { "two commands", { "--list-presets", "--demo", "d" }, "--list-presets and --demo cannot be combined" },
    { "switch that would do nothing", { "--list-presets", "--float" }, "--float cannot be used with --list-presets" },
    { "preset in the demo", { "--demo", "d", "--preset", "1" }, "--preset cannot be used with --demo" },
    { "saving state from a listing", { "--list-parameters", "--save-state", "s.bin" }, "--save-state cannot be used with --list-parameters" },
    { "demo without a directory", { "--demo", "" }, "--demo needs a directory" },
};

TEST (RenderOptions, EachMistakeGetsItsOwnOneLineMessage)
{
    for (const auto& refusal : refusals)
    {
        SCOPED_TRACE (refusal.why);
        const auto result = parseRenderOptions (refusal.arguments);
        EXPECT_FALSE (result.options.has_value());
        EXPECT_NE (result.error.find (refusal.message), std::string::npos) << "message: " << result.error;
        EXPECT_EQ (result.error.find ('\n'), std::string::npos);
    }
}

TEST (RenderOptions, PlainRenderTakesTheDefaults)
{
    const auto result = parseRenderOptions ({ "in.wav", "out.wav" });
    ASSERT_TRUE (result.options) << result.error;
    const auto& o = *result.options;
    EXPECT_EQ (o.action, Action::render);
    EXPECT_EQ (o.inputPath, "in.wav");
    EXPECT_EQ (o.outputPath, "out.wav");
    EXPECT_EQ (o.blockSize, 512);
    EXPECT_FALSE (o.preset || o.tailSeconds || o.seed);
    EXPECT_TRUE (o.settings.empty());
    EXPECT_FALSE (o.floatOutput);
    EXPECT_TRUE (o.statePath.empty() && o.saveStatePath.empty() && o.spectrogramPath.empty());
}

TEST (RenderOptions, EveryOptionReachesItsField)
{
    const auto result = parseRenderOptions ({ "--preset", "OctaveUpDown", "--set", "shift=0.25", "in.flac", "--set=Feedback=1",
                                              "--block=64", "--tail", "2.5", "--seed", "4294967295", "--float", "--spectrogram",
                                              "s.PNG", "--state", "a.bin", "--save-state", "b.bin", "out.WAV" });
    ASSERT_TRUE (result.options) << result.error;
    const auto& o = *result.options;
    EXPECT_EQ (o.action, Action::render);
    EXPECT_EQ (o.inputPath, "in.flac");
    EXPECT_EQ (o.outputPath, "out.WAV");
    EXPECT_EQ (o.preset, "OctaveUpDown");
    ASSERT_EQ (o.settings.size(), 2u);
    EXPECT_EQ (o.settings[0].name, "shift");
    EXPECT_EQ (o.settings[0].value, 0.25f);
    EXPECT_EQ (o.settings[1].name, "Feedback");
    EXPECT_EQ (o.settings[1].value, 1.0f);
    EXPECT_EQ (o.blockSize, 64);
    EXPECT_EQ (o.tailSeconds, 2.5);
    EXPECT_EQ (o.seed, 4294967295u);
    EXPECT_TRUE (o.floatOutput);
    EXPECT_EQ (o.spectrogramPath, "s.PNG");
    EXPECT_EQ (o.statePath, "a.bin");
    EXPECT_EQ (o.saveStatePath, "b.bin");
}

TEST (RenderOptions, NumbersAreReadAsWrittenWhateverTheirSpelling)
{
    const std::pair<const char*, float> values[] = { { "x=.5", 0.5f }, { "x=1e-1", 0.1f }, { "x=0", 0.0f }, { "x=-0", 0.0f },
                                                     { "x=+1", 1.0f }, { "x=1.000", 1.0f }, { "x=0.333333343", 0.333333343f } };
    for (const auto& [text, expected] : values)
    {
        SCOPED_TRACE (text);
        const auto result = parseRenderOptions ({ "--set", text, "in.wav", "out.wav" });
        ASSERT_TRUE (result.options) << result.error;
        EXPECT_EQ (result.options->settings.at (0).value, expected);
        EXPECT_FALSE (std::signbit (result.options->settings.at (0).value));
    }
}

TEST (RenderOptions, DoubleDashEndsTheOptions)
{
    const auto result = parseRenderOptions ({ "--block", "16", "--", "-in.wav", "--help.wav" });
    ASSERT_TRUE (result.options) << result.error;
    EXPECT_EQ (result.options->action, Action::render);
    EXPECT_EQ (result.options->inputPath, "-in.wav");
    EXPECT_EQ (result.options->outputPath, "--help.wav");
}

TEST (RenderOptions, CommandsOtherThanRendering)
{
    const struct
    {
        Words arguments;
        Action action;
    } cases[] = {
        { { "--list-presets" }, Action::listPresets },
        { { "--list-parameters", "--state", "s.bin", "--preset", "3", "--set", "size=0" }, Action::listParameters },
        { { "--seed", "1", "--demo", "out", "--block", "256", "--float" }, Action::demo },
        { { "-h" }, Action::help },
        // Help wins over mistakes elsewhere on the line.
        { { "--reverb", "--block", "0", "--help" }, Action::help },
    };
    for (const auto& c : cases)
    {
        const auto result = parseRenderOptions (c.arguments);
        ASSERT_TRUE (result.options) << result.error;
        EXPECT_EQ (result.options->action, c.action);
    }
    EXPECT_EQ (parseRenderOptions ({ "--demo", "out" }).options->demoDirectory, "out");
}

//==============================================================================
const std::vector<std::string> programs { "RadavErir", "ConcertHall", "BrightHall", "DeepBlueDay",
                                          "Chorus", "BigReverse", "TajMahal", "OctaveUpDown" };
const std::vector<std::string> parameters { "wetDry", "shift", "feedback", "diffusion", "size", "lowCut",
                                            "highCut", "modRate", "modDepth", "reverbMode", "shiftMode", "colorMode" };

ResolveResult resolve (const Words& arguments)
{
    const auto parsed = parseRenderOptions (arguments);
    EXPECT_TRUE (parsed.options) << parsed.error;
    return resolveNames (*parsed.options, programs, parameters);
}

TEST (RenderOptions, PresetsByNumberOrByNameInAnyCase)
{
    const std::pair<const char*, int> presets[] = { { "0", 0 }, { "7", 7 }, { "007", 7 }, { "OctaveUpDown", 7 },
                                                    { "octaveupdown", 7 }, { "CONCERTHALL", 1 } };
    for (const auto& [text, index] : presets)
    {
        SCOPED_TRACE (text);
        const auto result = resolve ({ "--preset", text, "in.wav", "out.wav" });
        ASSERT_TRUE (result.settings) << result.error;
        EXPECT_EQ (result.settings->program, index);
    }
    EXPECT_FALSE (resolve ({ "in.wav", "out.wav" }).settings->program.has_value());
}

TEST (RenderOptions, UnknownPresetsAndParametersAreNamedInTheMessage)
{
    const Refusal cases[] = {
        { "number past the last", { "--preset", "8", "in.wav", "out.wav" }, "unknown preset '8': presets are numbered 0 to 7" },
        { "enormous number", { "--preset", "99999999999999999999999", "in.wav", "out.wav" }, "presets are numbered 0 to 7" },
        { "part of a name", { "--preset", "Octave", "in.wav", "out.wav" }, "unknown preset 'Octave' (see --list-presets)" },
        { "negative number", { "--preset", "-1", "in.wav", "out.wav" }, "unknown preset '-1'" },
        { "unknown parameter", { "--set", "decay=0.5", "in.wav", "out.wav" }, "unknown parameter 'decay' in --set" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.why);
        const auto result = resolve (c.arguments);
        EXPECT_FALSE (result.settings);
        EXPECT_NE (result.error.find (c.message), std::string::npos) << "message: " << result.error;
    }
}

TEST (RenderOptions, SettingsKeepTheirCommandLineOrder)
{
    const auto result = resolve ({ "--set", "SHIFT=0.1", "--set", "wetdry=0.2", "--set", "shift=0.3", "--set", "colorMode=1", "in.wav", "out.wav" });
    ASSERT_TRUE (result.settings) << result.error;
    const std::vector<std::pair<int, float>> expected { { 1, 0.1f }, { 0, 0.2f }, { 1, 0.3f }, { 11, 1.0f } };
    EXPECT_EQ (result.settings->values, expected);
}

} // namespace
} // namespace corvane::render
