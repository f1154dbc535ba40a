// The --state reader: it must refuse exactly what the plug-in refuses, and
// say why in a way a user can act on.
#include "RenderTestSupport.h"
#include "StateFile.h"

#include "processor/StateContainer.h"
#include "processor/TarnwickCorvane.h"

namespace corvane::render
{
namespace
{
std::string bytesOf (const juce::MemoryBlock& block) { return { static_cast<const char*> (block.getData()), block.getSize() }; }

std::string savedState (float shift)
{
    TarnwickCorvane processor;
    processor.setParameter (1, shift);
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return bytesOf (block);
}

std::string wrapped (const char* xml) { return bytesOf (StateContainer::wrap (xml)); }

struct Blob
{
    const char* why;
    std::string bytes;
    const char* message; // nullptr: accepted
};

std::vector<Blob> blobs()
{
    const auto good = savedState (0.3f);
    auto zeroLength = good;
    zeroLength[4] = zeroLength[5] = zeroLength[6] = zeroLength[7] = 0;
    auto otherMagic = good;
    otherMagic[0] = 'X';

    return {
        { "a state the plug-in saved", good, nullptr },
        { "a hand-written state with only some values", wrapped ("<MYPLUGINSETTINGS parameter1=\"0.5\"/>"), nullptr },
        { "the element name in another letter case", wrapped ("<myPluginSettings/>"), nullptr },
        { "nothing at all", "", "is empty" },
        { "a text file", "hello, reverb", "is not a TarnwickCorvane state file" },
        { "the header alone", good.substr (0, 8), "is not a TarnwickCorvane state file" },
        { "another container's magic", otherMagic, "is not a TarnwickCorvane state file" },
        { "a length of zero", zeroLength, "the plug-in refuses it" },
        { "cut off in the middle", good.substr (0, good.size() / 2), "the plug-in refuses it" },
        { "another element", wrapped ("<corvaneXML curprogram=\"0\"/>"), "the plug-in refuses it" },
        { "not XML", wrapped ("MYPLUGINSETTINGS parameter1=0.5"), "the plug-in refuses it" },
        { "a document type", wrapped ("<!DOCTYPE x [<!ENTITY a \"b\">]><MYPLUGINSETTINGS/>"), "the plug-in refuses it" },
    };
}

TEST (StateFile, RefusesExactlyWhatThePluginRefuses)
{
    for (const auto& blob : blobs())
    {
        SCOPED_TRACE (blob.why);
        const auto error = checkStateData (blob.bytes.data(), blob.bytes.size(), "s.bin");
        if (blob.message == nullptr)
            EXPECT_EQ (error, "");
        else
            EXPECT_NE (error.find (blob.message), std::string::npos) << "message: " << error;

        // The plug-in's own verdict: a restore it takes stamps the restore time.
        TarnwickCorvane processor;
        processor.setClock ([] { return juce::uint32 { 4321 }; });
        processor.setStateInformation (blob.bytes.data(), (int) blob.bytes.size());
        EXPECT_EQ (processor.getLastRestoreTime() == 4321, error.empty());
        EXPECT_EQ (TarnwickCorvane::isAcceptableState (blob.bytes.data(), (int) blob.bytes.size()), error.empty());
    }
}

TEST (StateFile, ReadsTheFileOrSaysWhyNot)
{
    test::ScratchDirectory dir;
    const auto good = savedState (0.7f);
    test::writeBytes (dir / "good.bin", good);
    test::writeBytes (dir / "huge.bin", good + std::string (maxStateFileBytes, ' '));

    const auto read = readStateFile (dir / "good.bin");
    EXPECT_EQ (read.error, "");
    EXPECT_EQ (std::string (read.data.begin(), read.data.end()), good);

    const std::pair<std::string, const char*> failures[] = {
        { dir / "missing.bin", "cannot read state file" },
        { dir.get().string(), "is a directory" },
        { dir / "huge.bin", "is too large to be a saved state" },
    };
    for (const auto& [path, message] : failures)
    {
        SCOPED_TRACE (path);
        const auto result = readStateFile (path);
        EXPECT_TRUE (result.data.empty());
        EXPECT_NE (result.error.find (message), std::string::npos) << "message: " << result.error;
        EXPECT_NE (result.error.find (path), std::string::npos) << "the message names the file";
    }
}

} // namespace
} // namespace corvane::render
