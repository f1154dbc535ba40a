#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The editor's knob: a juce::Slider with its own position mapping and a
// conversion to and from the processor's normalised 0..1 parameter values.
//
// The mapping uses the slider's skew factor as an exponent, either one-sided
// (from the minimum) or bipolar (mirrored about zero, for ranges -max..max).
// With the default skew factor of 1 both are the plain linear map.
class TarnwickSlider : public juce::Slider
{
public:
    enum class Skew
    {
        oneSided,
        bipolar
    };

    explicit TarnwickSlider (const juce::String& componentName, Skew skewToUse = Skew::oneSided);
    ~TarnwickSlider() override;

    // Sets the knob from a normalised value, linearly over the range whatever
    // the skew; the slider then snaps to its step and limits to its range.
    void setNormalisedValue (double normalised, bool notify);
    double getNormalisedValue() const;

    double proportionOfLengthToValue (double proportion) override;
    double valueToProportionOfLength (double value) override;

    Skew getSkew() const noexcept { return skew; }

private:
    const Skew skew;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TarnwickSlider)
};
