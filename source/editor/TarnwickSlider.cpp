#include "editor/TarnwickSlider.h"

#include <cmath>

TarnwickSlider::TarnwickSlider (const juce::String& componentName, Skew skewToUse)
    : juce::Slider (componentName), skew (skewToUse)
{
}

TarnwickSlider::~TarnwickSlider() = default;

void TarnwickSlider::setNormalisedValue (double normalised, bool notify)
{
    setValue (getMinimum() + (getMaximum() - getMinimum()) * normalised,
              notify ? juce::sendNotificationAsync : juce::dontSendNotification);
}

double TarnwickSlider::getNormalisedValue() const
{
    return (getValue() - getMinimum()) / (getMaximum() - getMinimum());
}

double TarnwickSlider::proportionOfLengthToValue (double proportion)
{
    const double s = getSkewFactor();
    const double minimum = getMinimum();
    const double maximum = getMaximum();

    if (s == 1.0)
        return minimum + (maximum - minimum) * proportion;

    if (skew == Skew::bipolar)
    {
        // Mirrored about the centre, over -maximum..maximum.
        double d = 0.0;
        if (proportion > 0.5)
            d = std::exp (std::log ((proportion - 0.5) * 2.0) / s);
        else if (proportion < 0.5)
            d = -std::exp (std::log ((0.5 - proportion) * 2.0) / s);
        return d * maximum;
    }

    if (proportion > 0.0)
        proportion = std::exp (std::log (proportion) / s);
    return minimum + (maximum - minimum) * proportion;
}

double TarnwickSlider::valueToProportionOfLength (double value)
{
    const double s = getSkewFactor();
    const double minimum = getMinimum();
    const double maximum = getMaximum();

    if (s == 1.0)
        return (value - minimum) / (maximum - minimum);

    if (skew == Skew::bipolar)
    {
        if (value < 0.0)
            return std::pow (-value / maximum, s) * -0.5 + 0.5;
        return std::pow (value / maximum, s) * 0.5 + 0.5;
    }

    return std::pow ((value - minimum) / (maximum - minimum), s);
}
