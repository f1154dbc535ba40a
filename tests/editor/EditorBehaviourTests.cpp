// The editor driven as a user and a host drive it: the pointer moving over a
// real window, knob drags and selector picks, and the processor's change
// messages, restored states and reopened windows.

#include "EditorRig.h"

#include "processor/StateContainer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace corvane::test
{
namespace
{
using Event = ParameterRecorder::Event;

const juce::String diffusionHint ("diffusion: controls the initial echo density \nset diffusion to 0.618 for backwards reverb");
const juce::String modDepthHint ("mod depth: controls the depth of chorusing within the reverb \nuse right mouse button to change knob behavior");
const juce::String reverbModeHint ("reverb mode: selects the reverb algorithm to use");
const juce::String pitchModeHint ("pitch mode: selects the pitch algorithm to use");
const juce::String colorModeHint ("color mode: changes the brightness of the reverb");

constexpr int nothing = TarnwickCorvaneEditor::nothingHovered;

//==============================================================================
// Hover

TEST (EditorHover, HintFollowsThePointerOverKnobsAndTheSelectorsArrowEnds)
{
    TarnwickCorvane processor;
    OpenEditor editor (processor, true);

    // Knob 3 sits at x 235..299 with its 65 × 65 dial on top and its value
    // box in rows 160..179. Each selector's text label covers the box from
    // its second column to width + 3 - height; only the 16 columns right of
    // that (and the one-pixel frame) count as the selector.
    struct Step
    {
        const char* what;
        juce::Point<int> at;
        int state;
        juce::String hint;
    };

    const Step steps[] = {
        { "empty background", { 660, 40 }, nothing, "" },
        { "knob 3's dial", { 267, 127 }, 3, diffusionHint },
        { "knob 3's value box", { 267, 170 }, nothing, "" },
        { "knob 3's dial again", { 267, 110 }, 3, diffusionHint },
        { "back to the background", { 660, 40 }, nothing, "" },
        { "pitch mode's right end", { 472, 205 }, TarnwickCorvaneEditor::pitchModeHovered, pitchModeHint },
        { "pitch mode's text", { 400, 205 }, nothing, "" },
        { "pitch mode's first arrow column", { 464, 205 }, TarnwickCorvaneEditor::pitchModeHovered, pitchModeHint },
        { "pitch mode's last text column", { 463, 205 }, nothing, "" },
        { "reverb mode's right end", { 226, 205 }, TarnwickCorvaneEditor::reverbModeHovered, reverbModeHint },
        { "reverb mode's text", { 150, 205 }, nothing, "" },
        { "color mode's right end", { 682, 205 }, TarnwickCorvaneEditor::colorModeHovered, colorModeHint },
        { "color mode's text", { 640, 205 }, nothing, "" },
        { "knob 8's dial", { 642, 127 }, 8, modDepthHint },
    };

    for (const auto& step : steps)
    {
        SCOPED_TRACE (step.what);
        // Through the toolkit alone: the control's own repaint on entering or
        // leaving runs the editor's paint, which updates the hint.
        EXPECT_TRUE (editor.hoverAt (step.at, step.state)) << "hover state " << editor->getHoveredControl();

        // And a full paint at the same pointer position agrees.
        editor->createComponentSnapshot ({ 0, 0, 1, 1 });
        EXPECT_EQ (editor->getHoveredControl(), step.state);
        EXPECT_EQ (editor->getHintText(), step.hint);
    }
}

// Pixels of the white hint text in rows [top, bottom), left of the version text.
int whiteHintPixels (const juce::Image& editorPicture, int top, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 20; x < 540; ++x)
        {
            const auto c = editorPicture.getPixelAt (x, y);
            if (c.getRed() >= 240 && c.getGreen() >= 240 && c.getBlue() >= 240)
                ++count;
        }
    return count;
}

// The pixel halfway along a knob's pointer (21..30 pixels from the centre of
// its 65 × 65 dial), in a picture of the whole editor.
juce::Colour knobPointerPixel (const juce::Image& editorPicture, TarnwickSlider& k)
{
    const auto rotary = k.getRotaryParameters();
    const double angle = rotary.startAngleRadians
                         + k.valueToProportionOfLength (k.getValue()) * (rotary.endAngleRadians - rotary.startAngleRadians);
    const double centreX = k.getX() + 32.5, centreY = k.getY() + 32.5;
    return editorPicture.getPixelAt ((int) std::floor (centreX + 25.5 * std::sin (angle)),
                                     (int) std::floor (centreY - 25.5 * std::cos (angle)));
}

// Records the area and hover state of every paint of the window.
class RecordingEditor : public TarnwickCorvaneEditor
{
public:
    using TarnwickCorvaneEditor::TarnwickCorvaneEditor;

    void paint (juce::Graphics& g) override
    {
        TarnwickCorvaneEditor::paint (g);
        paints.push_back ({ g.getClipBounds(), getHoveredControl() });
    }

    struct Paint
    {
        juce::Rectangle<int> area;
        int hovered;
    };
    std::vector<Paint> paints;
};

TEST (EditorHover, Knob3sHintIsDrawnAsTwoBottomAlignedLines)
{
    TarnwickCorvane processor;
    OpenEditor editor (processor, true, [] (TarnwickCorvane& p) { return new RecordingEditor (p); });
    auto& recording = dynamic_cast<RecordingEditor&> (*editor);
    ASSERT_TRUE (editor.hoverAt ({ 660, 40 }, nothing));
    recording.paints.clear();

    // The hint area is rows 205..264; two 18-pixel lines at its bottom fill
    // rows 229..246 and 247..264 (the background there is no lighter than
    // #caccd0, so white text stands out).
    ASSERT_TRUE (editor.hoverAt ({ 267, 127 }, 3));

    // On screen: the knob's repaint finds the new state, then the hint line
    // is painted again with it.
    ASSERT_FALSE (recording.paints.empty());
    EXPECT_EQ (recording.paints.front().area, knob (*editor, 3).getBounds());
    EXPECT_TRUE (std::any_of (recording.paints.begin(), recording.paints.end(), [] (const auto& p)
                              { return p.hovered == 3 && p.area.contains (juce::Rectangle<int> (20, 205, 580, 60)); }));

    const auto hovered = editor->createComponentSnapshot (editor->getLocalBounds());
    EXPECT_EQ (whiteHintPixels (hovered, 205, 229), 0);
    EXPECT_GT (whiteHintPixels (hovered, 229, 247), 100);
    EXPECT_GT (whiteHintPixels (hovered, 247, 265), 100);

    ASSERT_TRUE (editor.hoverAt ({ 267, 170 }, nothing));
    const auto overValueBox = editor->createComponentSnapshot (editor->getLocalBounds());
    EXPECT_EQ (whiteHintPixels (overValueBox, 205, 265), 0);

    // The knob's pointer is fully white only while the mouse is over the knob.
    EXPECT_EQ (knobPointerPixel (hovered, knob (*editor, 3)), juce::Colour (0xffffffff));
    EXPECT_LT (knobPointerPixel (overValueBox, knob (*editor, 3)).getRed(), 0xc0);
}

//==============================================================================
// Editor to processor

TEST (EditorEdits, KnobDragBracketsHostValuesWithGesturesOnTheKnobsIndex)
{
    TarnwickCorvane processor;
    processor.setParameter (2, 0.3f);
    OpenEditor editor (processor, true);
    auto& feedback = knob (*editor, 2);
    ASSERT_EQ (valueBoxText (feedback), "0.300");

    const juce::Point<int> dial { 10 + 75 * 2 + 32, 127 };
    ASSERT_TRUE (editor.hoverAt (dial, 2));

    ParameterRecorder recorder (processor);
    const auto left = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier);
    editor.mouseTo (dial, left);
    // Upwards raises the value: 250 pixels span the whole range.
    for (int dy = 10; dy <= 50; dy += 10)
        editor.mouseTo (dial - juce::Point<int> (0, dy), left);
    editor.mouseTo (dial - juce::Point<int> (0, 50));

    const auto events = recorder.events;
    ASSERT_GE (events.size(), 3u);
    EXPECT_EQ (events.front().kind, Event::gestureBegin);
    EXPECT_EQ (events.back().kind, Event::gestureEnd);
    for (const auto& e : events)
        EXPECT_EQ (e.index, 2);
    for (size_t i = 1; i + 1 < events.size(); ++i)
        EXPECT_EQ (events[i].kind, Event::value) << "event " << i;

    EXPECT_NEAR (events[events.size() - 2].newValue, 0.5f, 0.002f);
    EXPECT_EQ (processor.getParameter (2), events[events.size() - 2].newValue);
    EXPECT_EQ (valueBoxText (feedback), "0.500");

    // The processor's change message comes back and sends nothing more.
    recorder.events.clear();
    pumpFor (100);
    EXPECT_TRUE (recorder.events.empty());
    EXPECT_EQ (valueBoxText (feedback), "0.500");
}

