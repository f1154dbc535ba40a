#include "editor/TarnwickCorvaneEditor.h"

#include "editor/TarnwickCorvaneLookAndFeel.h"
#include "editor/TarnwickSlider.h"
#include "editor/Version.h"
#include "editor/assets/EditorAssets.h"
#include "processor/TarnwickCorvane.h"

#include <cmath>
#include <utility>

namespace
{
//==============================================================================
// Layout, in editor pixels.

struct KnobSetting
{
    const char* name;
    double minimum, maximum, step;
    const char* hint;
};

// Knob i edits parameter i. The ranges are what the knobs show; they match
// the engine's, except that the mod rate knob starts at 0.1 (Hz) instead of 0.
// The value box shows as many decimals as the step has.
const KnobSetting knobSettings[TarnwickCorvaneEditor::numKnobs] = {
    { "mix", 0.0, 1.0, 0.01,
      "mix: controls the balance of the input signal with the reverb \nuse right mouse button to change knob behavior" },
    { "shift", -12.0, 12.0, 0.01,
      "shift: sets the amount of pitch shift in semitones \nuse right mouse button to change knob behavior" },
    { "feedback", 0.0, 1.0, 0.001,
      "feedback: controls gain of output signal fed back into reverb \nuse right mouse button to change knob behavior" },
    { "diffusion", 0.0, 0.99, 0.001,
      "diffusion: controls the initial echo density \nset diffusion to 0.618 for backwards reverb" },
    { "size", 0.0, 1.0, 0.01,
      "size: sets the relative room size of the reverb \nuse right mouse button to change knob behavior" },
    { "low cut", 10.0, 2000.0, 10.0,
      "low cut: controls gain of low frequencies in the reverb \nuse right mouse button to change knob behavior" },
    { "high cut", 100.0, 15000.0, 10.0,
      "high cut: controls gain of high frequencies in the reverb \nuse right mouse button to change knob behavior" },
    { "mod rate", 0.1, 5.0, 0.01,
      "mod rate: controls the chorusing rate within the reverb \nuse right mouse button to change knob behavior" },
    { "mod depth", 0.0, 1.0, 0.01,
      "mod depth: controls the depth of chorusing within the reverb \nuse right mouse button to change knob behavior" },
};

juce::Rectangle<int> knobLabelBounds (int i) { return { 5 + 75 * i, 75, 75, 20 }; }
juce::Rectangle<int> knobBounds (int i) { return { 10 + 75 * i, 95, 65, 85 }; }

// Knob names are darkest at both ends of the row and lightest in the middle;
// the discs fade from left to right.
float knobNameAlpha (int i) { return std::abs (0.07f * (float) i - 0.28f) + 0.72f; }
float knobDiscAlpha (int i) { return (0.28f - std::abs (0.07f * (float) i)) + 0.72f; }

juce::Colour blackWithAlpha (float alpha)
{
    return juce::Colour (0xff000000).withAlpha (TarnwickCorvaneLookAndFeel::alphaByte (alpha));
}

struct SelectorSetting
{
    int parameterIndex;
    const char* componentName;
    const char* caption;
    juce::Rectangle<int> captionBounds;
    juce::Justification captionJustification;
    juce::Rectangle<int> bounds;
    juce::Justification justification;
    std::array<const char*, 5> items;   // item ids count from 1; unused entries are null
    const char* tooltip;
};

const SelectorSetting reverbModeSetting {
    9, "reverbModeComboBox", "reverb mode: ", { 20, 195, 100, 20 }, juce::Justification::centredLeft,
    { 113, 195, 120, 20 }, juce::Justification::centredLeft,
    { { "mono", "bigStereo", "mediumStereo", "smallStereo" } },
    "reverb mode: selects the reverb algorithm to use"
};

const SelectorSetting pitchModeSetting {
    10, "pitchModeComboBox", "pitch mode: ", { 250, 195, 100, 20 }, juce::Justification::centredRight,
    { 350, 195, 130, 20 }, juce::Justification::centredLeft,
    { { "single", "dual", "singleReverse", "dualReverse", "bypass" } },
    "pitch mode: selects the pitch algorithm to use"
};

const SelectorSetting colorModeSetting {
    11, "colorModeComboBox", "color mode: ", { 535, 195, 95, 20 }, juce::Justification::centredRight,
    { 600, 195, 90, 20 }, juce::Justification::centredRight,
    { { "bright", "dark" } },
    "color mode: changes the brightness of the reverb"
};

// The selectors draw their text only: box, outline, button and arrow are
// the editor's blue at alpha zero.
const juce::Colour invisibleBlue (0x00466fb7);
const juce::Colour editorBlue (0xff466fb7);

const juce::Rectangle<int> hintArea { 20, 205, 580, 60 };
const juce::Rectangle<int> versionArea { 554, 235, 110, 30 };

// Shown in the hint line while no control is under the pointer.
const char* const idleHint = "";

// The one look and feel of the process: made by the first editor, installed
// by every editor, and never deleted, so that it stays the default for
// whatever the toolkit draws after an editor has closed.
TarnwickCorvaneLookAndFeel* sharedLookAndFeel = nullptr;

void installSharedLookAndFeel()
{
    if (sharedLookAndFeel == nullptr)
    {
        sharedLookAndFeel = new TarnwickCorvaneLookAndFeel();
        // Typefaces the toolkit resolved before are cached by name; drop them
        // so every font from now on resolves through the new look and feel.
        juce::Typeface::clearTypefaceCache();
    }

    juce::LookAndFeel::setDefaultLookAndFeel (sharedLookAndFeel);
}

// The item a selector shows for a mode: the mode the engine runs, from the
// processor's own mapping of the normalised value (which rounds up), so that
// what is shown is what is heard.
int itemIdForMode (const juce::ComboBox& box, int modeNumber)
{
    return juce::jlimit (0, box.getNumItems() - 1, modeNumber) + 1;
}
} // namespace

