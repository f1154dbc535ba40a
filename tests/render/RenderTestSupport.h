#pragma once

// Shared by the renderer's tests: a scratch directory, test signals written
// as WAV files of any rate and channel count, the renderer run as a child
// process, and its output read back.

#include <juce_audio_formats/juce_audio_formats.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <functional>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace corvane::render::test
{
namespace fs = std::filesystem;

// A fresh directory per test, removed afterwards.
class ScratchDirectory
{
public:
    ScratchDirectory()
    {
        static int counter = 0;
        path = fs::temp_directory_path() / ("corvane-render-test-" + std::to_string (::getpid()) + "-" + std::to_string (++counter));
        fs::remove_all (path);
        fs::create_directories (path);
    }
    ~ScratchDirectory() { fs::remove_all (path); }

    std::string operator/ (const std::string& name) const { return (path / name).string(); }
    const fs::path& get() const { return path; }

    // Every name below the directory, for "nothing appeared" checks.
    std::set<std::string> listing() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator (path))
            names.insert (fs::relative (entry.path(), path).string());
        return names;
    }

private:
    fs::path path;
};

using Channels = std::vector<std::vector<float>>;

// A WAV file of 32-bit float samples, written by hand so that any rate and
// channel count can be made (including the ones the renderer must refuse).
inline void writeFloatWav (const std::string& path, const Channels& channels, std::uint32_t sampleRate)
{
    const auto numChannels = (std::uint16_t) channels.size();
    const auto frames = (std::uint32_t) (channels.empty() ? 0 : channels[0].size());
    const std::uint32_t dataBytes = frames * numChannels * 4;

    std::ofstream out (path, std::ios::binary);
    const auto u32 = [&] (std::uint32_t v) { for (int i = 0; i < 4; ++i) out.put ((char) ((v >> (8 * i)) & 0xff)); };
    const auto u16 = [&] (std::uint16_t v) { out.put ((char) (v & 0xff)); out.put ((char) (v >> 8)); };
    out.write ("RIFF", 4);
    u32 (36 + dataBytes);
    out.write ("WAVEfmt ", 8);
    u32 (16);
    u16 (3); // IEEE float
    u16 (numChannels);
    u32 (sampleRate);
    u32 (sampleRate * numChannels * 4);
    u16 ((std::uint16_t) (numChannels * 4));
    u16 (32);
    out.write ("data", 4);
    u32 (dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i)
        for (const auto& channel : channels)
            out.write (reinterpret_cast<const char*> (&channel[i]), 4);
}

// One second of a test phrase: a decaying chord and a noise burst, with
// different material on the two sides.
inline Channels testPhrase (int sampleRate = 48000, double seconds = 1.0)
{
    const auto length = (size_t) (seconds * sampleRate);
    Channels channels (2, std::vector<float> (length));
    juce::Random random (17);
    for (size_t i = 0; i < length; ++i)
    {
        const double t = (double) i / sampleRate;
        const double chord = 0.2 * (std::sin (2 * M_PI * 220 * t) + std::sin (2 * M_PI * 277.2 * t)) * std::exp (-3 * t);
        const double burst = (t > 0.5 && t < 0.52) ? 0.5 : 0.0;
        channels[0][i] = (float) (chord + burst * (random.nextFloat() - 0.5f));
        channels[1][i] = (float) (0.7 * chord + burst * (random.nextFloat() - 0.5f));
    }
    return channels;
}

struct AudioFile
{
    int numChannels = 0, bitsPerSample = 0;
    bool isFloat = false;
    double sampleRate = 0.0;
    Channels channels;
    size_t length() const { return channels.empty() ? 0 : channels[0].size(); }
};

inline AudioFile readAudio (const std::string& path)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (juce::File (path)));
    AudioFile file;
    if (reader == nullptr)
    {
        ADD_FAILURE() << "cannot read " << path;
        return file;
    }
    file.numChannels = (int) reader->numChannels;
    file.bitsPerSample = (int) reader->bitsPerSample;
    file.isFloat = reader->usesFloatingPointData;
    file.sampleRate = reader->sampleRate;
    juce::AudioBuffer<float> buffer (file.numChannels, (int) reader->lengthInSamples);
    reader->read (&buffer, 0, buffer.getNumSamples(), 0, true, true);
    for (int c = 0; c < file.numChannels; ++c)
        file.channels.emplace_back (buffer.getReadPointer (c), buffer.getReadPointer (c) + buffer.getNumSamples());
    return file;
}

inline std::string readBytes (const std::string& path)
{
    std::ifstream in (path, std::ios::binary);
    return { std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char>() };
}

inline void writeBytes (const std::string& path, const std::string& bytes)
{
    std::ofstream out (path, std::ios::binary);
    out << bytes;
}

struct RunResult
{
    int status = -1;
    std::string out, err;
};

// The built corvane-render started with `arguments`, stdout and stderr going
// to files; finish() waits for it.
class RendererProcess
{
public:
    explicit RendererProcess (const std::vector<std::string>& arguments)
    {
        static int counter = 0;
        const auto base = fs::temp_directory_path() / ("corvane-render-run-" + std::to_string (::getpid()) + "-" + std::to_string (++counter));
        outPath = base.string() + ".out";
        errPath = base.string() + ".err";

        std::vector<std::string> words { CORVANE_RENDER_EXECUTABLE };
        words.insert (words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& word : words)
            argv.push_back (word.data());
        argv.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen (&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn (&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy (&actions);
    }

    ~RendererProcess()
    {
        if (pid > 0)
            finish();
    }

    pid_t getPid() const { return pid; }

    RunResult finish()
    {
        RunResult result;
        if (pid > 0)
        {
            int status = 0;
            ::waitpid (pid, &status, 0);
            result.status = WIFEXITED (status) ? WEXITSTATUS (status) : 128 + WTERMSIG (status);
            pid = -1;
        }
        result.out = readBytes (outPath);
        result.err = readBytes (errPath);
        fs::remove (outPath);
        fs::remove (errPath);
        return result;
    }

private:
    pid_t pid = -1;
    std::string outPath, errPath;
};

inline RunResult runRenderer (const std::vector<std::string>& arguments)
{
    return RendererProcess (arguments).finish();
}

inline double peakOf (const Channels& channels)
{
    double peak = 0.0;
    for (const auto& channel : channels)
        for (const float s : channel)
            peak = std::max (peak, (double) std::abs (s));
    return peak;
}

} // namespace corvane::render::test
