#pragma once

#include "engine/ReverbEngine.h"
#include "processor/ProgramBank.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>

namespace corvane
{
class CorvaneParameter;
}

// The plug-in as hosts see it: twelve parameters, eight programs, a saved
// state, and the reverb engine behind them.
//
// Threads: parameters, programs and state may be changed from any thread
// while audio runs. Such changes never touch the engine directly: they are
// stored in atomics and handed to the engine at the start of the next block
// callback, in index order, so the audio thread never waits and the engine is
// only ever used by one thread at a time.
class TarnwickCorvane : public juce::AudioProcessor,
                        public juce::ChangeBroadcaster
{
public:
    static constexpr int numPrograms = 8;
    static constexpr int defaultUiWidth = 694;
    static constexpr int defaultUiHeight = 275;
    static constexpr juce::uint32 programChangeGuardMs = 200;

    TarnwickCorvane();
    ~TarnwickCorvane() override;

    //==============================================================================
    const juce::String getName() const override { return "TarnwickCorvane"; }

    void prepareToPlay (double sampleRate, int estimatedSamplesPerBlock) override;
    void releaseResources() override {}
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;
    using juce::AudioProcessor::processBlockBypassed;
    void reset() override;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override { return numPrograms; }
    int getCurrentProgram() override { return currentProgram.load(); }
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;
    // True when setStateInformation would take these bytes; it ignores
    // anything else without a word, so tools check first to report a refusal.
    static bool isAcceptableState (const void* data, int sizeInBytes);

    //==============================================================================
    // Parameters by index 0..11, in normalised values. Other indices read 0,
    // name "" and write nothing.
    float getParameter (int index) const;
    void setParameter (int index, float value) override;
    juce::String getParameterText (int index) const;
    juce::String getParameterName (int index) const;
    float getParameterDefaultValue (int index) const;

    // Fills the program slots from a wrapped program-bank document.
    void loadProgramBank (const void* data, size_t sizeInBytes);

    int getUiWidth() const noexcept { return uiWidth.load(); }
    int getUiHeight() const noexcept { return uiHeight.load(); }
    juce::uint32 getLastRestoreTime() const noexcept { return lastRestoreTime.load(); }

    // The millisecond clock behind the program-change guard (tests replace it).
    void setClock (std::function<juce::uint32()> newClock) { clock = std::move (newClock); }
    // Restarts the engine's modulation from `seed`, for reproducible renders;
    // takes effect at the next block callback.
    void reseed (juce::uint32 seed);

    // The mode number the engine runs for mode parameter `index` (9..11).
    int getModeNumber (int index) const;

    // Change messages requested so far (each may be merged into one delivery).
    juce::uint64 getChangeMessageCount() const noexcept { return changeMessages.load(); }

private:
    class MessageThreadNotifier;

    corvane::ProgramSlot& currentSlot() noexcept { return programs[(size_t) currentProgram.load()]; }
    const corvane::ProgramSlot& currentSlot() const noexcept { return programs[(size_t) currentProgram.load()]; }

    // Hands a value to the engine (at the next block) and stores it in the
    // current slot; false when it equals what the engine already has.
    bool requestValue (int index, float value);
    void applyPendingChanges() noexcept;
    void setEngineSampleRate (double hostRate);
    void notifyChange();
    void notifyHostOfValues (const std::array<float, corvane::numParameters>& before);
    std::array<float, corvane::numParameters> currentValues() const;

    std::atomic<int> uiWidth { defaultUiWidth }, uiHeight { defaultUiHeight };
    std::atomic<juce::uint32> lastRestoreTime { 0 };
    std::atomic<bool> hasRestored { false };

    corvane::ReverbEngine engine;
    std::array<corvane::ProgramSlot, numPrograms> programs;
    std::atomic<int> currentProgram { 0 };
    juce::CriticalSection programNameLock;

    // The hand-off to the engine: the latest requested value per index and
    // whether it still has to be applied.
    std::array<std::atomic<float>, corvane::numParameters> requested;
    std::array<std::atomic<bool>, corvane::numParameters> pending;
    std::atomic<bool> resetPending { false };
    std::atomic<bool> reseedPending { false };
    std::atomic<juce::uint32> reseedValue { 0 };

    std::array<corvane::CorvaneParameter*, corvane::numParameters> parameterObjects {};
    std::function<juce::uint32()> clock;
    std::atomic<juce::uint64> changeMessages { 0 };
    std::unique_ptr<MessageThreadNotifier> notifier;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TarnwickCorvane)
};