//==============================================================================
TarnwickCorvaneEditor::TarnwickCorvaneEditor (TarnwickCorvane& ownerToUse)
    : juce::AudioProcessorEditor (ownerToUse), owner (ownerToUse)
{
    // First, so that every component made below, and every font, uses it.
    installSharedLookAndFeel();

    versionText = juce::String ("version ") + corvane::versionString;

    for (int i = 0; i < numKnobs; ++i)
    {
        auto* label = new juce::Label ("hint", "label");
        knobLabels[(size_t) i] = label;
        addAndMakeVisible (label);
        label->setText (knobSettings[i].name, juce::dontSendNotification);
    }

    for (int i = 0; i < numKnobs; ++i)
    {
        auto* label = knobLabels[(size_t) i];
        label->setFont (TarnwickCorvaneLookAndFeel::editorFont());
        label->setJustificationType (juce::Justification::horizontallyCentred);
        label->setColour (juce::Label::textColourId, blackWithAlpha (knobNameAlpha (i)));
    }

    for (int i = 0; i < numKnobs; ++i)
    {
        auto* knob = new TarnwickSlider (juce::String (i));
        knobs[(size_t) i] = knob;
        addAndMakeVisible (knob);
    }

    for (int i = 0; i < numKnobs; ++i)
    {
        knobs[(size_t) i]->setRange (knobSettings[i].minimum, knobSettings[i].maximum, knobSettings[i].step);
        knobs[(size_t) i]->setTooltip (knobSettings[i].hint);
    }

    for (int i = 0; i < numKnobs; ++i)
    {
        auto* knob = knobs[(size_t) i];
        knob->addListener (this);
        knob->setSliderStyle (juce::Slider::RotaryVerticalDrag);
        knob->setTextBoxStyle (juce::Slider::TextBoxBelow, false, 60, 20);
        knob->setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0xffffffff));
        knob->setColour (juce::Slider::rotarySliderOutlineColourId, blackWithAlpha (knobDiscAlpha (i)));
        knob->setColour (juce::Slider::textBoxTextColourId, juce::Colour (0xff000000));
        knob->setColour (juce::Slider::textBoxBackgroundColourId, juce::Colour (0x00ffffff));
        knob->setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (0x00000000));
        knob->setColour (juce::Slider::textBoxHighlightColourId, juce::Colour (0x00ffffff));
        // The right mouse button opens the knob-behaviour menu instead of dragging.
        knob->setPopupMenuEnabled (true);
        knob->setNormalisedValue (owner.getParameter (i), false);
    }

    for (int i = 0; i < numKnobs; ++i)
    {
        knobLabels[(size_t) i]->setBounds (knobLabelBounds (i));
        knobs[(size_t) i]->setBounds (knobBounds (i));
    }

    const auto makeSelector = [this] (const SelectorSetting& setting, juce::Label*& caption, juce::ComboBox*& box)
    {
        caption = new juce::Label ("hint", setting.caption);
        addAndMakeVisible (caption);
        caption->setBounds (setting.captionBounds);
        caption->setFont (TarnwickCorvaneLookAndFeel::editorFont());
        caption->setJustificationType (setting.captionJustification);
        caption->setColour (juce::Label::textColourId, juce::Colour (0xff000000));

        box = new juce::ComboBox (setting.componentName);
        addAndMakeVisible (box);
        box->setTooltip (setting.tooltip);
        box->setBounds (setting.bounds);
        box->setJustificationType (setting.justification);
        for (const auto colourId : { juce::ComboBox::backgroundColourId, juce::ComboBox::outlineColourId,
                                     juce::ComboBox::buttonColourId, juce::ComboBox::arrowColourId })
            box->setColour (colourId, invisibleBlue);
        box->setColour (juce::ComboBox::textColourId, juce::Colour (0xff000000));

        int itemId = 1;
        for (const auto* item : setting.items)
            if (item != nullptr)
                box->addItem (item, itemId++);

        box->setSelectedId (itemIdForMode (*box, owner.getModeNumber (setting.parameterIndex)),
                            juce::dontSendNotification);
        box->setTextWhenNothingSelected (setting.items[0]);
        box->addListener (this);
    };

    makeSelector (reverbModeSetting, reverbModeLabel, reverbModeComboBox);
    makeSelector (pitchModeSetting, pitchModeLabel, pitchModeComboBox);
    makeSelector (colorModeSetting, colorModeLabel, colorModeComboBox);

    hoveredControl = lastHoveredControl = 0;

    // The window opens at the size the processor holds (694 x 275 unless a
    // restored state said otherwise), so an editor opened after a restore
    // takes the restored size at once; later restores resize it through
    // changeListenerCallback.
    setSize (owner.getUiWidth(), owner.getUiHeight());

    owner.addChangeListener (this);
}

