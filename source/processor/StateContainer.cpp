#include "processor/StateContainer.h"

namespace corvane::StateContainer
{

juce::MemoryBlock wrap (const juce::String& xmlText)
{
    const auto* utf8 = xmlText.toRawUTF8();
    const auto length = (juce::uint32) xmlText.getNumBytesAsUTF8();

    juce::MemoryOutputStream out;
    out.writeInt ((int) magic);
    out.writeInt ((int) length);
    out.write (utf8, length);
    out.writeByte (0);
    return out.getMemoryBlock();
}

std::optional<juce::MemoryBlock> unwrap (const void* data, size_t sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= headerBytes)
        return std::nullopt;

    const auto* bytes = static_cast<const juce::uint8*> (data);
    if (juce::ByteOrder::littleEndianInt (bytes) != magic)
        return std::nullopt;

    const auto length = (size_t) juce::ByteOrder::littleEndianInt (bytes + 4);
    if (length == 0)
        return std::nullopt;

    return juce::MemoryBlock (bytes + headerBytes, std::min (length, sizeInBytes - headerBytes));
}

} // namespace corvane::StateContainer