TEST (EditorEdits, SelectorPicksSendTheItemsPositionsInOneGesture)
{
    struct Pick
    {
        const char* box;
        const char* item;
        int index;
        float sent;
    };

    const Pick picks[] = {
        { "pitchModeComboBox", "dualReverse", 10, 0.8f },
        { "pitchModeComboBox", "single", 10, 0.2f },
        { "pitchModeComboBox", "bypass", 10, 1.0f },
        { "reverbModeComboBox", "smallStereo", 9, 1.0f },
        { "reverbModeComboBox", "mono", 9, 0.25f },
        { "colorModeComboBox", "dark", 11, 1.0f },
        { "colorModeComboBox", "bright", 11, 0.5f },
    };

    for (const auto& pick : picks)
    {
        SCOPED_TRACE (pick.item);
        TarnwickCorvane processor;
        OpenEditor editor (processor);
        auto& box = childNamed<juce::ComboBox> (*editor, pick.box);

        int id = 0;
        for (int i = 0; i < box.getNumItems(); ++i)
            if (box.getItemText (i) == pick.item)
                id = box.getItemId (i);
        ASSERT_NE (id, 0);

        // Start from another item, so that the pick is a change.
        processor.setParameter (pick.index, id == 1 ? 1.0f : 0.0f);
        ASSERT_TRUE (pumpUntil ([&] { return box.getSelectedId() != id && box.getSelectedId() != 0; }));

        ParameterRecorder recorder (processor);
        box.setSelectedId (id);   // as the item's menu entry does it
        ASSERT_TRUE (pumpUntil ([&] { return recorder.events.size() >= 3; }));

        ASSERT_EQ (recorder.events.size(), 3u);
        EXPECT_EQ (recorder.events[0].kind, Event::gestureBegin);
        EXPECT_EQ (recorder.events[1].kind, Event::value);
        EXPECT_EQ (recorder.events[1].newValue, pick.sent);
        EXPECT_EQ (recorder.events[2].kind, Event::gestureEnd);
        for (const auto& e : recorder.events)
            EXPECT_EQ (e.index, pick.index);
        EXPECT_EQ (processor.getParameter (pick.index), pick.sent);

        pumpFor (60);
        EXPECT_EQ (box.getText(), pick.item);
        EXPECT_EQ (recorder.events.size(), 3u);
    }
}

