// The editor's picture, rendered off-screen, against committed reference
// pictures: a fresh processor's editor and the editor of factory program 7.
//
// Both renders are written to <build>/editor-snapshots/ on every run, so the
// current look can be inspected there. The references are regression guards,
// not proof of the layout: they were checked by eye against the intended
// layout when made. To replace them deliberately after a change of the look,
// run the tests with CORVANE_UPDATE_EDITOR_REFERENCES=1 in the environment
// (the tests then write tests/editor/reference/*.png and pass), look at the
// new pictures, and commit them.

#include "EditorRig.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace corvane::test
{
namespace
{
// Per colour channel: leaves room for rounding differences in anti-aliased
// edges between compilers, far below what a moved, missing or recoloured
// element changes (tens to hundreds of levels).
constexpr int channelTolerance = 6;

juce::File snapshotDirectory() { return juce::File (CORVANE_EDITOR_SNAPSHOT_DIR); }
juce::File referenceDirectory() { return juce::File (CORVANE_EDITOR_REFERENCE_DIR); }

void writePng (const juce::Image& image, const juce::File& file)
{
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::FileOutputStream out (file);
    ASSERT_TRUE (out.openedOk()) << file.getFullPathName();
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out));
}

int channelDifference (juce::Colour a, juce::Colour b)
{
    return std::max ({ std::abs ((int) a.getAlpha() - (int) b.getAlpha()),
                       std::abs ((int) a.getRed() - (int) b.getRed()),
                       std::abs ((int) a.getGreen() - (int) b.getGreen()),
                       std::abs ((int) a.getBlue() - (int) b.getBlue()) });
}

void checkAgainstReference (const juce::Image& snapshot, const juce::String& name)
{
    const auto fileName = name + ".png";
    writePng (snapshot, snapshotDirectory().getChildFile (fileName));

    const auto referenceFile = referenceDirectory().getChildFile (fileName);

    if (const char* update = std::getenv ("CORVANE_UPDATE_EDITOR_REFERENCES"); update != nullptr && *update == '1')
    {
        writePng (snapshot, referenceFile);
        std::cout << "wrote reference " << referenceFile.getFullPathName() << std::endl;
        return;
    }

    const auto reference = juce::ImageFileFormat::loadFrom (referenceFile);
    ASSERT_TRUE (reference.isValid()) << "missing reference " << referenceFile.getFullPathName();
    ASSERT_EQ (reference.getWidth(), snapshot.getWidth());
    ASSERT_EQ (reference.getHeight(), snapshot.getHeight());

    int differing = 0, worst = 0;
    juce::Point<int> worstAt;

    for (int y = 0; y < snapshot.getHeight(); ++y)
        for (int x = 0; x < snapshot.getWidth(); ++x)
            if (const auto d = channelDifference (snapshot.getPixelAt (x, y), reference.getPixelAt (x, y));
                d > channelTolerance)
            {
                ++differing;
                if (d > worst)
                {
                    worst = d;
                    worstAt = { x, y };
                }
            }

    EXPECT_EQ (differing, 0) << name << ": " << differing << " pixels differ by more than " << channelTolerance
                             << " levels, the most (" << worst << ") at " << worstAt.x << ", " << worstAt.y
                             << "; compare " << snapshotDirectory().getChildFile (fileName).getFullPathName()
                             << " with " << referenceFile.getFullPathName();
}

struct SnapshotCase
{
    const char* name;
    int program;   // -1: the processor as constructed
};

void PrintTo (const SnapshotCase& c, std::ostream* out) { *out << c.name; }

class EditorSnapshot : public ::testing::TestWithParam<SnapshotCase>
{
};

TEST_P (EditorSnapshot, MatchesItsReferencePicture)
{
    TarnwickCorvane processor;
    if (GetParam().program >= 0)
        processor.setCurrentProgram (GetParam().program);

    OpenEditor editor (processor);
    ASSERT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 694, 275));

    const auto snapshot = editor->createComponentSnapshot (editor->getLocalBounds());
    checkAgainstReference (snapshot, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P (Pictures, EditorSnapshot,
                          ::testing::Values (SnapshotCase { "editor-fresh-processor", -1 },
                                             SnapshotCase { "editor-program-7", 7 }),
                          [] (const auto& info) { return std::string (info.param.program < 0 ? "FreshProcessor" : "Program7"); });

} // namespace
} // namespace corvane::test