TarnwickCorvaneEditor::~TarnwickCorvaneEditor()
{
    owner.removeChangeListener (this);
    deleteAllChildren();
}

juce::AudioProcessorParameter& TarnwickCorvaneEditor::parameter (int index) const
{
    return *owner.getParameters()[index];
}

//==============================================================================
void TarnwickCorvaneEditor::paint (juce::Graphics& g)
{
    // Shows only where the picture does not reach (a window larger than 694 × 300).
    g.fillAll (editorBlue);

    // Opaque black so the picture is drawn at full opacity. The image cache
    // decodes the PNG once and hands out the same image afterwards.
    g.setColour (juce::Colour (0xff000000));
    const auto background = juce::ImageCache::getFromMemory (corvane::backgroundImageData,
                                                             corvane::backgroundImageDataSize);
    g.drawImage (background, 0, 0, 694, 300, 0, 0, 694, 300, false);

    g.setColour (juce::Colour (0xffffffff));
    g.setFont (TarnwickCorvaneLookAndFeel::editorFont());

    updateHint();
    g.drawFittedText (hintText, hintArea.getX(), hintArea.getY(), hintArea.getWidth(), hintArea.getHeight(),
                      juce::Justification::bottomLeft, 2, 1.0f);

    // This paint may have been for a control's repaint alone, clipped to it:
    // the new hint is drawn by the repaint asked for here.
    if (hintChanged)
        repaint (hintArea);

    g.drawFittedText (versionText, versionArea.getX(), versionArea.getY(), versionArea.getWidth(),
                      versionArea.getHeight(), juce::Justification::bottomRight, 1, 1.0f);
}