//==============================================================================
// Processor to editor

TEST (EditorRefresh, ChangeMessageMovesEveryControlWithoutEchoingBack)
{
    struct Shown
    {
        int index;
        float normalised;
        const char* text;   // value box or selector text
    };

    // Selectors show the mode the engine runs, which rounds up: 0.333333343
    // is "dual" and 0.6 "mediumStereo" and "dark", although truncating the
    // value would give the item before.
    const Shown table[] = {
        { 0, 0.25f, "0.25" },
        { 1, 0.5f, "0.00" },            // the middle of -12..12 semitones
        { 2, 0.25f, "0.250" },
        { 3, 0.1f, "0.099" },           // 0..0.99
        { 4, 0.6f, "0.60" },
        { 5, 0.03f, "70" },             // 10 + 59.7 Hz, to the step of 10
        { 6, 0.5f, "7550" },
        { 7, 0.1f, "0.59" },            // the knob starts at 0.1 Hz
        { 8, 0.35f, "0.35" },
        { 9, 0.6f, "mediumStereo" },
        { 10, 0.333333343f, "dual" },
        { 11, 0.6f, "dark" },
    };

    TarnwickCorvane processor;
    OpenEditor editor (processor);
    ParameterRecorder recorder (processor);

    for (const auto& row : table)
        processor.setParameter (row.index, row.normalised);

    const char* boxes[] = { "reverbModeComboBox", "pitchModeComboBox", "colorModeComboBox" };
    const auto shownText = [&] (int index) -> juce::String
    {
        if (index < TarnwickCorvaneEditor::numKnobs)
            return valueBoxText (knob (*editor, index));
        return childNamed<juce::ComboBox> (*editor, boxes[index - 9]).getText();
    };

    pumpUntil ([&] { return shownText (5) == "70"; });
    pumpFor (60);

    for (const auto& row : table)
    {
        EXPECT_EQ (shownText (row.index), row.text) << "parameter " << row.index;
        // Nothing written back: not even the selectors' own item positions.
        EXPECT_EQ (processor.getParameter (row.index), row.normalised) << "parameter " << row.index;
    }
    EXPECT_TRUE (recorder.events.empty()) << recorder.events.size() << " parameter notifications";
}

