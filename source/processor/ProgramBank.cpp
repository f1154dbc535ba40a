#include "processor/ProgramBank.h"

#include "processor/NumberText.h"

#include <algorithm>

namespace corvane
{

namespace
{
    constexpr int bankSize = 8;

    struct ProgramAttribute
    {
        const char* name;
        float defaultValue;
    };

    // In parameter order. No factory program stores a mix; 0.8 it is.
    constexpr ProgramAttribute programAttributes[numParameters] = {
        { "mix", 0.8f },       { "shift", 1.0f },      { "feedback", 0.0f },   { "diffusion", 0.915f },
        { "size", 0.5f },      { "lowcut", 0.03f },    { "highcut", 0.7f },    { "modrate", 0.1f },
        { "moddepth", 0.25f }, { "reverbmode", 0.0f }, { "shiftmode", 0.0f },  { "colormode", 0.0f },
    };

    float readValue (const XmlNode& program, const ProgramAttribute& attribute)
    {
        if (const auto* text = program.findAttribute (attribute.name))
            if (const auto value = NumberText::parseReal (*text))
                return static_cast<float> (std::clamp (*value, 0.0, 1.0));
        return attribute.defaultValue;
    }
} // namespace

std::optional<ProgramBankDocument> readProgramBank (const XmlNode& root)
{
    if (! root.hasTag ("corvaneXML"))
        return std::nullopt;

    ProgramBankDocument bank;
    if (const auto* text = root.findAttribute ("curprogram"))
        if (const auto index = NumberText::parseInteger (*text); index && *index >= 0 && *index < bankSize)
            bank.currentProgram = *index;

    if (root.children.empty() || ! root.children.front().hasTag ("programs"))
        return bank;

    for (const auto& child : root.children.front().children)
    {
        if ((int) bank.programs.size() == bankSize)
            break;
        if (! child.hasTag ("program"))
            continue;

        ProgramBankDocument::Program program;
        const auto* name = child.findAttribute ("programname");
        program.name = name != nullptr ? *name : juce::String ("Not Saved");
        for (int i = 0; i < numParameters; ++i)
            program.values[(size_t) i] = readValue (child, programAttributes[i]);
        bank.programs.push_back (std::move (program));
    }
    return bank;
}

} // namespace corvane
