#include "ProcessorRig.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

TEST (Programs, FreshInstanceHasTheDefaultsInProgramZero)
{
    ProcessorRig rig;
    EXPECT_EQ (rig->getCurrentProgram(), 0);
    EXPECT_EQ (rig->getProgramName (0), "RadavErir");
    EXPECT_EQ (rig->getParameter (diffusionIndex), 0.91919196f);
    EXPECT_EQ (rig->getParameter (highCutIndex), 0.53020132f);
    EXPECT_EQ (rig->getParameter (lowCutIndex), 0.0f) << "the default, not the document's 0.03";
    EXPECT_EQ (rig->getParameter (modDepthIndex), 0.3f);
    for (int i = 0; i < numParameters; ++i)
        EXPECT_EQ (rig->getParameter (i), rig->getParameterDefaultValue (i)) << i;
}

TEST (Programs, NamesAndTextsOfTheBank)
{
    ProcessorRig rig;
    const char* names[] = { "RadavErir", "ConcertHall", "BrightHall", "DeepBlueDay", "Chorus", "BigReverse", "TajMahal", "OctaveUpDown" };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ (rig->getProgramName (i), names[i]);
    for (int bad : { 8, 100, -1, -1000 })
        EXPECT_EQ (rig->getProgramName (bad), "Invalid") << bad;

    rig->changeProgramName (3, "Mine");
    rig->changeProgramName (-2, "Nope");
    rig->changeProgramName (8, "Nope");
    EXPECT_EQ (rig->getProgramName (3), "Mine");
    EXPECT_EQ (ProcessorRig()->getProgramName (3), "DeepBlueDay") << "a new instance starts from the factory bank";

    EXPECT_EQ (rig->getParameterName (0), "wetDry");
    EXPECT_EQ (rig->getParameterName (11), "colorMode");
    EXPECT_EQ (rig->getParameterName (12), "");
}

TEST (Programs, TwoDecimalTexts)
{
    struct Case { float value; const char* text; };
    const Case cases[] = { { 0.005f, "0.00" }, { 0.995f, "1.00" }, { 0.75f, "0.75" }, { 0.125f, "0.13" },
                           { 0.91919196f, "0.92" }, { 1.0f, "1.00" }, { 0.0f, "0.00" } };
    ProcessorRig rig;
    for (const auto& c : cases)
    {
        rig->setParameter (feedbackIndex, c.value);
        EXPECT_EQ (rig->getParameterText (feedbackIndex), c.text) << c.value;
        EXPECT_EQ (rig->getParameters()[feedbackIndex]->getText (c.value, 64), c.text) << c.value;
    }
}

TEST (Programs, OctaveUpDownRunsMediumDualReverseDark)
{
    ProcessorRig rig;
    rig->setCurrentProgram (7);
    EXPECT_EQ (rig->getModeNumber (reverbModeIndex), 2);
    EXPECT_EQ (rig->getModeNumber (shiftModeIndex), 3);
    EXPECT_EQ (rig->getModeNumber (colourModeIndex), 1);
    EXPECT_EQ (rig->getParameter (shiftModeIndex), 0.8f);
}

TEST (Programs, SwitchKeepsTheMixAndEditsSurviveSwitchingBack)
{
    ProcessorRig rig;
    rig->setParameter (wetDryIndex, 0.3f);
    rig->setCurrentProgram (2);
    EXPECT_EQ (rig->getParameter (wetDryIndex), 0.3f) << "the mix in effect stays and is reported";

    rig->setParameter (sizeIndex, 0.123f);
    rig->setCurrentProgram (5);
    EXPECT_NE (rig->getParameter (sizeIndex), 0.123f);
    rig->setCurrentProgram (2);
    EXPECT_EQ (rig->getParameter (sizeIndex), 0.123f);
    EXPECT_EQ (rig->getProgramName (2), "BrightHall") << "editing never renames";

    for (int bad : { 8, -1 })
    {
        rig->setCurrentProgram (bad);
        EXPECT_EQ (rig->getCurrentProgram(), 2);
    }
}

TEST (Programs, ChangeMessagesOnlyForValuesThatChange)
{
    ProcessorRig rig;
    auto messages = rig->getChangeMessageCount();
    rig->setParameter (feedbackIndex, 0.0f); // already 0
    EXPECT_EQ (rig->getChangeMessageCount(), messages);
    rig->setParameter (feedbackIndex, 0.5f);
    EXPECT_EQ (rig->getChangeMessageCount(), messages + 1);

    // Program 1 and program 2 differ only in high cut and colour: two values
    // change, plus the switch's own message.
    rig->setCurrentProgram (1);
    messages = rig->getChangeMessageCount();
    rig->setCurrentProgram (2);
    EXPECT_EQ (rig->getChangeMessageCount(), messages + 3);
}

TEST (Programs, ValuesFromOutsideAreHeldToTheirRange)
{
    ProcessorRig rig;
    rig->setParameter (feedbackIndex, 5.0f);
    EXPECT_EQ (rig->getParameter (feedbackIndex), 1.0f);
    rig->setParameter (feedbackIndex, -2.0f);
    EXPECT_EQ (rig->getParameter (feedbackIndex), 0.0f);
    rig->setParameter (feedbackIndex, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ (rig->getParameter (feedbackIndex), 0.0f);
    rig->setParameter (12, 0.5f);
    rig->setParameter (-1, 0.5f);
    EXPECT_EQ (rig->getParameter (12), 0.0f);

    auto* parameter = rig->getParameters()[sizeIndex];
    EXPECT_EQ (parameter->getValueForText ("0.25"), 0.25f);
    EXPECT_EQ (parameter->getValueForText ("12"), 1.0f);
    EXPECT_EQ (parameter->getValueForText ("rubbish"), 0.0f);
}

TEST (Programs, BankLoaderReadsDocumentsDefensively)
{
    struct Case { const char* why; juce::String xml; int current; const char* name0; float feedback0; };
    const Case cases[] = {
        { "not a bank", "<other curprogram=\"3\"/>", 0, "RadavErir", 0.0f },
        { "bank without programs", "<corvaneXML curprogram=\"3\"/>", 3, "RadavErir", 0.0f },
        { "current program out of range", "<corvaneXML curprogram=\"9\"><programs/></corvaneXML>", 0, "RadavErir", 0.0f },
        { "program without name or values", "<corvaneXML><programs><junk/><program/></programs></corvaneXML>", 0, "Not Saved", 0.0f },
        { "value out of range", "<corvaneXML><programs><program programname=\"x\" feedback=\"3\"/></programs></corvaneXML>", 0, "x", 1.0f },
    };
    for (const auto& c : cases)
    {
        ProcessorRig rig;
        const auto bank = wrapText (c.xml);
        rig->loadProgramBank (bank.getData(), bank.getSize());
        EXPECT_EQ (rig->getCurrentProgram(), c.current) << c.why;
        EXPECT_EQ (rig->getProgramName (0), c.name0) << c.why;
        rig.now += 1000;
        rig->setCurrentProgram (0);
        EXPECT_EQ (rig->getParameter (feedbackIndex), c.feedback0) << c.why;
    }
}
