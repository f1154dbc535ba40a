#include "StateFile.h"

#include "processor/StateContainer.h"
#include "processor/TarnwickCorvane.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace corvane::render
{

std::string checkStateData (const void* data, std::size_t size, const std::string& name)
{
    const auto quotedName = "'" + name + "'";
    if (size == 0)
        return "state file " + quotedName + " is empty";
    if (size > maxStateFileBytes)
        return "state file " + quotedName + " is too large to be a saved state (over 1 MiB)";

    // Our container starts with its magic number, little-endian; without it
    // the file is something else altogether, which deserves its own message.
    const auto* bytes = static_cast<const unsigned char*> (data);
    const auto magic = (juce::uint32) bytes[0] | (juce::uint32) bytes[1] << 8 | (juce::uint32) bytes[2] << 16 | (juce::uint32) bytes[3] << 24;
    if (size <= StateContainer::headerBytes || magic != StateContainer::magic)
        return quotedName + " is not a TarnwickCorvane state file";

    if (! TarnwickCorvane::isAcceptableState (data, static_cast<int> (size)))
        return "state file " + quotedName + " is damaged or not from this plug-in: the plug-in refuses it";
    return {};
}

StateFileResult readStateFile (const std::string& path)
{
    const auto quotedName = "'" + path + "'";

    struct stat info {};
    if (::stat (path.c_str(), &info) != 0)
        return { {}, "cannot read state file " + quotedName + ": " + std::strerror (errno) };
    if (S_ISDIR (info.st_mode))
        return { {}, "state file " + quotedName + " is a directory" };

    std::ifstream file (path, std::ios::binary);
    if (! file)
        return { {}, "cannot read state file " + quotedName + ": " + std::strerror (errno) };

    // One byte more than allowed, so that an oversized file is recognised
    // without reading all of it.
    std::vector<char> data (maxStateFileBytes + 1);
    file.read (data.data(), static_cast<std::streamsize> (data.size()));
    if (file.bad())
        return { {}, "cannot read state file " + quotedName };
    data.resize (static_cast<size_t> (file.gcount()));

    if (auto error = checkStateData (data.data(), data.size(), path); ! error.empty())
        return { {}, std::move (error) };
    return { std::move (data), {} };
}

} // namespace corvane::render
