#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>

class TarnwickCorvane;
class TarnwickSlider;

// The plug-in's window, 694 × 275: nine knobs with their names, the three
// mode selectors with captions, a two-line hint explaining the control under
// the mouse pointer, and the version, over the embedded background.
//
// The editor keeps no audio state. It writes parameters through the
// processor's parameter objects, bracketed by change gestures, and follows
// every change on the processor side through the processor's change
// messages, refreshing its controls without sending anything back.
class TarnwickCorvaneEditor : public juce::AudioProcessorEditor,
                              public juce::ChangeListener,
                              public juce::Slider::Listener,
                              public juce::ComboBox::Listener
{
public:
    static constexpr int numKnobs = 9;

    // Hover states: knob i is i, the selectors are these.
    static constexpr int reverbModeHovered = 10;
    static constexpr int pitchModeHovered = 11;
    static constexpr int colorModeHovered = 12;
    static constexpr int nothingHovered = -1;

    explicit TarnwickCorvaneEditor (TarnwickCorvane& owner);
    ~TarnwickCorvaneEditor() override;

    void paint (juce::Graphics&) override;

    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void sliderValueChanged (juce::Slider*) override;
    void sliderDragStarted (juce::Slider*) override;
    void sliderDragEnded (juce::Slider*) override;
    void comboBoxChanged (juce::ComboBox*) override;

    // What the latest paint found under the pointer and shows in the hint line.
    int getHoveredControl() const noexcept { return hoveredControl; }
    const juce::String& getHintText() const noexcept { return hintText; }

private:
    void updateHint();
    juce::AudioProcessorParameter& parameter (int index) const;

    TarnwickCorvane& owner;

    // Children, owned by the component tree and deleted by the destructor.
    std::array<TarnwickSlider*, numKnobs> knobs {};
    std::array<juce::Label*, numKnobs> knobLabels {};
    juce::Label* reverbModeLabel = nullptr;
    juce::Label* pitchModeLabel = nullptr;
    juce::Label* colorModeLabel = nullptr;
    juce::ComboBox* reverbModeComboBox = nullptr;
    juce::ComboBox* pitchModeComboBox = nullptr;
    juce::ComboBox* colorModeComboBox = nullptr;

    int hoveredControl = 0;
    int lastHoveredControl = 0;
    bool hintChanged = false;
    juce::String hintText;
    juce::String versionText;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TarnwickCorvaneEditor)
};
