#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The plug-in's appearance: every text in the embedded typeface, the knob
// drawing, text buttons without a background, and the colours of popup menus
// and value boxes. One instance serves the whole process as JUCE's default
// look and feel (see TarnwickCorvaneEditor); everything not overridden here is
// drawn by LookAndFeel_V2.
class TarnwickCorvaneLookAndFeel : public juce::LookAndFeel_V2
{
public:
    TarnwickCorvaneLookAndFeel();
    ~TarnwickCorvaneLookAndFeel() override;

    // The embedded typeface for every font, whatever name, style or height
    // it asks for; JUCE scales it to the font's height.
    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&,
                         bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;

    // A filled disc in the slider's outline colour with a short bar in its
    // fill colour on the rim, pointing at the current position.
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;

    // The font of every text the editor draws: the embedded glyphs at 18 px.
    static juce::Font editorFont();

    // Colour alpha as a byte: a × 255.996, truncated. The editor's ramps of
    // knob and name shades are tuned in these bytes (0.93 gives 0xee), which
    // juce::Colour::withAlpha (float), rounding a × 255, misses by one.
    static juce::uint8 alphaByte (float alpha);

private:
    juce::Typeface::Ptr embeddedTypeface;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TarnwickCorvaneLookAndFeel)
};
