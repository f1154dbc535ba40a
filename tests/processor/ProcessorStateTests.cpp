#include "ProcessorRig.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace corvane;
using namespace corvane::test;

namespace
{
const juce::String freshStateText =
    "<MYPLUGINSETTINGS pluginVersion=\"1\" currentProgram=\"0\" parameter0=\"0.5\" parameter1=\"1\" parameter2=\"0\" "
    "parameter3=\"0.91919195652008056641\" parameter4=\"0.5\" parameter5=\"0\" parameter6=\"0.53020131587982177734\" "
    "parameter7=\"0.10000000149011611938\" parameter8=\"0.30000001192092895508\" parameter9=\"0\" parameter10=\"0\" "
    "parameter11=\"0\" uiWidth=\"694\" uiHeight=\"275\"/>";

std::vector<float> valuesOf (TarnwickCorvane& p)
{
    std::vector<float> v;
    for (int i = 0; i < numParameters; ++i)
        v.push_back (p.getParameter (i));
    return v;
}

// The container around raw bytes, valid text or not.
juce::MemoryBlock wrapRaw (const std::string& text)
{
    juce::MemoryOutputStream out;
    out.write ("VC2!", 4);
    out.writeInt ((int) text.size());
    out.write (text.data(), text.size());
    out.writeByte (0);
    return out.getMemoryBlock();
}

juce::MemoryBlock bytes (std::initializer_list<int> list)
{
    juce::MemoryBlock b;
    for (int x : list)
        b.append (&x, 1);
    return b;
}
} // namespace

TEST (SavedState, FreshInstanceSavesExactlyTheseBytes)
{
    ProcessorRig rig;
    const auto state = rig.state();
    const auto expectedLength = (size_t) freshStateText.getNumBytesAsUTF8();

    ASSERT_EQ (state.getSize(), expectedLength + 9);
    const auto* b = static_cast<const juce::uint8*> (state.getData());
    EXPECT_EQ (juce::String::fromUTF8 ((const char*) b, 4), "VC2!");
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (b + 4), (juce::uint32) expectedLength);
    EXPECT_EQ (juce::String::fromUTF8 ((const char*) b + 8, (int) expectedLength), freshStateText);
    EXPECT_EQ (b[8 + expectedLength], 0);
}

TEST (SavedState, RoundTripReproducesEveryValueBitForBit)
{
    ProcessorRig source;
    const float odd[] = { 0.123456789f, 0.999999f, 1e-7f, 0.333333343f, 0.0f, 1.0f, 0.8f, 0.01f, 0.70000005f, 0.5f, 0.9f, 0.51f };
    for (int i = 0; i < numParameters; ++i)
        source->setParameter (i, odd[i]);
    source->setCurrentProgram (5);
    source->setParameter (2, 0.424242f);

    ProcessorRig copy;
    copy.restore (source.state());
    EXPECT_EQ (copy->getCurrentProgram(), 5);
    EXPECT_EQ (valuesOf (*copy), valuesOf (*source));
    EXPECT_EQ (copy.state(), source.state());
}

TEST (SavedState, RestoreSelectsTheProgramAndTakesEveryValue)
{
    ProcessorRig source;
    source->setCurrentProgram (3);
    source->setParameter (wetDryIndex, 0.5f); // equal to the default: must still be restored
    ProcessorRig copy;
    copy.restore (source.state());
    EXPECT_EQ (copy->getCurrentProgram(), 3);
    EXPECT_EQ (valuesOf (*copy), valuesOf (*source));

    // A program change right after a restore is a host re-selecting: ignored.
    copy->setCurrentProgram (6);
    EXPECT_EQ (copy->getCurrentProgram(), 3);
    copy.now += 199;
    copy->setCurrentProgram (6);
    EXPECT_EQ (copy->getCurrentProgram(), 3);
    copy.now += 1;
    copy->setCurrentProgram (6);
    EXPECT_EQ (copy->getCurrentProgram(), 6);
}

TEST (SavedState, MissingValueTakesTheRestoredProgramsOwn)
{
    ProcessorRig rig;
    rig->setCurrentProgram (3);
    const float slot3LowCut = rig->getParameter (lowCutIndex);
    rig.now += 1000;
    rig->setCurrentProgram (0);
    ASSERT_NE (rig->getParameter (lowCutIndex), slot3LowCut + 0.5f);

    rig.restore (wrapText ("<mypluginsettings currentProgram=\"3\" parameter0=\"0.25\" uiWidth=\"800\" uiHeight=\"300\"/>"));
    EXPECT_EQ (rig->getCurrentProgram(), 3) << "the tag is accepted in any letter case";
    EXPECT_EQ (rig->getParameter (wetDryIndex), 0.25f);
    EXPECT_EQ (rig->getParameter (lowCutIndex), slot3LowCut);
    EXPECT_EQ (rig->getUiWidth(), 800);
    EXPECT_EQ (rig->getUiHeight(), 300);
}

TEST (SavedState, AcceptsTheToolkitsOwnFormat)
{
    // A state written by the toolkit: a declaration and shortest round-trip numbers.
    ProcessorRig rig;
    juce::XmlElement xml ("MYPLUGINSETTINGS");
    xml.setAttribute ("currentProgram", 2);
    xml.setAttribute ("parameter2", (double) 0.7f);
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (xml, block);
    rig.restore (block);
    EXPECT_EQ (rig->getCurrentProgram(), 2);
    EXPECT_EQ (rig->getParameter (feedbackIndex), 0.7f);
}