TEST (EditorRefresh, RestoredStateWithAnotherSizeResizesTheEditor)
{
    struct Size
    {
        int width, height;
    };

    for (const auto size : { Size { 760, 330 }, Size { 640, 240 } })
    {
        SCOPED_TRACE (std::to_string (size.width) + " x " + std::to_string (size.height));
        TarnwickCorvane processor;
        OpenEditor editor (processor);
        const auto knobBounds = knob (*editor, 8).getBounds();
        const auto boxBounds = childNamed<juce::ComboBox> (*editor, "colorModeComboBox").getBounds();

        const auto state = StateContainer::wrap ("<MYPLUGINSETTINGS uiWidth=\"" + juce::String (size.width)
                                                 + "\" uiHeight=\"" + juce::String (size.height) + "\"/>");
        processor.setStateInformation (state.getData(), (int) state.getSize());

        EXPECT_TRUE (pumpUntil ([&] { return editor->getWidth() == size.width; }));
        EXPECT_EQ (editor->getHeight(), size.height);
        EXPECT_EQ (knob (*editor, 8).getBounds(), knobBounds);
        EXPECT_EQ (childNamed<juce::ComboBox> (*editor, "colorModeComboBox").getBounds(), boxBounds);

        // Beyond the picture's 694 × 300 pixels the editor's blue shows.
        const auto picture = editor->createComponentSnapshot (editor->getLocalBounds());
        const juce::Colour blue (0xff466fb7);
        if (size.width > 694)
        {
            EXPECT_EQ (picture.getPixelAt (700, 100), blue);
            EXPECT_EQ (picture.getPixelAt (size.width - 1, size.height - 1), blue);
        }
        if (size.height > 300)
        {
            EXPECT_EQ (picture.getPixelAt (100, 310), blue);
        }
        EXPECT_NE (picture.getPixelAt (690, 10), blue);
        EXPECT_NE (picture.getPixelAt (100, 230), blue);
    }
}

TEST (EditorRefresh, EditorOpenedAfterARestoreTakesTheRestoredSize)
{
    TarnwickCorvane processor;
    const auto state = StateContainer::wrap ("<MYPLUGINSETTINGS uiWidth=\"760\" uiHeight=\"330\"/>");
    processor.setStateInformation (state.getData(), (int) state.getSize());

    OpenEditor editor (processor);
    EXPECT_EQ (editor->getWidth(), 760);
    EXPECT_EQ (editor->getHeight(), 330);
}

bool samePicture (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;
    return true;
}

TEST (EditorLifecycle, ReopenedEditorShowsTheSameLookAndTheCurrentValues)
{
    TarnwickCorvane processor;
    juce::Image firstPicture;
    juce::LookAndFeel* firstLook = nullptr;

    {
        OpenEditor first (processor);
        childNamed<juce::ComboBox> (*first, "colorModeComboBox").setSelectedId (2);
        processor.setParameter (0, 0.8f);
        ASSERT_TRUE (pumpUntil ([&] { return valueBoxText (knob (*first, 0)) == "0.80"; }));
        ASSERT_EQ (processor.getModeNumber (11), 1);
        firstPicture = first->createComponentSnapshot (first->getLocalBounds());
        firstLook = &first->getLookAndFeel();
    }

    {
        OpenEditor second (processor);
        EXPECT_EQ (&second->getLookAndFeel(), firstLook);
        EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), firstLook);
        EXPECT_TRUE (samePicture (second->createComponentSnapshot (second->getLocalBounds()), firstPicture));
    }

    // Changed while no editor is open.
    processor.setParameter (5, 0.03f);
    processor.setParameter (10, 0.333333343f);
    pumpFor (60);

    OpenEditor third (processor);
    EXPECT_EQ (valueBoxText (knob (*third, 0)), "0.80");
    EXPECT_EQ (valueBoxText (knob (*third, 5)), "70");
    EXPECT_EQ (childNamed<juce::ComboBox> (*third, "pitchModeComboBox").getText(), "dual");
    EXPECT_EQ (childNamed<juce::ComboBox> (*third, "colorModeComboBox").getText(), "dark");
    EXPECT_FALSE (samePicture (third->createComponentSnapshot (third->getLocalBounds()), firstPicture));
}

