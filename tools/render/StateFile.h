#pragma once

// Reading a state file for --state: the bytes a host keeps in its project
// for this plug-in, exactly as getStateInformation made them (and as
// --save-state writes them).

#include <cstddef>
#include <string>
#include <vector>

namespace corvane::render
{

struct StateFileResult
{
    std::vector<char> data; // valid when error is empty
    std::string error;
};

// Larger than any state the plug-in writes by far (they are under 1 KiB and
// the plug-in reads at most 64 KiB of text): anything bigger is not one.
constexpr std::size_t maxStateFileBytes = 1 << 20;

// Why the plug-in would refuse these bytes as a state, or an empty string
// when it would take them. `name` is the file name used in the message.
// Pure: no file access.
std::string checkStateData (const void* data, std::size_t size, const std::string& name);

// Reads and checks the file at `path`.
StateFileResult readStateFile (const std::string& path);

} // namespace corvane::render
