// The shared look and feel: one typeface for every font, and the knob drawing.

#include "EditorRig.h"

#include "editor/TarnwickCorvaneLookAndFeel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvane::test
{
namespace
{
TEST (LookAndFeel, EveryFontResolvesToTheEmbeddedTypeface)
{
    // Resolved before any editor exists, so the toolkit caches some other face.
    juce::Font ("Ghost Sans", 12.0f, juce::Font::plain).getTypefacePtr();

    TarnwickCorvane processor;
    OpenEditor editor (processor);
    auto* look = dynamic_cast<TarnwickCorvaneLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel());
    ASSERT_NE (look, nullptr);
    const auto embedded = look->getTypefaceForFont (juce::Font());
    ASSERT_NE (embedded, nullptr);
    EXPECT_EQ (embedded->getName(), "League Spartan");

    const juce::Font fonts[] = {
        TarnwickCorvaneLookAndFeel::editorFont(),
        juce::Font ("Monaco", 12.0f, juce::Font::plain),
        juce::Font ("Ghost Sans", 12.0f, juce::Font::plain),
        juce::Font ("FuturaTf", 30.0f, juce::Font::bold | juce::Font::italic),
        juce::Font (15.0f),   // a label's own font, as in the knobs' value boxes
        juce::Font(),
    };

    for (const auto& font : fonts)
        EXPECT_EQ (juce::Font (font).getTypefacePtr().get(), embedded.get())
            << font.getTypefaceName() << " " << font.getHeight();

    // What the editor's texts really use.
    auto& box = childNamed<juce::ComboBox> (*editor, "pitchModeComboBox");
    EXPECT_EQ (look->getComboBoxFont (box).getTypefacePtr().get(), embedded.get());
    EXPECT_EQ (look->getComboBoxFont (box).getHeight(), 18.0f);
}

TEST (LookAndFeel, AlphaBytesTruncateTheFraction)
{
    const std::pair<float, int> cases[] = { { 1.0f, 0xff }, { 0.93f, 0xee }, { 0.86f, 0xdc }, { 0.79f, 0xca },
                                            { 0.72f, 0xb8 }, { 0.65f, 0xa6 }, { 0.7f, 0xb3 },  { 0.0f, 0 },
                                            { -1.0f, 0 },    { 2.0f, 0xff } };
    for (const auto& [alpha, byte] : cases)
        EXPECT_EQ (TarnwickCorvaneLookAndFeel::alphaByte (alpha), byte) << alpha;
}

// A 65 × 85 knob as the editor has it: a 65 × 65 dial over a 20-pixel value box,
// so the disc has radius 30 around (32.5, 32.5).
struct DrawnKnob
{
    DrawnKnob (double position, bool enabled)
    {
        slider.setLookAndFeel (&look);
        slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);
        slider.setTextBoxStyle (juce::Slider::TextBoxBelow, false, 60, 20);
        slider.setRange (0.0, 1.0, 0.0);
        slider.setValue (position, juce::dontSendNotification);
        slider.setColour (juce::Slider::rotarySliderOutlineColourId, juce::Colour (0xff000000));
        slider.setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0xffffffff));
        slider.setEnabled (enabled);
        slider.setBounds (0, 0, 65, 85);
        picture = slider.createComponentSnapshot (slider.getLocalBounds());
    }

    ~DrawnKnob() { slider.setLookAndFeel (nullptr); }

    // The pixel `radius` pixels from the centre in the direction `turns`
    // clockwise from twelve o'clock.
    juce::Colour at (double turns, double radius) const
    {
        const double angle = turns * 2.0 * juce::MathConstants<double>::pi;
        return picture.getPixelAt ((int) std::floor (32.5 + radius * std::sin (angle)),
                                   (int) std::floor (32.5 - radius * std::cos (angle)));
    }

    TarnwickCorvaneLookAndFeel look;
    TarnwickSlider slider { "0" };
    juce::Image picture;
};

TEST (LookAndFeel, KnobPointerSweepsFromSevenToFiveOClockOnTheDiscsRim)
{
    struct Case
    {
        const char* why;
        double position;
        double pointerTurns;   // clockwise from twelve o'clock
        bool enabled;
        int pointerLevel;      // grey level over the black disc
    };

    // Not under the mouse: white at alpha 0.7 (0xb3); disabled: 0x80808080.
    const Case cases[] = {
        { "start, at 1.2 pi", 0.0, 0.6, true, 0xb3 },
        { "middle, straight up", 0.5, 0.0, true, 0xb3 },
        { "end, at 2.8 pi", 1.0, 1.4, true, 0xb3 },
        { "disabled: grey at half alpha", 0.5, 0.0, false, 0x40 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.why);
        const DrawnKnob knob (c.position, c.enabled);
        const auto disc = juce::Colour (0xff000000);

        // The bar covers radii 21..30 and is 4.8 pixels wide.
        for (const double r : { 23.0, 25.5, 28.0 })
        {
            const auto pointer = knob.at (c.pointerTurns, r);
            EXPECT_NEAR (pointer.getRed(), c.pointerLevel, 2) << "radius " << r;
            EXPECT_EQ (pointer.getAlpha(), 255);
        }
        EXPECT_EQ (knob.at (c.pointerTurns, 17.0), disc);           // inside the bar's inner end
        EXPECT_EQ (knob.at (c.pointerTurns + 0.25, 25.5), disc);   // a quarter turn on
        EXPECT_EQ (knob.at (c.pointerTurns + 0.5, 25.5), disc);

        // Radius 30: ink up to 29 pixels out, nothing at 31.
        EXPECT_EQ (knob.at (0.25, 29.0).getAlpha(), 255);
        EXPECT_EQ (knob.at (0.25, 31.0).getAlpha(), 0);
        EXPECT_EQ (knob.at (0.5, 31.0).getAlpha(), 0);
    }
}

} // namespace
} // namespace corvane::test