//==============================================================================
// Layout

TEST (EditorLayout, KnobRowHasItsNamesRangesAndShades)
{
    struct Row
    {
        const char* name;
        double minimum, maximum, step;
        juce::uint32 nameColour, discColour;
    };

    // Names darkest at both ends, discs fading from left to right.
    const Row rows[TarnwickCorvaneEditor::numKnobs] = {
        { "mix", 0, 1, 0.01, 0xff000000, 0xff000000 },
        { "shift", -12, 12, 0.01, 0xee000000, 0xee000000 },
        { "feedback", 0, 1, 0.001, 0xdc000000, 0xdc000000 },
        { "diffusion", 0, 0.99, 0.001, 0xca000000, 0xca000000 },
        { "size", 0, 1, 0.01, 0xb8000000, 0xb8000000 },
        { "low cut", 10, 2000, 10, 0xca000000, 0xa6000000 },
        { "high cut", 100, 15000, 10, 0xdc000000, 0x94000000 },
        { "mod rate", 0.1, 5, 0.01, 0xee000000, 0x82000000 },
        { "mod depth", 0, 1, 0.01, 0xff000000, 0x70000000 },
    };

    TarnwickCorvane processor;
    OpenEditor editor (processor);

    std::vector<juce::Label*> names;
    for (auto* child : editor->getChildren())
        if (auto* label = dynamic_cast<juce::Label*> (child); label != nullptr && label->getY() == 75)
            names.push_back (label);
    ASSERT_EQ (names.size(), 9u);

    for (int i = 0; i < TarnwickCorvaneEditor::numKnobs; ++i)
    {
        SCOPED_TRACE (rows[i].name);
        const auto& name = *names[(size_t) i];
        EXPECT_EQ (name.getText(), rows[i].name);
        EXPECT_EQ (name.getBounds(), juce::Rectangle<int> (5 + 75 * i, 75, 75, 20));
        EXPECT_EQ (name.findColour (juce::Label::textColourId).getARGB(), rows[i].nameColour);

        auto& k = knob (*editor, i);
        EXPECT_EQ (k.getBounds(), juce::Rectangle<int> (10 + 75 * i, 95, 65, 85));
        EXPECT_EQ (k.getMinimum(), rows[i].minimum);
        EXPECT_EQ (k.getMaximum(), rows[i].maximum);
        EXPECT_EQ (k.getInterval(), rows[i].step);
        EXPECT_EQ (k.findColour (juce::Slider::rotarySliderOutlineColourId).getARGB(), rows[i].discColour);
        EXPECT_TRUE (k.getTooltip().startsWith (juce::String (rows[i].name) + ": "));
    }
}

TEST (EditorLayout, SelectorsListTheirModesInOrder)
{
    struct Row
    {
        const char* box;
        juce::Rectangle<int> bounds;
        juce::StringArray items;
    };

    const Row rows[] = {
        { "reverbModeComboBox", { 113, 195, 120, 20 }, { "mono", "bigStereo", "mediumStereo", "smallStereo" } },
        { "pitchModeComboBox", { 350, 195, 130, 20 }, { "single", "dual", "singleReverse", "dualReverse", "bypass" } },
        { "colorModeComboBox", { 600, 195, 90, 20 }, { "bright", "dark" } },
    };

    TarnwickCorvane processor;
    OpenEditor editor (processor);

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.box);
        auto& box = childNamed<juce::ComboBox> (*editor, row.box);
        EXPECT_EQ (box.getBounds(), row.bounds);
        ASSERT_EQ (box.getNumItems(), row.items.size());
        for (int i = 0; i < box.getNumItems(); ++i)
        {
            EXPECT_EQ (box.getItemText (i), row.items[i]);
            EXPECT_EQ (box.getItemId (i), i + 1);
        }
        EXPECT_EQ (box.findColour (juce::ComboBox::outlineColourId).getAlpha(), 0);
        EXPECT_EQ (box.findColour (juce::ComboBox::textColourId), juce::Colour (0xff000000));
    }
}

} // namespace
} // namespace corvane::test
