#include "Renderer.h"

#include "DemoPhrase.h"
#include "PendingFile.h"
#include "Spectrogram.h"
#include "StateFile.h"

#include "processor/NumberText.h"
#include "processor/TarnwickCorvane.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <chrono>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <sys/stat.h>

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter();

namespace corvane::render
{
namespace
{
namespace fs = std::filesystem;

// Thrown to end a command with a message; caught once, in runRenderer.
struct Failure
{
    int status;
    std::string message;
};

[[noreturn]] void refuse (std::string message) { throw Failure { exitRefused, std::move (message) }; }
[[noreturn]] void failPartWay (std::string message) { throw Failure { exitFailedPartWay, std::move (message) }; }

std::string inQuotes (const std::string& text) { return "'" + text + "'"; }

// The auto tail ends once the output has stayed below -90 dBFS for 100 ms,
// and after 30 s whatever happens (feedback at 1 rings for ever).
constexpr double silenceThreshold = 3.1622776e-5; // -90 dBFS
constexpr double silenceSeconds = 0.1;
constexpr double maxAutoTailSeconds = 30.0;

// Audio is read and written in chunks of about this many samples, whatever
// the host buffer size, so that tiny buffers do not mean tiny file accesses.
constexpr int chunkSamples = 16384;

double toDb (double amplitude) { return amplitude > 0.0 ? 20.0 * std::log10 (amplitude) : -HUGE_VAL; }

std::string formatDb (double amplitude)
{
    if (amplitude <= 0.0)
        return "-inf dBFS";
    std::ostringstream text;
    text << std::fixed << std::setprecision (1) << toDb (amplitude) << " dBFS";
    return text.str();
}

std::string fixed (double value, int decimals)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision (decimals) << value;
    return text.str();
}

std::string rateText (double hz)
{
    return hz == std::floor (hz) ? std::to_string ((long long) hz) : fixed (hz, 2);
}

bool cancelled (const Console& console) { return console.cancel != nullptr && console.cancel->load(); }

//==============================================================================
// The plug-in as a host holds it: made by the plug-in's own factory, its
// bus layout chosen for the input, restored and set up before playback.
class OfflineHost
{
public:
    OfflineHost()
    {
        std::unique_ptr<juce::AudioProcessor> made (createPluginFilter());
        processor.reset (dynamic_cast<TarnwickCorvane*> (made.get()));
        if (processor == nullptr)
            throw Failure { exitFailedPartWay, "the plug-in factory did not make a TarnwickCorvane" };
        made.release();

        // The program-change guard after a restore protects a project from a
        // host re-selecting programs; our own --preset after --state is the
        // user's wish, so the renderer owns the clock and moves it past the guard.
        processor->setClock ([this] { return now; });
    }

    TarnwickCorvane& plugin() { return *processor; }

    std::vector<std::string> programNames()
    {
        std::vector<std::string> names;
        for (int i = 0; i < processor->getNumPrograms(); ++i)
            names.push_back (processor->getProgramName (i).toStdString());
        return names;
    }

    std::vector<std::string> parameterNames()
    {
        std::vector<std::string> names;
        for (int i = 0; i < processor->getParameters().size(); ++i)
            names.push_back (processor->getParameterName (i).toStdString());
        return names;
    }

