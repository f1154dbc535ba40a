#include "editor/TarnwickCorvaneLookAndFeel.h"

#include "editor/assets/EditorAssets.h"

TarnwickCorvaneLookAndFeel::TarnwickCorvaneLookAndFeel()
{
    // Defaults for components that set no colour of their own. In this
    // program they decide the popup menus (white, highlighted item white on
    // 70 % grey) and the frame around a knob's value box while a value is
    // typed into it.
    const juce::Colour translucentGrey (0xb3808080);   // grey at alpha 0.7

    setColour (juce::TextButton::buttonColourId, juce::Colour (0xffccccff));
    setColour (juce::ComboBox::buttonColourId, juce::Colour (0xffbbbbff));
    setColour (juce::ComboBox::outlineColourId, translucentGrey);
    setColour (juce::ScrollBar::backgroundColourId, juce::Colour (0x00000000));
    setColour (juce::ScrollBar::thumbColourId, juce::Colour (0xffffffff));
    setColour (juce::Slider::backgroundColourId, juce::Colour (0xffffffff));
    setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (0x00466fb7));
    setColour (juce::ProgressBar::backgroundColourId, juce::Colour (0xffffffff));
    setColour (juce::ProgressBar::foregroundColourId, juce::Colour (0xffaaaaee));
    setColour (juce::PopupMenu::backgroundColourId, juce::Colour (0xffffffff));
    setColour (juce::PopupMenu::highlightedTextColourId, juce::Colour (0xffffffff));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, translucentGrey);
    setColour (juce::TextEditor::focusedOutlineColourId, juce::Colour (0xffccccff));

    // Never used for lookup: getTypefaceForFont answers every name.
    setDefaultSansSerifTypefaceName ("Monaco");

    // CustomTypeface's reader inflates the zlib stream itself; the stream
    // reads the embedded bytes in place.
    juce::MemoryInputStream stream (corvane::typefaceData, (size_t) corvane::typefaceDataSize, false);
    embeddedTypeface = new juce::CustomTypeface (stream);
}

TarnwickCorvaneLookAndFeel::~TarnwickCorvaneLookAndFeel()
{
    embeddedTypeface = nullptr;
}

juce::Typeface::Ptr TarnwickCorvaneLookAndFeel::getTypefaceForFont (const juce::Font&)
{
    return embeddedTypeface;
}

juce::Font TarnwickCorvaneLookAndFeel::editorFont()
{
    // The name only labels the font: every name resolves to the embedded glyphs.
    return juce::Font ("FuturaTf", 18.0f, juce::Font::plain);
}

juce::uint8 TarnwickCorvaneLookAndFeel::alphaByte (float alpha)
{
    if (! (alpha > 0.0f))
        return 0;
    if (alpha >= 1.0f)
        return 255;
    return (juce::uint8) (alpha * 255.996f);
}

void TarnwickCorvaneLookAndFeel::drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour&, bool, bool)
{
    // Buttons show their text only.
}

void TarnwickCorvaneLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    g.setFont (editorFont());
    g.setColour (juce::Colour (0xff000000));
    g.drawFittedText (button.getButtonText(), 0, 0, button.getWidth(), button.getHeight(),
                      juce::Justification::centredLeft, 1, 0.7f);
}

juce::Font TarnwickCorvaneLookAndFeel::getComboBoxFont (juce::ComboBox&)
{
    return editorFont();
}

void TarnwickCorvaneLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                                   float sliderPosProportional, float rotaryStartAngle,
                                                   float rotaryEndAngle, juce::Slider& slider)
{
    // Halves truncated first: a 65-pixel knob area gives a radius of 30.
    const float radius = (float) juce::jmin (width / 2, height / 2) - 2.0f;
    const float centreX = (float) x + (float) width * 0.5f;
    const float centreY = (float) y + (float) height * 0.5f;
    // Radians clockwise from twelve o'clock.
    const float angle = rotaryStartAngle + sliderPosProportional * (rotaryEndAngle - rotaryStartAngle);
    const bool highlighted = slider.isMouseOverOrDragging() && slider.isEnabled();

    g.setColour (slider.findColour (juce::Slider::rotarySliderOutlineColourId));
    g.fillEllipse (centreX - radius, centreY - radius, 2.0f * radius, 2.0f * radius);

    if (slider.isEnabled())
        g.setColour (slider.findColour (juce::Slider::rotarySliderFillColourId)
                         .withAlpha (alphaByte (highlighted ? 1.0f : 0.7f)));
    else
        g.setColour (juce::Colour (0x80808080));

    // A bar over the outer 30 % of the radius, 16 % of the radius wide.
    juce::Path pointer;
    pointer.addLineSegment (juce::Line<float> (0.0f, -radius * 0.7f, 0.0f, -radius), 0.08f * (2.0f * radius));
    g.fillPath (pointer, juce::AffineTransform::rotation (angle).translated (centreX, centreY));
}
