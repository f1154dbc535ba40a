#include "processor/TarnwickCorvane.h"

#include "editor/TarnwickCorvaneEditor.h"
#include "engine/TailEstimate.h"
#include "processor/CorvaneParameter.h"
#include "processor/FactoryPrograms.h"
#include "processor/NumberText.h"
#include "processor/StateContainer.h"

#include <cmath>

using namespace corvane;

namespace
{
bool isParameterIndex (int index) { return index >= 0 && index < numParameters; }
bool isProgramIndex (int index) { return index >= 0 && index < TarnwickCorvane::numPrograms; }
} // namespace

//==============================================================================
// Change messages and host notifications must come from the message thread;
// the audio thread (and any other) only raises flags, which a timer turns
// into messages there.
class TarnwickCorvane::MessageThreadNotifier : private juce::Timer
{
public:
    explicit MessageThreadNotifier (TarnwickCorvane& processor) : owner (processor) { startTimerHz (30); }
    ~MessageThreadNotifier() override { stopTimer(); }

    void changeRequested()
    {
        if (onMessageThread())
            owner.sendChangeMessage();
        else
            changePending = true;
    }

    void hostValuesChanged (juce::uint32 indexMask)
    {
        if (onMessageThread())
            tellHost (indexMask);
        else
            hostMask.fetch_or (indexMask);
    }

private:
    static bool onMessageThread()
    {
        auto* mm = juce::MessageManager::getInstanceWithoutCreating();
        return mm != nullptr && mm->isThisTheMessageThread();
    }

    void tellHost (juce::uint32 indexMask)
    {
        for (int i = 0; i < numParameters; ++i)
            if ((indexMask & (1u << i)) != 0)
                owner.parameterObjects[(size_t) i]->sendValueChangedMessageToListeners (owner.getParameter (i));
    }

    void timerCallback() override
    {
        if (changePending.exchange (false))
            owner.sendChangeMessage();
        if (const auto mask = hostMask.exchange (0); mask != 0)
            tellHost (mask);
    }

    TarnwickCorvane& owner;
    std::atomic<bool> changePending { false };
    std::atomic<juce::uint32> hostMask { 0 };
};

//==============================================================================
TarnwickCorvane::TarnwickCorvane()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      clock ([] { return juce::Time::getMillisecondCounter(); })
{
    // The engine is built for 44.1 kHz; the host's rate replaces 48 kHz at
    // its first preparation or block.
    engine.setSampleRate (48000);

    for (int i = 0; i < numParameters; ++i)
    {
        requested[(size_t) i].store (engine.getParameter (i));
        pending[(size_t) i].store (false);
    }

    const auto bank = StateContainer::wrap (factoryProgramsDocument);
    loadProgramBank (bank.getData(), bank.getSize());

    for (int i = 0; i < numParameters; ++i)
    {
        auto parameter = std::make_unique<CorvaneParameter> (*this, i);
        parameterObjects[(size_t) i] = parameter.get();
        addParameter (parameter.release());
    }

    notifier = std::make_unique<MessageThreadNotifier> (*this);

    // Every control to its default; the current program (0) takes them over.
    for (int i = 0; i < numParameters; ++i)
        setParameter (i, engine.normalisedDefault (i));
    applyPendingChanges();

    uiWidth = defaultUiWidth;
    uiHeight = defaultUiHeight;
}

TarnwickCorvane::~TarnwickCorvane()
{
    notifier.reset();
}

//==============================================================================
float TarnwickCorvane::getParameter (int index) const
{
    return isParameterIndex (index) ? currentSlot().values[(size_t) index].load() : 0.0f;
}

juce::String TarnwickCorvane::getParameterText (int index) const
{
    return NumberText::twoDecimals (getParameter (index));
}

juce::String TarnwickCorvane::getParameterName (int index) const
{
    return isParameterIndex (index) ? juce::String (parameterIds[index]) : juce::String();
}

float TarnwickCorvane::getParameterDefaultValue (int index) const
{
    return isParameterIndex (index) ? engine.normalisedDefault (index) : 0.0f;
}

void TarnwickCorvane::setParameter (int index, float value)
{
    // From the host, the editor or a project: a value that is not finite is
    // ignored, anything else is held to 0..1 so no control leaves its range.
    if (! isParameterIndex (index) || ! std::isfinite (value))
        return;

    if (requestValue (index, juce::jlimit (0.0f, 1.0f, value)))
        notifyChange();
}

bool TarnwickCorvane::requestValue (int index, float value)
{
    auto& target = requested[(size_t) index];
    if (value == target.load())
        return false;

    target.store (value);
    pending[(size_t) index].store (true);
    currentSlot().values[(size_t) index].store (value);
    return true;
}

void TarnwickCorvane::applyPendingChanges() noexcept
{
    for (int i = 0; i < numParameters; ++i)
        if (pending[(size_t) i].exchange (false))
            engine.setParameter (i, requested[(size_t) i].load());

    if (resetPending.exchange (false))
        engine.clear();
    if (reseedPending.exchange (false))
        engine.reseed (reseedValue.load());
}

void TarnwickCorvane::notifyChange()
{
    ++changeMessages;
    if (notifier != nullptr)
        notifier->changeRequested();
}

std::array<float, numParameters> TarnwickCorvane::currentValues() const
{
    std::array<float, numParameters> values {};
    for (int i = 0; i < numParameters; ++i)
        values[(size_t) i] = getParameter (i);
    return values;
}

