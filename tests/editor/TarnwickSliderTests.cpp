// The knob's own position mapping and its normalised-value conversion.

#include "EditorRig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvane::test
{
namespace
{
TEST (TarnwickSlider, PositionMappingFollowsItsSkew)
{
    struct Case
    {
        const char* why;
        TarnwickSlider::Skew skew;
        double skewFactor, minimum, maximum;
        double proportion, value;
    };

    const auto oneSided = TarnwickSlider::Skew::oneSided;
    const auto bipolar = TarnwickSlider::Skew::bipolar;

    const Case cases[] = {
        { "factor 1 is linear", oneSided, 1.0, 10, 2000, 0.25, 507.5 },
        { "factor 1 ignores the bipolar mode", bipolar, 1.0, 10, 2000, 0.25, 507.5 },
        { "one-sided: p^(1/s) of the span", oneSided, 0.5, 10, 2000, 0.25, 10 + 1990 * 0.0625 },
        { "one-sided: the start stays the minimum", oneSided, 0.5, 10, 2000, 0.0, 10 },
        { "one-sided: the end stays the maximum", oneSided, 0.5, 10, 2000, 1.0, 2000 },
        { "bipolar: the middle is zero", bipolar, 2.0, -12, 12, 0.5, 0 },
        { "bipolar: the end is the maximum", bipolar, 2.0, -12, 12, 1.0, 12 },
        { "bipolar: the start is minus the maximum", bipolar, 2.0, -12, 12, 0.0, -12 },
        { "bipolar: above the middle", bipolar, 2.0, -12, 12, 0.75, 12 * std::sqrt (0.5) },
        { "bipolar: mirrored below it", bipolar, 2.0, -12, 12, 0.25, -12 * std::sqrt (0.5) },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.why);
        TarnwickSlider slider ("knob", c.skew);
        slider.setRange (c.minimum, c.maximum, 0.0);
        slider.setSkewFactor (c.skewFactor);

        EXPECT_NEAR (slider.proportionOfLengthToValue (c.proportion), c.value, 1e-9);
        EXPECT_NEAR (slider.valueToProportionOfLength (c.value), c.proportion, 1e-9);
    }
}

TEST (TarnwickSlider, NormalisedValuesMapLinearlyAndSnapToTheStep)
{
    struct Case
    {
        const char* why;
        double minimum, maximum, step, skewFactor;
        double normalised, value;
    };

    const Case cases[] = {
        { "low cut: 69.7 Hz snaps to 70", 10, 2000, 10, 1.0, 0.03, 70 },
        { "mod rate's knob starts at 0.1", 0.1, 5, 0.01, 1.0, 0.1, 0.59 },
        { "shift: the middle is 0", -12, 12, 0.01, 1.0, 0.5, 0 },
        { "linear whatever the skew", 0, 1, 0.0, 3.0, 0.25, 0.25 },
        { "above the range: held at the maximum", 0, 1, 0.01, 1.0, 1.5, 1 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.why);
        TarnwickSlider slider ("knob");
        slider.setRange (c.minimum, c.maximum, c.step);
        slider.setSkewFactor (c.skewFactor);
        slider.setNormalisedValue (c.normalised, false);
        EXPECT_NEAR (slider.getValue(), c.value, 1e-9);
        EXPECT_NEAR (slider.getNormalisedValue(), (c.value - c.minimum) / (c.maximum - c.minimum), 1e-12);
    }
}

struct CountingListener : juce::Slider::Listener
{
    void sliderValueChanged (juce::Slider*) override { ++changes; }
    int changes = 0;
};

TEST (TarnwickSlider, NotifiesListenersOnlyWhenAsked)
{
    TarnwickSlider slider ("5");
    slider.setRange (10, 2000, 10);
    CountingListener listener;
    slider.addListener (&listener);

    slider.setNormalisedValue (0.03, false);
    pumpFor (30);
    EXPECT_EQ (listener.changes, 0);
    EXPECT_EQ (slider.getValue(), 70);

    slider.setNormalisedValue (0.5, true);
    EXPECT_TRUE (pumpUntil ([&] { return listener.changes == 1; }));
    EXPECT_EQ (slider.getValue(), 1010);

    slider.removeListener (&listener);
}

} // namespace
} // namespace corvane::test
