#pragma once

#include <juce_core/juce_core.h>

#include <optional>

namespace corvane
{

// The binary wrapper around saved XML text, compatible with what hosts have
// stored for years: the magic bytes "VC2!", the text length as a
// little-endian 32-bit number, the UTF-8 text and a zero byte.
namespace StateContainer
{
    constexpr juce::uint32 magic = 0x21324356;
    constexpr size_t headerBytes = 8;

    juce::MemoryBlock wrap (const juce::String& xmlText);

    // The wrapped text: the data must be longer than the header, start with
    // the magic and give a length above 0; only the bytes present are used.
    std::optional<juce::MemoryBlock> unwrap (const void* data, size_t sizeInBytes);
} // namespace StateContainer

} // namespace corvane
