#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class TarnwickCorvane;

namespace corvane
{

// One of the twelve host parameters. It keeps no value of its own: reads and
// writes go to the processor's index operations.
class CorvaneParameter : public juce::AudioProcessorParameterWithID
{
public:
    CorvaneParameter (TarnwickCorvane& owner, int index);

    float getValue() const override;
    void setValue (float newValue) override;
    float getDefaultValue() const override;
    juce::String getText (float value, int maximumStringLength) const override;
    float getValueForText (const juce::String& text) const override;

    int getIndex() const noexcept { return index; }

private:
    TarnwickCorvane& owner;
    const int index;
};

// Host identifiers: stored in projects, never to change.
extern const char* const parameterIds[12];

} // namespace corvane
