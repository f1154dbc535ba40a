// Every refusal, run through the real executable: a one-line message naming
// the problem, exit status 2, and no file created or changed - neither OUT,
// nor the picture or state beside it, nor a temporary file.
#include "RenderTestSupport.h"

#include "processor/StateContainer.h"

namespace corvane::render::test
{
namespace
{
struct ErrorCase
{
    const char* why;
    // Builds the argument list inside the scratch directory; may create files.
    std::function<std::vector<std::string> (const ScratchDirectory&)> arguments;
    const char* message;
    // The file that must not change; it is also made to exist beforehand in a
    // second run when it is a plain file name the renderer could write.
    std::string protectedName = "out.wav";
    bool canPreexist = true;
};

void writeInput (const ScratchDirectory& dir, const std::string& name = "in.wav", int channels = 2, std::uint32_t rate = 48000)
{
    auto phrase = testPhrase (48000, 0.1);
    phrase.resize ((size_t) channels, phrase[0]);
    writeFloatWav (dir / name, phrase, rate);
}

std::vector<ErrorCase> errorCases()
{
    using Dir = const ScratchDirectory&;
    using Words = std::vector<std::string>;
    return {
        { "input missing", [] (Dir d) { return Words { d / "missing.wav", d / "out.wav" }; },
          "cannot read '", "out.wav" },
        { "input is a directory", [] (Dir d) { fs::create_directory (d / "folder.wav"); return Words { d / "folder.wav", d / "out.wav" }; },
          "folder.wav': it is a directory" },
        { "input is not audio", [] (Dir d) { writeBytes (d / "in.wav", "just some text, not a RIFF file"); return Words { d / "in.wav", d / "out.wav" }; },
          "in.wav' is not a WAV, AIFF or FLAC file" },
        { "input is a cut-off WAV header", [] (Dir d) { writeBytes (d / "in.wav", std::string ("RIFF\x10\0\0\0WAVEfmt ", 16)); return Words { d / "in.wav", d / "out.wav" }; },
          "is not a WAV, AIFF or FLAC file" },
        { "input has three channels", [] (Dir d) { writeInput (d, "in.wav", 3); return Words { d / "in.wav", d / "out.wav" }; },
          "in.wav' has 3 channels: only mono and stereo files can be rendered" },
        { "rate just below 8000 Hz", [] (Dir d) { writeInput (d, "in.wav", 2, 7999); return Words { d / "in.wav", d / "out.wav" }; },
          "has a sample rate of 7999 Hz: the plug-in runs at 8000 to 384000 Hz" },
        { "rate just above 384000 Hz", [] (Dir d) { writeInput (d, "in.wav", 1, 384001); return Words { d / "in.wav", d / "out.wav" }; },
          "has a sample rate of 384001 Hz" },
        { "unknown option", [] (Dir d) { writeInput (d); return Words { "--reverb", "big", d / "in.wav", d / "out.wav" }; },
          "unknown option '--reverb'" },
        { "unknown preset name", [] (Dir d) { writeInput (d); return Words { "--preset", "Cathedral", d / "in.wav", d / "out.wav" }; },
          "unknown preset 'Cathedral'" },
        { "preset number past the last", [] (Dir d) { writeInput (d); return Words { "--preset", "8", d / "in.wav", d / "out.wav" }; },
          "presets are numbered 0 to 7" },
        { "unknown parameter", [] (Dir d) { writeInput (d); return Words { "--set", "decay=0.5", d / "in.wav", d / "out.wav" }; },
          "unknown parameter 'decay'" },
        { "value not a number", [] (Dir d) { writeInput (d); return Words { "--set", "shift=high", d / "in.wav", d / "out.wav" }; },
          "--set shift: 'high' is not a number" },
        { "value above 1", [] (Dir d) { writeInput (d); return Words { "--set", "feedback=1.2", d / "in.wav", d / "out.wav" }; },
          "--set feedback: 1.2 is outside 0..1" },
        { "value below 0", [] (Dir d) { writeInput (d); return Words { "--set", "feedback=-0.5", d / "in.wav", d / "out.wav" }; },
          "outside 0..1" },
        { "OUT is IN", [] (Dir d) { writeInput (d); return Words { d / "in.wav", d / "in.wav" }; },
          "is the input file", "in.wav", false },
        { "OUT is IN by way of ..", [] (Dir d) { writeInput (d); fs::create_directory (d / "sub"); return Words { d / "in.wav", d / "sub/../in.wav" }; },
          "is the input file", "in.wav", false },
        { "OUT is IN through a symbolic link", [] (Dir d) { writeInput (d); fs::create_symlink (d / "in.wav", d / "link.wav"); return Words { d / "in.wav", d / "link.wav" }; },
          "is the input file", "in.wav", false },
        { "OUT is IN through a hard link", [] (Dir d) { writeInput (d); fs::create_hard_link (d / "in.wav", d / "same.wav"); return Words { d / "in.wav", d / "same.wav" }; },
          "is the input file", "in.wav", false },
        { "OUT in a missing directory", [] (Dir d) { writeInput (d); return Words { d / "in.wav", d / "nowhere/out.wav" }; },
          "nowhere' does not exist", "in.wav", false },
        { "OUT below a file", [] (Dir d) { writeInput (d); return Words { d / "in.wav", d / "in.wav/out.wav" }; },
          "is not a directory", "in.wav", false },
        { "OUT is a directory", [] (Dir d) { writeInput (d); fs::create_directory (d / "dir.wav"); return Words { d / "in.wav", d / "dir.wav" }; },
          "dir.wav': it is a directory", "in.wav", false },
        { "OUT on a file system that takes no files", [] (Dir d) { writeInput (d); return Words { d / "in.wav", "/proc/corvane-render-test.wav" }; },
          "cannot write '/proc/corvane-render-test.wav'", "in.wav", false },
        { "spectrogram in a missing directory", [] (Dir d) { writeInput (d); return Words { "--spectrogram", d / "nowhere/s.png", d / "in.wav", d / "out.wav" }; },
          "cannot write '" },
        { "save-state over the input", [] (Dir d) { writeInput (d); return Words { "--save-state", d / "in.wav", d / "in.wav", d / "out.wav" }; },
          "--save-state '" },
        { "state file missing", [] (Dir d) { writeInput (d); return Words { "--state", d / "none.bin", d / "in.wav", d / "out.wav" }; },
          "cannot read state file '" },
        { "state file from something else", [] (Dir d) { writeInput (d); writeBytes (d / "s.bin", "<MYPLUGINSETTINGS/>"); return Words { "--state", d / "s.bin", d / "in.wav", d / "out.wav" }; },
          "s.bin' is not a TarnwickCorvane state file" },
        { "state file damaged", [] (Dir d)
          {
              writeInput (d);
              const auto block = corvane::StateContainer::wrap ("<MYPLUGINSETTINGS parameter1=\"0.5\"");
              writeBytes (d / "s.bin", std::string (static_cast<const char*> (block.getData()), block.getSize()));
              return Words { "--state", d / "s.bin", d / "in.wav", d / "out.wav" };
          },
          "s.bin' is damaged or not from this plug-in: the plug-in refuses it" },
    };
}

void expectRefused (const ErrorCase& c, const ScratchDirectory& dir, const std::vector<std::string>& arguments)
{
    const auto before = dir.listing();
    const auto protectedPath = dir / c.protectedName;
    const auto protectedBytes = fs::exists (protectedPath) ? readBytes (protectedPath) : std::string();

    const auto result = runRenderer (arguments);

    EXPECT_EQ (result.status, 2);
    EXPECT_NE (result.err.find (c.message), std::string::npos) << "stderr: " << result.err;
    EXPECT_EQ (result.err.rfind ("corvane-render: ", 0), 0u) << "stderr: " << result.err;
    EXPECT_EQ (std::count (result.err.begin(), result.err.end(), '\n'), 1) << "stderr: " << result.err;
    EXPECT_EQ (result.out, "");
    EXPECT_EQ (dir.listing(), before) << "a file appeared or vanished";
    if (! protectedBytes.empty())
    {
        EXPECT_EQ (readBytes (protectedPath), protectedBytes) << c.protectedName << " changed";
    }
}

TEST (RendererErrors, RefusedWithExitStatus2AndNothingWritten)
{
    for (const auto& c : errorCases())
    {
        SCOPED_TRACE (c.why);
        {
            ScratchDirectory dir;
            expectRefused (c, dir, c.arguments (dir));
        }
        if (c.canPreexist)
        {
            // Again with an older OUT in place: it must come through untouched.
            ScratchDirectory dir;
            const auto arguments = c.arguments (dir);
            writeBytes (dir / c.protectedName, "an older render, to be kept");
            expectRefused (c, dir, arguments);
        }
    }
    EXPECT_FALSE (fs::exists ("/proc/corvane-render-test.wav"));
}

TEST (RendererErrors, InterruptedRenderLeavesNothing)
{
    // A render long enough to be caught in the middle: 20 s of input.
    ScratchDirectory dir;
    writeFloatWav (dir / "in.wav", testPhrase (48000, 20.0), 48000);
    writeBytes (dir / "out.wav", "an older render, to be kept");
    const auto before = dir.listing();

    RendererProcess renderer ({ "--tail", "0", "--spectrogram", dir / "s.png", dir / "in.wav", dir / "out.wav" });
    ASSERT_GT (renderer.getPid(), 0);
    // Once the temporary files exist the render is under way.
    for (int i = 0; i < 2000 && dir.listing().size() == before.size(); ++i)
        ::usleep (1000);
    ::kill (renderer.getPid(), SIGINT);
    const auto result = renderer.finish();

    if (result.status == 0)
        GTEST_SKIP() << "the render finished before the interrupt arrived";
    EXPECT_EQ (result.status, 130) << result.err;
    EXPECT_NE (result.err.find ("interrupted"), std::string::npos) << result.err;
    EXPECT_EQ (dir.listing(), before);
    EXPECT_EQ (readBytes (dir / "out.wav"), "an older render, to be kept");
}

} // namespace
} // namespace corvane::render::test
