#pragma once

// A file written under a temporary name beside its destination and moved
// over it only when complete: a render that fails or is interrupted leaves
// neither a partial file nor a damaged older one behind. The rename is
// atomic on one file system, which is why the temporary file sits in the
// destination's own directory.

#include <memory>
#include <string>

namespace corvane::render
{

class PendingFile
{
public:
    // Creates the empty temporary file; on failure returns nothing and sets
    // `error` to a one-line reason naming the destination.
    static std::unique_ptr<PendingFile> create (const std::string& destination, std::string& error);

    ~PendingFile();
    PendingFile (const PendingFile&) = delete;
    PendingFile& operator= (const PendingFile&) = delete;

    const std::string& getTemporaryPath() const noexcept { return temporaryPath; }
    const std::string& getDestination() const noexcept { return destination; }

    // Moves the finished file over the destination; an empty string on success.
    std::string commit();

private:
    PendingFile (std::string destination, std::string temporaryPath);

    std::string destination, temporaryPath;
    bool committed = false;
};

// True when both names lead to the same file (through links, "..", another
// spelling), or would once created.
bool isSameFile (const std::string& a, const std::string& b);

} // namespace corvane::render