    void setInputChannels (int numChannels)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo());
        layout.outputBuses.add (juce::AudioChannelSet::stereo());
        if (! processor->setBusesLayout (layout))
            throw Failure { exitFailedPartWay, "the plug-in refused a " + std::string (numChannels == 1 ? "mono" : "stereo") + "-in, stereo-out layout" };
    }

    // State first, then the preset, then the settings in order, as asked.
    void applySettings (const std::vector<char>* state, const ResolvedSettings& settings, std::optional<std::uint32_t> seed)
    {
        if (state != nullptr)
        {
            processor->setStateInformation (state->data(), (int) state->size());
            now += TarnwickCorvane::programChangeGuardMs;
        }
        if (settings.program)
            processor->setCurrentProgram (*settings.program);
        for (const auto& [index, value] : settings.values)
            processor->setParameter (index, value);
        if (seed)
            processor->reseed (*seed);
    }

    void prepare (double sampleRate, int blockSize)
    {
        processor->setNonRealtime (true);
        processor->setRateAndBufferSizeDetails (sampleRate, blockSize);
        processor->prepareToPlay (sampleRate, blockSize);
    }

    void process (juce::AudioBuffer<float>& buffer) { processor->processBlock (buffer, midi); }

    ~OfflineHost()
    {
        if (processor != nullptr)
            processor->releaseResources();
    }

private:
    std::unique_ptr<TarnwickCorvane> processor;
    juce::MidiBuffer midi;
    juce::uint32 now = 0;
};

//==============================================================================
struct InputFile
{
    std::unique_ptr<juce::AudioFormatReader> reader;
    int numChannels = 0;
    double sampleRate = 0.0;
    juce::int64 length = 0;
};

InputFile openInput (const std::string& path)
{
    const auto name = inQuotes (path);
    struct stat info {};
    if (::stat (path.c_str(), &info) != 0)
        refuse ("cannot read " + name + ": " + std::strerror (errno));
    if (S_ISDIR (info.st_mode))
        refuse ("cannot read " + name + ": it is a directory");
    if (std::ifstream probe (path, std::ios::binary); ! probe)
        refuse ("cannot read " + name + ": " + std::strerror (errno));

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    InputFile input;
    input.reader.reset (formats.createReaderFor (juce::File (juce::File::getCurrentWorkingDirectory().getChildFile (path))));
    if (input.reader == nullptr)
        refuse (name + " is not a WAV, AIFF or FLAC file that can be read (unsupported or damaged)");

    input.numChannels = (int) input.reader->numChannels;
    input.sampleRate = input.reader->sampleRate;
    input.length = input.reader->lengthInSamples;
    if (input.numChannels < 1 || input.numChannels > 2)
        refuse (name + " has " + std::to_string (input.numChannels) + " channels: only mono and stereo files can be rendered");
    if (! (input.sampleRate >= ReverbEngine::minSampleRate && input.sampleRate <= ReverbEngine::maxSampleRate))
        refuse (name + " has a sample rate of " + rateText (input.sampleRate) + " Hz: the plug-in runs at 8000 to 384000 Hz");
    if (input.length < 0)
        refuse (name + " is damaged: it gives a negative length");
    return input;
}

//==============================================================================
struct RenderJob
{
    std::string inputPath, outputPath, spectrogramPath, saveStatePath;
    const std::vector<char>* state = nullptr;
    ResolvedSettings settings;
    std::optional<std::uint32_t> seed;
    int blockSize = RenderOptions::defaultBlockSize;
    std::optional<double> tailSeconds;
    bool floatOutput = false;
    bool printSummary = true;
};

struct RenderSummary
{
    double sampleRate = 0.0;
    juce::int64 inputSamples = 0, outputSamples = 0;
    double peak = 0.0, rms = 0.0;
    double wallSeconds = 0.0;

    double inputSeconds() const { return (double) inputSamples / sampleRate; }
    double outputSeconds() const { return (double) outputSamples / sampleRate; }
    double tailSeconds() const { return (double) (outputSamples - inputSamples) / sampleRate; }
    double realtimeFactor() const { return wallSeconds > 0.0 ? outputSeconds() / wallSeconds : 0.0; }
};

class Progress
{
public:
    Progress (const Console& c, double total) : console (c), totalSeconds (total) {}

