#include "processor/CorvaneParameter.h"

#include "processor/NumberText.h"
#include "processor/TarnwickCorvane.h"

#include <cmath>

namespace corvane
{

const char* const parameterIds[12] = { "wetDry",  "shift",  "feedback", "diffusion",  "size",      "lowCut",
                                       "highCut", "modRate", "modDepth", "reverbMode", "shiftMode", "colorMode" };

namespace
{
    float sanitised (float value) { return std::isfinite (value) ? juce::jlimit (0.0f, 1.0f, value) : 0.0f; }
} // namespace

CorvaneParameter::CorvaneParameter (TarnwickCorvane& ownerToUse, int parameterIndex)
    : juce::AudioProcessorParameterWithID (juce::ParameterID { parameterIds[parameterIndex], 1 }, parameterIds[parameterIndex]),
      owner (ownerToUse),
      index (parameterIndex)
{
}

float CorvaneParameter::getValue() const { return owner.getParameter (index); }
void CorvaneParameter::setValue (float newValue) { owner.setParameter (index, newValue); }
float CorvaneParameter::getDefaultValue() const { return owner.getParameterDefaultValue (index); }

juce::String CorvaneParameter::getText (float value, int maximumStringLength) const
{
    return NumberText::twoDecimals (sanitised (value)).substring (0, juce::jmax (0, maximumStringLength));
}

float CorvaneParameter::getValueForText (const juce::String& text) const
{
    return sanitised ((float) text.getDoubleValue());
}

} // namespace corvane
