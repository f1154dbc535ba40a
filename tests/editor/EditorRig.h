#pragma once

// Helpers for driving the editor the way a user and a host do: through the
// toolkit's own message loop, window peer and mouse.
//
// The tests run with their own virtual X display (with_display.sh starts
// Xvfb): hover is decided by where X's pointer really is, so the pointer is
// warped there, and the mouse events go through the window's peer as X's
// would.

#include "editor/TarnwickCorvaneEditor.h"
#include "editor/TarnwickSlider.h"
#include "processor/TarnwickCorvane.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <memory>
#include <string>
#include <vector>

namespace corvane::test
{

// Runs the message loop until `done` holds or `timeoutMs` passes; true if done.
inline bool pumpUntil (const std::function<bool()>& done, int timeoutMs = 3000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (! done())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }
    return true;
}

inline void pumpFor (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

template <typename ComponentType>
ComponentType& childNamed (juce::Component& parent, const juce::String& name)
{
    for (auto* child : parent.getChildren())
        if (child->getName() == name)
            if (auto* typed = dynamic_cast<ComponentType*> (child))
                return *typed;
    ADD_FAILURE() << "no child named " << name;
    throw std::runtime_error ("missing child " + name.toStdString());
}

inline TarnwickSlider& knob (juce::Component& editor, int index)
{
    return childNamed<TarnwickSlider> (editor, juce::String (index));
}

// The knob's value box: the one label inside the slider.
inline juce::String valueBoxText (TarnwickSlider& slider)
{
    for (auto* child : slider.getChildren())
        if (auto* label = dynamic_cast<juce::Label*> (child))
            return label->getText();
    return "<no value box>";
}

// Everything the parameter objects tell their listeners (the host, in a plug-in).
class ParameterRecorder : private juce::AudioProcessorParameter::Listener
{
public:
    struct Event
    {
        enum Kind { value, gestureBegin, gestureEnd } kind;
        int index;
        float newValue;
    };

    explicit ParameterRecorder (juce::AudioProcessor& p) : processor (p)
    {
        for (auto* parameter : processor.getParameters())
            parameter->addListener (this);
    }

    ~ParameterRecorder() override
    {
        for (auto* parameter : processor.getParameters())
            parameter->removeListener (this);
    }

    std::vector<Event> events;

private:
    void parameterValueChanged (int index, float newValue) override
    {
        events.push_back ({ Event::value, index, newValue });
    }

    void parameterGestureChanged (int index, bool starting) override
    {
        events.push_back ({ starting ? Event::gestureBegin : Event::gestureEnd, index, 0.0f });
    }

    juce::AudioProcessor& processor;
};

// An editor opened the way a host opens one (createEditorIfNeeded) and
// closed the way a host closes it. `onScreen` puts it in a real window on the
// virtual display, where the test moves the mouse pointer.
class OpenEditor
{
public:
    using Factory = std::function<TarnwickCorvaneEditor*(TarnwickCorvane&)>;

    explicit OpenEditor (TarnwickCorvane& processorToUse, bool onScreen = false, const Factory& make = {})
        : processor (processorToUse),
          editor (make ? make (processor) : dynamic_cast<TarnwickCorvaneEditor*> (processor.createEditorIfNeeded()))
    {
        if (editor == nullptr)
            throw std::runtime_error ("the processor made no TarnwickCorvaneEditor");

        if (onScreen)
        {
            editor->setTopLeftPosition (40, 40);
            editor->addToDesktop (0);
            editor->setVisible (true);

            if (editor->getPeer() == nullptr)
                throw std::runtime_error ("no window peer: is there an X display?");

            // Let the window map and settle before the pointer moves over it.
            pumpUntil ([this] { return editor->isShowing(); });
            pumpFor (50);
        }
    }

    ~OpenEditor()
    {
        processor.editorBeingDeleted (editor.get());
    }

    TarnwickCorvaneEditor& operator*() { return *editor; }
    TarnwickCorvaneEditor* operator->() { return editor.get(); }

    // Moves X's pointer to `point` (editor coordinates) and hands the window
    // the matching mouse event, with the given buttons held.
    void mouseTo (juce::Point<int> point, juce::ModifierKeys buttons = {})
    {
        juce::Desktop::setMousePosition (editor->localPointToGlobal (point));
        editor->getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, point.toFloat(), buttons,
                                             juce::MouseInputSource::defaultPressure,
                                             juce::MouseInputSource::defaultOrientation,
                                             juce::Time::currentTimeMillis());
    }

    // Moves the pointer and waits until the hint has followed it through the
    // toolkit's repaints; false if it never does.
    bool hoverAt (juce::Point<int> point, int expectedState)
    {
        mouseTo (point);
        if (! pumpUntil ([&] { return editor->getHoveredControl() == expectedState; }))
            return false;
        pumpFor (40);   // the hint line's own repaint
        return editor->getHoveredControl() == expectedState;
    }

private:
    TarnwickCorvane& processor;
    std::unique_ptr<TarnwickCorvaneEditor> editor;
};

} // namespace corvane::test
