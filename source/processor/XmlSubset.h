#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <utility>
#include <vector>

namespace corvane
{

// The small part of XML that saved states and the program document use:
// an optional declaration, then one element with attributes and child
// elements. Anything else is refused rather than guessed at: document types
// and entity definitions (unbounded expansion), comments, CDATA, text over
// 64 KiB, nesting beyond a few levels (unbounded recursion), invalid UTF-8.
struct XmlNode
{
    juce::String tag;
    std::vector<std::pair<juce::String, juce::String>> attributes;
    std::vector<XmlNode> children;

    // Tag and attribute names compare without regard to letter case.
    bool hasTag (const juce::String& name) const { return tag.equalsIgnoreCase (name); }
    const juce::String* findAttribute (const juce::String& name) const;
};

struct XmlLimits
{
    static constexpr size_t maxTextBytes = 64 * 1024;
    static constexpr int maxDepth = 8;
};

// Parses `text` (up to `length` bytes or the first zero byte). Returns
// nothing when the text is not exactly one well-formed element.
std::optional<XmlNode> parseXmlSubset (const char* text, size_t length);

} // namespace corvane
