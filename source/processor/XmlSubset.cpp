#include "processor/XmlSubset.h"

namespace corvane
{

namespace
{
    class Reader
    {
    public:
        Reader (const char* begin, const char* end) : p (begin), end (end) {}

        std::optional<XmlNode> document()
        {
            skipByteOrderMark();
            skipSpace();
            if (startsWith ("<?"))
            {
                if (! startsWith ("<?xml") || ! skipPast ("?>"))
                    return std::nullopt;
                skipSpace();
            }

            XmlNode root;
            if (! element (root, 1))
                return std::nullopt;

            skipSpace();
            if (p != end)
                return std::nullopt; // a second element or stray text
            return root;
        }

    private:
        static bool isNameStart (char c)
        {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
        }
        static bool isNameChar (char c) { return isNameStart (c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }
        static bool isSpace (char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

        bool atEnd() const { return p >= end; }
        bool startsWith (const char* s) const
        {
            const char* q = p;
            for (; *s != 0; ++s, ++q)
                if (q >= end || *q != *s)
                    return false;
            return true;
        }
        bool skipPast (const char* s)
        {
            while (! atEnd())
            {
                if (startsWith (s))
                {
                    p += std::strlen (s);
                    return true;
                }
                ++p;
            }
            return false;
        }
        void skipSpace()
        {
            while (! atEnd() && isSpace (*p))
                ++p;
        }
        void skipByteOrderMark()
        {
            if (startsWith ("\xef\xbb\xbf"))
                p += 3;
        }

        bool name (juce::String& out)
        {
            if (atEnd() || ! isNameStart (*p))
                return false;
            const char* start = p;
            while (! atEnd() && isNameChar (*p))
                ++p;
            out = juce::String (start, (size_t) (p - start));
            return true;
        }

        // Attribute value with the predefined and numeric character references.
        bool attributeValue (juce::String& out)
        {
            if (atEnd() || (*p != '"' && *p != '\''))
                return false;
            const char quote = *p++;
            juce::MemoryOutputStream value;
            while (! atEnd() && *p != quote)
            {
                if (*p == '<')
                    return false;
                if (*p == '&')
                {
                    if (! reference (value))
                        return false;
                    continue;
                }
                value.writeByte (*p++);
            }
            if (atEnd())
                return false;
            ++p; // closing quote
            out = value.toUTF8();
            return true;
        }

        bool reference (juce::MemoryOutputStream& out)
        {
            static const std::pair<const char*, char> named[] = {
                { "&lt;", '<' }, { "&gt;", '>' }, { "&amp;", '&' }, { "&quot;", '"' }, { "&apos;", '\'' }
            };
            for (const auto& [text, c] : named)
                if (startsWith (text))
                {
                    p += std::strlen (text);
                    out.writeByte (c);
                    return true;
                }

            if (! startsWith ("&#"))
                return false;
            p += 2;
            const bool hex = ! atEnd() && (*p == 'x' || *p == 'X');
            if (hex)
                ++p;
            juce::uint32 code = 0;
            int digits = 0;
            for (; ! atEnd() && *p != ';'; ++p, ++digits)
            {
                const int d = juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (unsigned char) *p);
                if (d < 0 || (! hex && d > 9) || digits >= 8)
                    return false;
                code = code * (hex ? 16u : 10u) + (juce::uint32) d;
            }
            if (atEnd() || digits == 0 || code == 0 || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
                return false;
            ++p; // ';'
            char utf8[8] = {};
            const auto bytes = juce::CharPointer_UTF8 (utf8).getBytesRequiredFor ((juce::juce_wchar) code);
            juce::CharPointer_UTF8 (utf8).write ((juce::juce_wchar) code);
            out.write (utf8, bytes);
            return true;
        }

        bool element (XmlNode& node, int depth)
        {
            if (depth > XmlLimits::maxDepth || atEnd() || *p != '<')
                return false;
            ++p;
            if (! name (node.tag))
                return false;

            for (;;)
            {
                const bool spaced = ! atEnd() && isSpace (*p);
                skipSpace();
                if (atEnd())
                    return false;
                if (startsWith ("/>"))
                {
                    p += 2;
                    return true;
                }
                if (*p == '>')
                {
                    ++p;
                    return content (node, depth);
                }
                juce::String attributeName, value;
                if (! spaced || ! name (attributeName))
                    return false;
                skipSpace();
                if (atEnd() || *p != '=')
                    return false;
                ++p;
                skipSpace();
                if (! attributeValue (value))
                    return false;
                node.attributes.emplace_back (attributeName, value);
            }
        }

        bool content (XmlNode& node, int depth)
        {
            for (;;)
            {
                // Text between elements carries nothing for us; skip it.
                while (! atEnd() && *p != '<')
                    ++p;
                if (atEnd())
                    return false;
                if (startsWith ("</"))
                {
                    p += 2;
                    juce::String closing;
                    if (! name (closing) || closing != node.tag)
                        return false;
                    skipSpace();
                    if (atEnd() || *p != '>')
                        return false;
                    ++p;
                    return true;
                }
                if (startsWith ("<?"))
                    return false;
                XmlNode child;
                if (! element (child, depth + 1))
                    return false;
                node.children.push_back (std::move (child));
            }
        }

        const char* p;
        const char* const end;
    };
} // namespace

const juce::String* XmlNode::findAttribute (const juce::String& name) const
{
    for (const auto& [attributeName, value] : attributes)
        if (attributeName.equalsIgnoreCase (name))
            return &value;
    return nullptr;
}

std::optional<XmlNode> parseXmlSubset (const char* text, size_t length)
{
    if (text == nullptr)
        return std::nullopt;

    // Text ends at the first zero byte, as a C string would.
    const char* zero = static_cast<const char*> (std::memchr (text, 0, length));
    const size_t used = zero != nullptr ? (size_t) (zero - text) : length;

    if (used == 0 || used > XmlLimits::maxTextBytes)
        return std::nullopt;
    if (! juce::CharPointer_UTF8::isValidString (text, (int) used))
        return std::nullopt;
    for (size_t i = 0; i + 1 < used; ++i)
        if (text[i] == '<' && text[i + 1] == '!')
            return std::nullopt;

    return Reader (text, text + used).document();
}

} // namespace corvane