    void update (double doneSeconds, bool inTail)
    {
        if (! console.showProgress)
            return;
        const auto now = std::chrono::steady_clock::now();
        // Short renders stay quiet; long ones update a few times a second.
        if (now - start < std::chrono::milliseconds (500) || now - lastShown < std::chrono::milliseconds (200))
            return;
        lastShown = now;
        shown = true;
        if (inTail)
            console.err << "\rrendering: tail " << fixed (doneSeconds - totalSeconds, 1) << " s\033[K" << std::flush;
        else
            console.err << "\rrendering: " << (int) (100.0 * doneSeconds / std::max (totalSeconds, 1e-9)) << "% ("
                        << fixed (doneSeconds, 1) << " of " << fixed (totalSeconds, 1) << " s)\033[K" << std::flush;
    }

    // Clears the progress line, so that what follows starts on a clean one.
    void finish()
    {
        if (shown)
            console.err << "\r\033[K" << std::flush;
        shown = false;
    }

    ~Progress() { finish(); }

private:
    const Console& console;
    double totalSeconds;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now(), lastShown {};
    bool shown = false;
};

std::unique_ptr<PendingFile> reserve (const std::string& path)
{
    std::string error;
    auto file = PendingFile::create (path, error);
    if (file == nullptr)
        refuse (error);
    return file;
}

void checkDistinct (const RenderJob& job)
{
    if (isSameFile (job.inputPath, job.outputPath))
        refuse ("OUT " + inQuotes (job.outputPath) + " is the input file: rendering would overwrite it");

    const std::vector<std::pair<const char*, std::string>> others { { "--spectrogram", job.spectrogramPath },
                                                                    { "--save-state", job.saveStatePath } };
    for (const auto& [option, path] : others)
    {
        if (path.empty())
            continue;
        if (isSameFile (path, job.inputPath))
            refuse (std::string (option) + " " + inQuotes (path) + " is the input file");
        if (isSameFile (path, job.outputPath))
            refuse (std::string (option) + " " + inQuotes (path) + " is the output file");
    }
    if (! job.spectrogramPath.empty() && ! job.saveStatePath.empty() && isSameFile (job.spectrogramPath, job.saveStatePath))
        refuse ("--spectrogram and --save-state name the same file");
}