void TarnwickCorvane::notifyHostOfValues (const std::array<float, numParameters>& before)
{
    juce::uint32 mask = 0;
    for (int i = 0; i < numParameters; ++i)
        if (getParameter (i) != before[(size_t) i])
            mask |= 1u << i;
    if (mask != 0 && notifier != nullptr)
        notifier->hostValuesChanged (mask);
}

void TarnwickCorvane::reseed (juce::uint32 seed)
{
    reseedValue = seed;
    reseedPending = true;
}

int TarnwickCorvane::getModeNumber (int index) const
{
    const int count = index == reverbModeIndex ? 4 : index == shiftModeIndex ? 5 : 2;
    return modeNumber (getParameter (index), count);
}

//==============================================================================
bool TarnwickCorvane::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    // One main bus each way: mono or stereo in, stereo out, nothing disabled.
    if (layouts.inputBuses.size() != 1 || layouts.outputBuses.size() != 1)
        return false;
    const auto in = layouts.getMainInputChannelSet();
    const auto out = layouts.getMainOutputChannelSet();
    return out == juce::AudioChannelSet::stereo()
           && (in == juce::AudioChannelSet::mono() || in == juce::AudioChannelSet::stereo());
}

void TarnwickCorvane::setEngineSampleRate (double hostRate)
{
    // Checked as a double: converting NaN or a huge rate to an integer is undefined.
    if (! std::isfinite (hostRate) || hostRate < ReverbEngine::minSampleRate || hostRate > ReverbEngine::maxSampleRate)
        return;
    engine.setSampleRate (static_cast<int> (hostRate));
}

void TarnwickCorvane::prepareToPlay (double sampleRate, int)
{
    // Changes that arrived before go in first, as they would have at once;
    // then the rate change, so its reallocation happens here, not in audio.
    const juce::ScopedLock lock (getCallbackLock());
    applyPendingChanges();
    setEngineSampleRate (sampleRate);
}

void TarnwickCorvane::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    // Smoothers heading to 0 would otherwise settle on subnormal values.
    juce::ScopedNoDenormals noDenormals;

    applyPendingChanges();
    setEngineSampleRate (getSampleRate());

    if (buffer.getNumChannels() < 2 || getTotalNumOutputChannels() < 2)
    {
        buffer.clear();
        return;
    }

    const float* inLeft = buffer.getReadPointer (0);
    const float* inRight = getTotalNumInputChannels() >= 2 ? buffer.getReadPointer (1) : inLeft;
    engine.processSamples (inLeft, inRight, buffer.getWritePointer (0), buffer.getWritePointer (1), buffer.getNumSamples());
}

void TarnwickCorvane::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    // The engine does not run: its tail waits where it was.
    applyPendingChanges();
    if (buffer.getNumChannels() >= 2 && getTotalNumInputChannels() == 1)
        buffer.copyFrom (1, 0, buffer, 0, 0, buffer.getNumSamples());
}

void TarnwickCorvane::reset()
{
    resetPending = true;
}

double TarnwickCorvane::getTailLengthSeconds() const
{
    std::array<float, numParameters> values {};
    for (int i = 0; i < numParameters; ++i)
        values[(size_t) i] = requested[(size_t) i].load();
    return estimateTailSeconds (values);
}

juce::AudioProcessorEditor* TarnwickCorvane::createEditor()
{
    return new TarnwickCorvaneEditor (*this);
}

bool TarnwickCorvane::hasEditor() const
{
    return true;
}

//==============================================================================
void TarnwickCorvane::loadProgramBank (const void* data, size_t sizeInBytes)
{
    currentProgram = 0;

    const auto text = StateContainer::unwrap (data, sizeInBytes);
    if (! text)
        return;
    const auto root = parseXmlSubset (static_cast<const char*> (text->getData()), text->getSize());
    if (! root)
        return;
    const auto bank = readProgramBank (*root);
    if (! bank)
        return;

    currentProgram = bank->currentProgram.value_or (0);

    const juce::ScopedLock lock (programNameLock);
    for (size_t i = 0; i < bank->programs.size(); ++i)
    {
        programs[i].name = bank->programs[i].name;
        programs[i].setValues (bank->programs[i].values);
    }
}

void TarnwickCorvane::setCurrentProgram (int index)
{
    // A host that re-selects a program right after restoring a project must
    // not overwrite what it has just restored.
    if (hasRestored.load() && clock() - lastRestoreTime.load() < programChangeGuardMs)
        return;
    if (! isProgramIndex (index))
        return;

    const auto before = currentValues();

    // The mix in effect stays, and the new slot reports it.
    programs[(size_t) index].values[wetDryIndex].store (requested[wetDryIndex].load());
    currentProgram = index;
    for (int k = 1; k < numParameters; ++k)
        setParameter (k, programs[(size_t) index].values[(size_t) k].load());

    notifyChange();
    notifyHostOfValues (before);
}

const juce::String TarnwickCorvane::getProgramName (int index)
{
    if (! isProgramIndex (index))
        return "Invalid";
    const juce::ScopedLock lock (programNameLock);
    return programs[(size_t) index].name;
}

void TarnwickCorvane::changeProgramName (int index, const juce::String& newName)
{
    if (! isProgramIndex (index))
        return;
    const juce::ScopedLock lock (programNameLock);
    programs[(size_t) index].name = newName;
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new TarnwickCorvane();
}
