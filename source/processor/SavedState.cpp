// The saved state: one empty element, MYPLUGINSETTINGS, with the current
// program, the twelve values and the editor size, wrapped in the binary
// container hosts keep in their projects.
#include "processor/NumberText.h"
#include "processor/StateContainer.h"
#include "processor/TarnwickCorvane.h"
#include "processor/XmlSubset.h"

using namespace corvane;

namespace
{
constexpr int minUiSize = 100;
constexpr int maxUiSize = 8192;

juce::String parameterAttribute (int index) { return "parameter" + juce::String (index); }

std::optional<int> readUiSize (const XmlNode& state, const char* name)
{
    if (const auto* text = state.findAttribute (name))
        if (const auto size = NumberText::parseInteger (*text); size && *size >= minUiSize && *size <= maxUiSize)
            return *size;
    return std::nullopt;
}

// The state element of a saved blob, or nothing when the blob is refused:
// empty, not in our container, not exactly one well-formed element, or an
// element of another name.
std::optional<XmlNode> readStateElement (const void* data, int sizeInBytes)
{
    if (sizeInBytes <= 0)
        return std::nullopt;
    const auto text = StateContainer::unwrap (data, (size_t) sizeInBytes);
    if (! text)
        return std::nullopt;
    auto state = parseXmlSubset (static_cast<const char*> (text->getData()), text->getSize());
    if (! state || ! state->hasTag ("MYPLUGINSETTINGS"))
        return std::nullopt;
    return state;
}
} // namespace

bool TarnwickCorvane::isAcceptableState (const void* data, int sizeInBytes)
{
    return readStateElement (data, sizeInBytes).has_value();
}

void TarnwickCorvane::getStateInformation (juce::MemoryBlock& destData)
{
    juce::String xml ("<MYPLUGINSETTINGS pluginVersion=\"1\" currentProgram=\"");
    xml << juce::String (getCurrentProgram()) << "\"";
    for (int i = 0; i < numParameters; ++i)
        xml << " " << parameterAttribute (i) << "=\"" << NumberText::real (getParameter (i)) << "\"";
    xml << " uiWidth=\"" << juce::String (getUiWidth()) << "\" uiHeight=\"" << juce::String (getUiHeight()) << "\"/>";

    destData = StateContainer::wrap (xml);
}

void TarnwickCorvane::setStateInformation (const void* data, int sizeInBytes)
{
    const auto state = readStateElement (data, sizeInBytes);
    if (! state)
        return;

    const auto before = currentValues();

    if (const auto* program = state->findAttribute ("currentProgram"))
        if (const auto index = NumberText::parseInteger (*program); index && *index >= 0 && *index < numPrograms)
            currentProgram = *index;

    // Missing values take the restored program's own.
    for (int i = 0; i < numParameters; ++i)
    {
        float value = getParameter (i);
        if (const auto* attribute = state->findAttribute (parameterAttribute (i)))
            if (const auto real = NumberText::parseReal (*attribute))
                value = static_cast<float> (juce::jlimit (0.0, 1.0, *real));

        if (requestValue (i, value))
            notifyChange();
        currentSlot().values[(size_t) i].store (requested[(size_t) i].load());
    }

    if (const auto width = readUiSize (*state, "uiWidth"))
        uiWidth = *width;
    if (const auto height = readUiSize (*state, "uiHeight"))
        uiHeight = *height;

    notifyChange();
    lastRestoreTime = clock();
    hasRestored = true;
    notifyHostOfValues (before);
}