RenderSummary render (const RenderJob& job, const Console& console)
{
    // Everything that can be refused is checked before any audio runs.
    auto input = openInput (job.inputPath);
    checkDistinct (job);

    auto pendingOutput = reserve (job.outputPath);
    auto pendingPicture = job.spectrogramPath.empty() ? nullptr : reserve (job.spectrogramPath);
    auto pendingState = job.saveStatePath.empty() ? nullptr : reserve (job.saveStatePath);

    OfflineHost host;
    host.setInputChannels (input.numChannels);
    host.applySettings (job.state, job.settings, job.seed);
    host.prepare (input.sampleRate, job.blockSize);

    const auto startTime = std::chrono::steady_clock::now();

    if (pendingState != nullptr)
    {
        juce::MemoryBlock state;
        host.plugin().getStateInformation (state);
        std::ofstream file (pendingState->getTemporaryPath(), std::ios::binary | std::ios::trunc);
        file.write (static_cast<const char*> (state.getData()), (std::streamsize) state.getSize());
        file.close();
        if (! file)
            failPartWay ("cannot write " + inQuotes (job.saveStatePath));
    }

    const int bitsPerSample = job.floatOutput ? 32 : 24;
    std::unique_ptr<juce::AudioFormatWriter> writer;
    {
        auto stream = std::make_unique<juce::FileOutputStream> (juce::File (pendingOutput->getTemporaryPath()));
        if (! stream->openedOk())
            failPartWay ("cannot write " + inQuotes (job.outputPath) + ": " + stream->getStatus().getErrorMessage().toStdString());
        juce::WavAudioFormat wav;
        writer.reset (wav.createWriterFor (stream.get(), input.sampleRate, 2, bitsPerSample, {}, 0));
        if (writer == nullptr)
            failPartWay ("cannot write " + inQuotes (job.outputPath) + " as a " + std::to_string (bitsPerSample) + "-bit WAV");
        stream.release(); // the writer owns it now
    }

    std::optional<Spectrogram> spectrogram;
    if (pendingPicture != nullptr)
        spectrogram.emplace (input.sampleRate);

    const int blockSize = job.blockSize;
    const int chunk = std::max (1, chunkSamples / blockSize) * blockSize;
    juce::AudioBuffer<float> inputChunk (input.numChannels, chunk);
    juce::AudioBuffer<float> outputChunk (2, chunk);
    juce::AudioBuffer<float> hostBuffer (2, blockSize);

    const auto inputLength = input.length;
    const auto explicitTail = job.tailSeconds ? (juce::int64) std::llround (*job.tailSeconds * input.sampleRate) : -1;
    const auto maxTail = (juce::int64) std::llround (maxAutoTailSeconds * input.sampleRate);
    const auto quietNeeded = (juce::int64) std::llround (silenceSeconds * input.sampleRate);
    // The length is known in advance with --tail; otherwise the tail decides.
    juce::int64 endSample = explicitTail >= 0 ? inputLength + explicitTail : inputLength + maxTail;
    juce::int64 quietRun = 0;

    RenderSummary summary;
    summary.sampleRate = input.sampleRate;
    summary.inputSamples = inputLength;
    double sumOfSquares = 0.0;
    Progress progress (console, (double) inputLength / input.sampleRate);

    for (juce::int64 position = 0; position < endSample;)
    {
        if (cancelled (console))
            throw Failure { exitInterrupted, "interrupted: the unfinished output was discarded" };

        // Whole host buffers always: the last one of the input is padded
        // with silence and the output cut where the render ends.
        inputChunk.clear();
        if (position < inputLength
            && ! input.reader->read (&inputChunk, 0, (int) std::min<juce::int64> (chunk, inputLength - position), position, true, true))
            failPartWay ("reading " + inQuotes (job.inputPath) + " failed part-way");

        int produced = 0;
        for (int offset = 0; offset < chunk && position + produced < endSample; offset += blockSize)
        {
            hostBuffer.clear();
            for (int c = 0; c < input.numChannels; ++c)
                hostBuffer.copyFrom (c, 0, inputChunk, c, offset, blockSize);
            host.process (hostBuffer);

            const float* left = hostBuffer.getReadPointer (0);
            const float* right = hostBuffer.getReadPointer (1);
            int keep = (int) std::min<juce::int64> (blockSize, endSample - (position + produced));
            for (int i = 0; i < keep; ++i)
            {
                const juce::int64 sample = position + produced + i;
                const double l = left[i], r = right[i];
                const double magnitude = std::max (std::abs (l), std::abs (r));
                summary.peak = std::max (summary.peak, magnitude);
                sumOfSquares += l * l + r * r;

                // After the input, the output is the reverb's alone.
                if (explicitTail < 0 && sample >= inputLength)
                {
                    quietRun = magnitude < silenceThreshold ? quietRun + 1 : 0;
                    if (quietRun >= quietNeeded)
                    {
                        endSample = sample + 1;
                        keep = i + 1;
                        break;
                    }
                }
            }
            outputChunk.copyFrom (0, produced, hostBuffer, 0, 0, keep);
            outputChunk.copyFrom (1, produced, hostBuffer, 1, 0, keep);
            produced += keep;
        }

        if (! writer->writeFromAudioSampleBuffer (outputChunk, 0, produced))
            failPartWay ("writing " + inQuotes (job.outputPath) + " failed (is the disk full?)");
        if (spectrogram)
            spectrogram->addSamples (outputChunk.getReadPointer (0), outputChunk.getReadPointer (1), produced);

        position += produced;
        summary.outputSamples = position;
        progress.update ((double) position / input.sampleRate, position > inputLength);
    }

    progress.finish();
    writer.reset(); // completes the header and closes the file
    const auto expectedBytes = (std::uintmax_t) summary.outputSamples * 2 * (std::uintmax_t) (bitsPerSample / 8);
    std::error_code sizeError;
    if (fs::file_size (pendingOutput->getTemporaryPath(), sizeError) < expectedBytes || sizeError)
        failPartWay ("writing " + inQuotes (job.outputPath) + " failed (is the disk full?)");

    if (spectrogram)
        if (const auto error = writePng (spectrogram->createImage(), pendingPicture->getTemporaryPath()); ! error.empty())
            failPartWay ("cannot write " + inQuotes (job.spectrogramPath) + ": " + error);

    if (cancelled (console))
        throw Failure { exitInterrupted, "interrupted: the unfinished output was discarded" };

    for (auto* pending : { pendingPicture.get(), pendingState.get(), pendingOutput.get() })
        if (pending != nullptr)
            if (const auto error = pending->commit(); ! error.empty())
                failPartWay (error);

    summary.rms = summary.outputSamples > 0 ? std::sqrt (sumOfSquares / (2.0 * (double) summary.outputSamples)) : 0.0;
    summary.wallSeconds = std::chrono::duration<double> (std::chrono::steady_clock::now() - startTime).count();

    if (summary.peak > 1.0 && ! job.floatOutput)
        console.err << "warning: the output peaks at " << formatDb (summary.peak) << " and was clipped in 24 bits; --float keeps it\n";

    if (job.printSummary)
        console.out << job.outputPath << ": " << fixed (summary.outputSeconds(), 2) << " s (" << fixed (summary.inputSeconds(), 2)
                    << " s input + " << fixed (summary.tailSeconds(), 2) << " s tail) at " << rateText (input.sampleRate)
                    << " Hz, " << (job.floatOutput ? "32-bit float" : "24-bit") << ", peak " << formatDb (summary.peak) << ", RMS "
                    << formatDb (summary.rms) << ", " << fixed (summary.realtimeFactor(), 1) << "x realtime\n";
    return summary;
}

