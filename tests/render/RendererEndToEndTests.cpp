// Whole renders through the executable, checked against each other and
// against what the options promise. Each render is a second of audio.
#include "RenderTestSupport.h"

#include "processor/TarnwickCorvane.h"

#include <regex>

namespace corvane::render::test
{
namespace
{
class RendererEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        phrase = testPhrase();
        writeFloatWav (dir / "stereo.wav", phrase, 48000);
        writeFloatWav (dir / "mono.wav", { phrase[0] }, 48000);
        writeFloatWav (dir / "doubled.wav", { phrase[0], phrase[0] }, 48000);
    }

    // Renders and returns the output file's bytes; fails the test on an error.
    std::string render (std::vector<std::string> arguments, const std::string& input, const std::string& output)
    {
        arguments.push_back (dir / input);
        arguments.push_back (dir / output);
        const auto result = runRenderer (arguments);
        EXPECT_EQ (result.status, 0) << result.err;
        lastSummary = result.out;
        return readBytes (dir / output);
    }

    std::vector<std::string> listParameters (std::vector<std::string> arguments)
    {
        arguments.insert (arguments.begin(), "--list-parameters");
        const auto result = runRenderer (arguments);
        EXPECT_EQ (result.status, 0) << result.err;
        std::vector<std::string> lines;
        std::istringstream text (result.out);
        for (std::string line; std::getline (text, line);)
            lines.push_back (line);
        return lines;
    }

    ScratchDirectory dir;
    Channels phrase;
    std::string lastSummary;
};

TEST_F (RendererEndToEnd, SameSeedSameBitsInBothFormats)
{
    const std::vector<std::string> options { "--preset", "OctaveUpDown", "--set", "wetDry=0.6", "--set", "modDepth=0.9", "--seed", "7", "--tail", "0.5" };
    for (const bool asFloat : { false, true })
    {
        SCOPED_TRACE (asFloat ? "float" : "24-bit");
        auto arguments = options;
        if (asFloat)
            arguments.push_back ("--float");
        const auto first = render (arguments, "stereo.wav", "a.wav");
        const auto second = render (arguments, "stereo.wav", "b.wav");
        EXPECT_FALSE (first.empty());
        EXPECT_TRUE (first == second) << "two renders with the same seed differ";

        const auto out = readAudio (dir / "a.wav");
        EXPECT_EQ (out.numChannels, 2);
        EXPECT_EQ (out.sampleRate, 48000.0);
        EXPECT_EQ (out.bitsPerSample, asFloat ? 32 : 24);
        EXPECT_EQ (out.isFloat, asFloat);
        EXPECT_EQ (out.length(), phrase[0].size() + 24000) << "input plus exactly --tail 0.5 s";
    }

    // The 24-bit file is the float render, quantised.
    const auto fixedPoint = readAudio (dir / "a.wav");
    render ([&] { auto a = options; a.push_back ("--float"); return a; }(), "stereo.wav", "f.wav");
    const auto floating = readAudio (dir / "f.wav");
    ASSERT_EQ (fixedPoint.length(), floating.length());
    double worst = 0.0;
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < floating.length(); ++i)
            worst = std::max (worst, (double) std::abs (fixedPoint.channels[(size_t) c][i] - floating.channels[(size_t) c][i]));
    EXPECT_LE (worst, 1.0 / (1 << 23));
    EXPECT_GT (peakOf (floating.channels), 0.01);
}

TEST_F (RendererEndToEnd, WavAiffAndFlacInputsGiveTheSameRender)
{
    // The same 24-bit samples in each container (AIFF is big-endian, FLAC
    // compressed): the reverb must hear the same signal from all three.
    const auto write = [&] (juce::AudioFormat&& format, const std::string& name)
    {
        auto stream = std::make_unique<juce::FileOutputStream> (juce::File (dir / name));
        std::unique_ptr<juce::AudioFormatWriter> writer (format.createWriterFor (stream.get(), 48000, 2, 24, {}, 0));
        ASSERT_NE (writer, nullptr) << name;
        stream.release();
        const float* channels[] = { phrase[0].data(), phrase[1].data() };
        ASSERT_TRUE (writer->writeFromFloatArrays (channels, 2, (int) phrase[0].size()));
    };
    write (juce::WavAudioFormat(), "in24.wav");
    write (juce::AiffAudioFormat(), "in24.aiff");
    write (juce::FlacAudioFormat(), "in24.flac");

    const std::vector<std::string> options { "--preset", "2", "--seed", "1", "--tail", "0.3", "--float" };
    const auto fromWav = render (options, "in24.wav", "w.wav");
    EXPECT_TRUE (render (options, "in24.aiff", "a.wav") == fromWav);
    EXPECT_TRUE (render (options, "in24.flac", "f.wav") == fromWav);
    EXPECT_EQ (readAudio (dir / "f.wav").length(), phrase[0].size() + 14400);
}

