#pragma once

#include "engine/EngineParameters.h"
#include "processor/XmlSubset.h"

#include <juce_core/juce_core.h>

#include <array>
#include <atomic>
#include <optional>

namespace corvane
{

// A program: a name and twelve normalised values in parameter order. The
// values are atomics because the host may read and write them from any thread.
struct ProgramSlot
{
    juce::String name { "default" };
    std::array<std::atomic<float>, numParameters> values {};

    void setValues (const std::array<float, numParameters>& newValues) noexcept
    {
        for (size_t i = 0; i < newValues.size(); ++i)
            values[i].store (newValues[i]);
    }
};

struct ProgramBankDocument
{
    struct Program
    {
        juce::String name;
        std::array<float, numParameters> values;
    };

    std::optional<int> currentProgram;   // when the document names one in 0..7
    std::vector<Program> programs;       // at most eight, in document order
};

// Reads a program-bank document (root `corvaneXML`, first child `programs`,
// then `program` elements). Absent values take the bank defaults; values are
// clamped to 0..1, and those that are not finite count as absent. Nothing
// when the root is not a bank.
std::optional<ProgramBankDocument> readProgramBank (const XmlNode& root);

} // namespace corvane