//==============================================================================
ResolvedSettings resolve (const RenderOptions& options, OfflineHost& host)
{
    auto result = resolveNames (options, host.programNames(), host.parameterNames());
    if (! result.settings)
        refuse (result.error);
    return *result.settings;
}

std::optional<std::vector<char>> loadState (const RenderOptions& options)
{
    if (options.statePath.empty())
        return std::nullopt;
    auto result = readStateFile (options.statePath);
    if (! result.error.empty())
        refuse (result.error);
    return std::move (result.data);
}

void listPresets (Console& console)
{
    OfflineHost host;
    const auto names = host.programNames();
    for (size_t i = 0; i < names.size(); ++i)
        console.out << i << "  " << names[i] << "\n";
}

void listParameters (const RenderOptions& options, Console& console)
{
    OfflineHost host;
    const auto settings = resolve (options, host);
    const auto state = loadState (options);
    host.applySettings (state ? &*state : nullptr, settings, std::nullopt);

    auto& plugin = host.plugin();
    const auto names = host.parameterNames();
    size_t width = 4;
    for (const auto& name : names)
        width = std::max (width, name.size());

    console.out << std::left << std::setw ((int) width) << "name" << "  default  current\n";
    for (size_t i = 0; i < names.size(); ++i)
        console.out << std::left << std::setw ((int) width) << names[i] << "  " << std::setw (7)
                    << NumberText::twoDecimals (plugin.getParameterDefaultValue ((int) i)).toStdString() << "  "
                    << plugin.getParameterText ((int) i).toStdString() << "\n";
}

void writeDemoPhrase (const StereoSignal& phrase, const std::string& path)
{
    auto pending = reserve (path);
    {
        auto stream = std::make_unique<juce::FileOutputStream> (juce::File (pending->getTemporaryPath()));
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (stream->openedOk() ? wav.createWriterFor (stream.get(), phrase.sampleRate, 2, 32, {}, 0) : nullptr);
        if (writer == nullptr)
            failPartWay ("cannot write " + inQuotes (path));
        stream.release();
        const float* channels[] = { phrase.left.data(), phrase.right.data() };
        if (! writer->writeFromFloatArrays (channels, 2, (int) phrase.left.size()))
            failPartWay ("writing " + inQuotes (path) + " failed (is the disk full?)");
    }
    if (const auto error = pending->commit(); ! error.empty())
        failPartWay (error);
}