TEST_F (RendererEndToEnd, SeedDecidesTheModulation)
{
    // The modulators make their first random decision after 20869 blocks of
    // 16 samples (about 7 s at 48 kHz): before it the seed cannot show, so
    // this render runs a little past it, on the ringing of a long tail.
    const auto decision = (size_t) 20869 * 16;
    const std::vector<std::string> options { "--preset", "OctaveUpDown", "--set", "modDepth=1", "--tail", "6.8", "--float" };
    const auto withSeed = [&] (const char* seed, const char* name)
    {
        auto arguments = options;
        arguments.insert (arguments.end(), { "--seed", seed });
        return render (arguments, "stereo.wav", name);
    };
    EXPECT_TRUE (withSeed ("5", "a.wav") == withSeed ("5", "b.wav"));
    withSeed ("6", "c.wav");

    const auto a = readAudio (dir / "a.wav"), c = readAudio (dir / "c.wav");
    ASSERT_GT (a.length(), decision + 4800);
    ASSERT_EQ (a.length(), c.length());
    size_t firstDifference = a.length();
    for (size_t i = 0; i < a.length() && firstDifference == a.length(); ++i)
        if (a.channels[0][i] != c.channels[0][i] || a.channels[1][i] != c.channels[1][i])
            firstDifference = i;
    EXPECT_GE (firstDifference, decision);
    EXPECT_LT (firstDifference, a.length()) << "seeds 5 and 6 gave the same render";
}

TEST_F (RendererEndToEnd, MonoInputRunsAsAMonoBusNotAsStereoWithASilentSide)
{
    const std::vector<std::string> options { "--preset", "3", "--seed", "3", "--tail", "0.5", "--float" };
    const auto mono = render (options, "mono.wav", "mono-out.wav");
    const auto doubled = render (options, "doubled.wav", "doubled-out.wav");
    EXPECT_TRUE (mono == doubled);

    // And the stereo input's right side does reach the output.
    const auto stereo = render (options, "stereo.wav", "stereo-out.wav");
    EXPECT_FALSE (stereo == doubled);
}

TEST_F (RendererEndToEnd, PresetByNumberOrNameAndSettingsInOrder)
{
    const auto byNumber = render ({ "--preset", "6", "--tail", "0.3", "--float" }, "stereo.wav", "n.wav");
    const auto byName = render ({ "--preset", "tajmahal", "--tail", "0.3", "--float" }, "stereo.wav", "t.wav");
    const auto noPreset = render ({ "--tail", "0.3", "--float" }, "stereo.wav", "d.wav");
    EXPECT_TRUE (byNumber == byName);
    EXPECT_FALSE (byNumber == noPreset);

    // Later settings win over earlier ones and over the preset.
    const auto overridden = render ({ "--preset", "6", "--set", "size=0.2", "--set", "size=0.9", "--tail", "0.3", "--float" }, "stereo.wav", "o.wav");
    const auto direct = render ({ "--preset", "6", "--set", "size=0.9", "--tail", "0.3", "--float" }, "stereo.wav", "p.wav");
    EXPECT_TRUE (overridden == direct);
    EXPECT_FALSE (overridden == byNumber);
}

TEST_F (RendererEndToEnd, SettingsAreInPlaceBeforeTheFirstBuffer)
{
    // Fully dry from the first sample: a setting applied after playback
    // started would let the default mix through while it glides.
    render ({ "--set", "wetDry=0", "--tail", "0", "--float" }, "stereo.wav", "dry.wav");
    const auto out = readAudio (dir / "dry.wav");
    ASSERT_EQ (out.length(), phrase[0].size());
    double worst = 0.0;
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < out.length(); ++i)
            worst = std::max (worst, (double) std::abs (out.channels[(size_t) c][i] - phrase[(size_t) c][i]));
    EXPECT_LT (worst, 1e-6);
}

TEST_F (RendererEndToEnd, HostBufferSizeDoesNotChangeTheSound)
{
    // Sizes that divide neither the read chunks nor the input length.
    const std::vector<std::string> options { "--preset", "1", "--seed", "9", "--tail", "0.4", "--float" };
    const auto reference = render (options, "stereo.wav", "ref.wav");
    for (const char* block : { "7", "1000", "4096" })
    {
        SCOPED_TRACE (block);
        auto arguments = options;
        arguments.insert (arguments.end(), { "--block", block });
        EXPECT_TRUE (render (arguments, "stereo.wav", "b.wav") == reference);
    }
}

