// GoogleTest entry for tests that need the toolkit: the main thread becomes
// the message thread, as in a host.
#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI toolkit;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