void runDemo (const RenderOptions& options, Console& console)
{
    constexpr int demoRate = 48000;
    const fs::path directory (options.demoDirectory);
    std::error_code ec;
    fs::create_directories (directory, ec);
    if (! fs::is_directory (directory))
        refuse ("cannot use " + inQuotes (options.demoDirectory) + " for the demo: "
                + (ec ? ec.message() : std::string ("it is not a directory")));

    OfflineHost names;
    const auto programNames = names.programNames();
    auto settings = resolve (options, names);

    const auto phrasePath = (directory / "demo-phrase.wav").string();
    writeDemoPhrase (synthesiseDemoPhrase (demoRate), phrasePath);
    console.out << "demo phrase: " << phrasePath << "\n\n";

    size_t nameWidth = 6;
    for (const auto& name : programNames)
        nameWidth = std::max (nameWidth, name.size() + 3);
    console.out << std::left << std::setw ((int) nameWidth) << "preset" << std::right << std::setw (11) << "peak dBFS"
                << std::setw (11) << "RMS dBFS" << std::setw (9) << "tail s" << std::setw (11) << "realtime" << "\n";

    for (size_t p = 0; p < programNames.size(); ++p)
    {
        const auto stem = (directory / (std::to_string (p) + "-" + programNames[p])).string();
        RenderJob job;
        job.inputPath = phrasePath;
        job.outputPath = stem + ".wav";
        job.spectrogramPath = stem + ".png";
        job.settings = settings;
        job.settings.program = (int) p;
        // A fixed seed unless asked otherwise, so the demo is the same every time.
        job.seed = options.seed.value_or (1);
        job.blockSize = options.blockSize;
        job.tailSeconds = options.tailSeconds;
        job.floatOutput = options.floatOutput;
        job.printSummary = false;
        const auto summary = render (job, console);

        console.out << std::left << std::setw ((int) nameWidth) << (std::to_string (p) + "  " + programNames[p]) << std::right
                    << std::setw (11) << fixed (toDb (summary.peak), 1) << std::setw (11) << fixed (toDb (summary.rms), 1)
                    << std::setw (9) << fixed (summary.tailSeconds(), 2) << std::setw (10) << fixed (summary.realtimeFactor(), 0) << "x\n";
    }
    console.out << "\nrenders and spectrograms in " << options.demoDirectory << "\n";
}

void renderFile (const RenderOptions& options, Console& console)
{
    OfflineHost names;
    RenderJob job;
    job.settings = resolve (options, names);
    const auto state = loadState (options);
    job.state = state ? &*state : nullptr;
    job.inputPath = options.inputPath;
    job.outputPath = options.outputPath;
    job.spectrogramPath = options.spectrogramPath;
    job.saveStatePath = options.saveStatePath;
    job.seed = options.seed;
    job.blockSize = options.blockSize;
    job.tailSeconds = options.tailSeconds;
    job.floatOutput = options.floatOutput;
    render (job, console);
}
} // namespace

int runRenderer (const RenderOptions& options, Console& console)
{
    try
    {
        switch (options.action)
        {
            case RenderOptions::Action::help: console.out << usageText(); break;
            case RenderOptions::Action::listPresets: listPresets (console); break;
            case RenderOptions::Action::listParameters: listParameters (options, console); break;
            case RenderOptions::Action::demo: runDemo (options, console); break;
            case RenderOptions::Action::render: renderFile (options, console); break;
        }
    }
    catch (const Failure& failure)
    {
        console.err << "corvane-render: " << failure.message << "\n";
        return failure.status;
    }
    return exitDone;
}

} // namespace corvane::render