TEST (SavedState, OutOfRangeContentIsHeldOrIgnored)
{
    struct Case { const char* why; juce::String xml; int program; float feedback; int width; };
    const Case cases[] = {
        { "program beyond the bank", "<MYPLUGINSETTINGS currentProgram=\"8\"/>", 0, 0.0f, 694 },
        { "negative program", "<MYPLUGINSETTINGS currentProgram=\"-1\"/>", 0, 0.0f, 694 },
        { "program beyond 32 bits", "<MYPLUGINSETTINGS currentProgram=\"4294967299\"/>", 0, 0.0f, 694 },
        { "value above 1 is held at 1", "<MYPLUGINSETTINGS parameter2=\"7.5\"/>", 0, 1.0f, 694 },
        { "negative value is held at 0", "<MYPLUGINSETTINGS parameter2=\"-3\"/>", 0, 0.0f, 694 },
        { "huge value", "<MYPLUGINSETTINGS parameter2=\"1e300\"/>", 0, 1.0f, 694 },
        { "not finite", "<MYPLUGINSETTINGS parameter2=\"inf\"/>", 0, 0.0f, 694 },
        { "editor too narrow", "<MYPLUGINSETTINGS uiWidth=\"5\"/>", 0, 0.0f, 694 },
        { "editor absurdly wide", "<MYPLUGINSETTINGS uiWidth=\"99999999\"/>", 0, 0.0f, 694 },
        { "leading blanks and trailing text", "<MYPLUGINSETTINGS currentProgram=\"  4xyz\"/>", 4, 0.0f, 694 },
    };
    for (const auto& c : cases)
    {
        ProcessorRig rig;
        rig.restore (wrapText (c.xml));
        EXPECT_EQ (rig->getCurrentProgram(), c.program) << c.why;
        EXPECT_EQ (rig->getParameter (feedbackIndex), c.feedback) << c.why;
        EXPECT_EQ (rig->getUiWidth(), c.width) << c.why;
    }
}

TEST (SavedState, MalformedStatesChangeNothingAtAll)
{
    const juce::String valid = "<MYPLUGINSETTINGS currentProgram=\"4\" parameter2=\"0.9\"/>";
    const auto validBlock = wrapText (valid);
    juce::MemoryBlock longLength = validBlock;
    longLength.setBitRange (32, 32, 100000);
    juce::MemoryBlock truncated (validBlock.getData(), validBlock.getSize() - 12);
    juce::MemoryBlock wrongMagic = validBlock;
    static_cast<char*> (wrongMagic.getData())[0] = 'X';

    juce::String deepNesting;
    for (int i = 0; i < 30000; ++i)
        deepNesting << "<a>";

    const std::pair<const char*, juce::MemoryBlock> cases[] = {
        { "empty", {} },
        { "eight bytes", bytes ({ 'V', 'C', '2', '!', 0, 0, 0, 0 }) },
        { "length zero", bytes ({ 'V', 'C', '2', '!', 0, 0, 0, 0, '<', 'a', '/', '>' }) },
        { "wrong magic", wrongMagic },
        { "truncated text", truncated },
        { "not XML", wrapText ("hello, world") },
        { "another element", wrapText ("<corvaneXML curprogram=\"4\"/>") },
        { "two elements", wrapText (valid + valid) },
        { "entity expansion", wrapText ("<!DOCTYPE a [<!ENTITY x \"xxxxxxxxxxxxxxxx\"><!ENTITY y \"&x;&x;&x;&x;&x;&x;&x;\">]>"
                                        "<MYPLUGINSETTINGS currentProgram=\"&y;\"/>") },
        { "deep nesting", wrapText ("<MYPLUGINSETTINGS>" + deepNesting) },
        { "text over 64 KiB", wrapText ("<MYPLUGINSETTINGS currentProgram=\"4\" x=\"" + juce::String::repeatedString ("y", 70000) + "\"/>") },
        { "invalid UTF-8", wrapRaw ("<MYPLUGINSETTINGS currentProgram=\"4\" x=\"\xff\xfe\"/>") },
    };

    for (const auto& [why, block] : cases)
    {
        ProcessorRig rig;
        rig->setParameter (feedbackIndex, 0.2f);
        const auto before = rig.state();
        const auto messages = rig->getChangeMessageCount();

        const auto started = std::chrono::steady_clock::now();
        rig->setStateInformation (block.getData(), (int) block.getSize());
        EXPECT_LT (std::chrono::steady_clock::now() - started, std::chrono::seconds (1)) << why;

        EXPECT_EQ (rig.state(), before) << why;
        EXPECT_EQ (rig->getChangeMessageCount(), messages) << why;
        EXPECT_EQ (rig->getLastRestoreTime(), 0u) << why;
        rig->setCurrentProgram (2);
        EXPECT_EQ (rig->getCurrentProgram(), 2) << why << ": program changes stay possible";
    }

    // The length field claims more than there is: only the bytes present count.
    ProcessorRig rig;
    rig.restore (longLength);
    EXPECT_EQ (rig->getCurrentProgram(), 4);
}