TEST_F (RendererEndToEnd, AutomaticTailEndsAtTheFirst100MsBelowMinus90Dbfs)
{
    render ({ "--preset", "ConcertHall", "--float" }, "stereo.wav", "tail.wav");
    const auto out = readAudio (dir / "tail.wav");
    const size_t input = phrase[0].size(), quiet = 4800; // 100 ms
    ASSERT_GT (out.length(), input + quiet);
    EXPECT_LE (out.length(), input + 30 * 48000);

    const auto loudness = [&] (size_t i) { return std::max (std::abs (out.channels[0][i]), std::abs (out.channels[1][i])); };
    const float threshold = 3.1622776e-5f;
    for (size_t i = out.length() - quiet; i < out.length(); ++i)
        ASSERT_LT (loudness (i), threshold) << "sample " << i << " of the final 100 ms";
    EXPECT_GE (loudness (out.length() - quiet - 1), threshold) << "the tail went on after 100 ms of quiet";

    // The summary tells the same story.
    const std::regex summary (R"(tail\.wav: ([0-9.]+) s \(1\.00 s input \+ ([0-9.]+) s tail\) at 48000 Hz, 32-bit float, peak (-?[0-9.]+) dBFS, RMS (-?[0-9.]+) dBFS, ([0-9.]+)x realtime\n)");
    std::smatch match;
    ASSERT_TRUE (std::regex_search (lastSummary, match, summary)) << lastSummary;
    EXPECT_NEAR (std::stod (match[1]), out.length() / 48000.0, 0.006);
    EXPECT_NEAR (std::stod (match[3]), 20.0 * std::log10 (peakOf (out.channels)), 0.051);
    EXPECT_GT (std::stod (match[5]), 0.0);
}

TEST_F (RendererEndToEnd, SavedStateRestoresTheSameRender)
{
    const auto original = render ({ "--preset", "3", "--set", "size=0.3", "--set", "wetDry=0.4", "--seed", "5", "--tail", "0.5",
                                    "--save-state", dir / "s.bin", "--float" },
                                  "stereo.wav", "original.wav");
    const auto state = readBytes (dir / "s.bin");
    ASSERT_TRUE (TarnwickCorvane::isAcceptableState (state.data(), (int) state.size()));

    const auto restored = render ({ "--state", dir / "s.bin", "--seed", "5", "--tail", "0.5", "--float" }, "stereo.wav", "restored.wav");
    EXPECT_TRUE (restored == original);

    const auto fromState = listParameters ({ "--state", dir / "s.bin" });
    EXPECT_EQ (fromState, listParameters ({ "--preset", "3", "--set", "size=0.3", "--set", "wetDry=0.4" }));
    EXPECT_NE (fromState, listParameters ({ "--preset", "3" }));
    ASSERT_EQ (fromState.size(), 13u) << "a header and twelve parameters";
}

TEST_F (RendererEndToEnd, PresetAndSettingsAfterAStateApplyAtOnce)
{
    // Straight after a restore the plug-in ignores program changes for a
    // while (hosts re-select programs); the renderer's own --preset must not be.
    render ({ "--preset", "3", "--set", "wetDry=0.4", "--tail", "0", "--save-state", dir / "s.bin" }, "stereo.wav", "x.wav");
    const auto combined = listParameters ({ "--state", dir / "s.bin", "--preset", "OctaveUpDown", "--set", "lowCut=0.2" });
    // A program switch keeps the mix in effect.
    EXPECT_EQ (combined, listParameters ({ "--set", "wetDry=0.4", "--preset", "7", "--set", "lowCut=0.2" }));
    EXPECT_NE (combined, listParameters ({ "--state", dir / "s.bin" }));
}

TEST_F (RendererEndToEnd, ListingsShowPresetsAndParameters)
{
    const auto presets = runRenderer ({ "--list-presets" });
    EXPECT_EQ (presets.status, 0);
    EXPECT_NE (presets.out.find ("0  RadavErir\n"), std::string::npos) << presets.out;
    EXPECT_NE (presets.out.find ("7  OctaveUpDown\n"), std::string::npos) << presets.out;

    const auto lines = listParameters ({ "--preset", "7" });
    ASSERT_EQ (lines.size(), 13u);
    EXPECT_EQ (lines[0].substr (0, 4), "name");
    const std::regex shiftMode (R"(shiftMode +[0-9]\.[0-9]{2} +0\.80)");
    EXPECT_TRUE (std::any_of (lines.begin(), lines.end(), [&] (const std::string& l) { return std::regex_match (l, shiftMode); }));
}

TEST_F (RendererEndToEnd, SpectrogramPictureAccompaniesTheRender)
{
    render ({ "--preset", "7", "--tail", "0.5", "--spectrogram", dir / "s.png" }, "mono.wav", "out.wav");
    const auto image = juce::ImageFileFormat::loadFrom (juce::File (dir / "s.png"));
    ASSERT_TRUE (image.isValid());
    EXPECT_GE (image.getWidth(), 640);
    EXPECT_EQ (dir.listing(), (std::set<std::string> { "doubled.wav", "mono.wav", "out.wav", "s.png", "stereo.wav" }));
}

} // namespace
} // namespace corvane::render::test