void TarnwickCorvaneEditor::updateHint()
{
    hintText = idleHint;
    hoveredControl = nothingHovered;

    // Only the control itself counts, not its children: a knob's value box
    // and a selector's text label (which covers all of the box except its 16
    // rightmost pixels and its one-pixel border) leave the hint idle.
    for (int i = 0; i < numKnobs; ++i)
    {
        if (knobs[(size_t) i]->isMouseOver (false))
        {
            hintText = knobs[(size_t) i]->getTooltip();
            hoveredControl = i;
        }
    }

    const std::pair<juce::ComboBox*, int> selectors[] = { { reverbModeComboBox, reverbModeHovered },
                                                          { pitchModeComboBox, pitchModeHovered },
                                                          { colorModeComboBox, colorModeHovered } };
    for (const auto& [box, state] : selectors)
    {
        if (box->isMouseOver (false))
        {
            hintText = box->getTooltip();
            hoveredControl = state;
        }
    }

    hintChanged = hoveredControl != lastHoveredControl;
    if (hintChanged)
        lastHoveredControl = hoveredControl;
}

//==============================================================================
void TarnwickCorvaneEditor::sliderDragStarted (juce::Slider* slider)
{
    parameter (slider->getName().getIntValue()).beginChangeGesture();
}

void TarnwickCorvaneEditor::sliderValueChanged (juce::Slider* slider)
{
    const int index = slider->getName().getIntValue();
    parameter (index).setValueNotifyingHost ((float) knobs[(size_t) index]->getNormalisedValue());
}

void TarnwickCorvaneEditor::sliderDragEnded (juce::Slider* slider)
{
    parameter (slider->getName().getIntValue()).endChangeGesture();
}

void TarnwickCorvaneEditor::comboBoxChanged (juce::ComboBox* box)
{
    // The values sit on the items' own positions, where the engine's
    // rounding up and the item ids agree.
    const float id = (float) box->getSelectedId();
    int index = -1;
    float value = 0.0f;

    if (box == reverbModeComboBox)
    {
        index = reverbModeSetting.parameterIndex;
        value = id * 0.25f;
    }
    else if (box == pitchModeComboBox)
    {
        index = pitchModeSetting.parameterIndex;
        value = id / 5.0f;
    }
    else if (box == colorModeComboBox)
    {
        index = colorModeSetting.parameterIndex;
        value = id * 0.5f;
    }
    else
    {
        return;
    }

    auto& target = parameter (index);
    target.beginChangeGesture();
    target.setValueNotifyingHost (value);
    target.endChangeGesture();
}

//==============================================================================
void TarnwickCorvaneEditor::changeListenerCallback (juce::ChangeBroadcaster*)
{
    std::array<float, numKnobs> knobValues {};
    int reverbMode = 0, pitchMode = 0, colorMode = 0;

    {
        // Read while no audio block runs.
        const juce::ScopedLock lock (owner.getCallbackLock());
        for (int i = 0; i < numKnobs; ++i)
            knobValues[(size_t) i] = owner.getParameter (i);
        reverbMode = owner.getModeNumber (reverbModeSetting.parameterIndex);
        pitchMode = owner.getModeNumber (pitchModeSetting.parameterIndex);
        colorMode = owner.getModeNumber (colorModeSetting.parameterIndex);
    }

    // No notifications: nothing goes back to the processor or the host. A
    // knob being dragged is set to the value it already shows.
    for (int i = 0; i < numKnobs; ++i)
        knobs[(size_t) i]->setNormalisedValue (knobValues[(size_t) i], false);

    reverbModeComboBox->setSelectedId (itemIdForMode (*reverbModeComboBox, reverbMode), juce::dontSendNotification);
    pitchModeComboBox->setSelectedId (itemIdForMode (*pitchModeComboBox, pitchMode), juce::dontSendNotification);
    colorModeComboBox->setSelectedId (itemIdForMode (*colorModeComboBox, colorMode), juce::dontSendNotification);

    setSize (owner.getUiWidth(), owner.getUiHeight());
}
