#include "PendingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::render
{
namespace fs = std::filesystem;

namespace
{
std::string inQuotes (const std::string& text) { return "'" + text + "'"; }

// A name for the temporary file that no one else is using: hidden, beside
// the destination, with a random part. Created with O_EXCL, so an existing
// file is never taken over; the mode is the one a plain new file gets (the
// kernel applies the umask), unlike mkstemp's private 0600.
int createTemporary (const fs::path& directory, const std::string& stem, std::string& path)
{
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        char suffix[16];
        std::snprintf (suffix, sizeof (suffix), "%08x", entropy());
        path = (directory / ("." + stem + ".partial-" + suffix)).string();
        const int fd = ::open (path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}
} // namespace

std::unique_ptr<PendingFile> PendingFile::create (const std::string& destination, std::string& error)
{
    const auto name = inQuotes (destination);
    const fs::path path (destination);

    std::error_code ec;
    const auto status = fs::status (path, ec);
    std::optional<mode_t> existingMode;
    if (fs::exists (status))
    {
        if (fs::is_directory (status))
        {
            error = "cannot write " + name + ": it is a directory";
            return nullptr;
        }
        // Renaming over a device or a pipe would replace it with a file.
        if (! fs::is_regular_file (status))
        {
            error = "cannot write " + name + ": it is not a regular file";
            return nullptr;
        }
        if (::access (destination.c_str(), W_OK) != 0)
        {
            error = "cannot write " + name + ": " + std::strerror (errno);
            return nullptr;
        }
        struct stat info {};
        if (::stat (destination.c_str(), &info) == 0)
            existingMode = info.st_mode & 07777;
    }

    auto directory = path.parent_path();
    if (directory.empty())
        directory = ".";
    const auto directoryStatus = fs::status (directory, ec);
    if (! fs::is_directory (directoryStatus))
    {
        error = "cannot write " + name + ": " + (fs::exists (directoryStatus) ? "'" + directory.string() + "' is not a directory"
                                                                              : "directory '" + directory.string() + "' does not exist");
        return nullptr;
    }

    std::string temporary;
    const int fd = createTemporary (directory, path.filename().string(), temporary);
    if (fd < 0)
    {
        error = "cannot write " + name + ": " + std::strerror (errno);
        return nullptr;
    }
    // A file that replaces another keeps the older one's permissions.
    if (existingMode)
        ::fchmod (fd, *existingMode);
    ::close (fd);

    return std::unique_ptr<PendingFile> (new PendingFile (destination, temporary));
}

PendingFile::PendingFile (std::string destinationPath, std::string temporary)
    : destination (std::move (destinationPath)), temporaryPath (std::move (temporary))
{
}

PendingFile::~PendingFile()
{
    if (! committed)
        ::unlink (temporaryPath.c_str());
}

std::string PendingFile::commit()
{
    if (::rename (temporaryPath.c_str(), destination.c_str()) != 0)
        return "cannot move the finished file to " + inQuotes (destination) + ": " + std::strerror (errno);
    committed = true;
    return {};
}

bool isSameFile (const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (fs::exists (a, ec) && fs::exists (b, ec))
        return fs::equivalent (a, b, ec);

    // At least one does not exist yet: compare where the names would lead.
    const auto resolve = [] (const std::string& name)
    {
        std::error_code error;
        const auto absolute = fs::absolute (name, error);
        if (error)
            return fs::path (name).lexically_normal();
        const auto resolved = fs::weakly_canonical (absolute, error);
        return error ? absolute.lexically_normal() : resolved;
    };
    return resolve (a) == resolve (b);
}

} // namespace corvane::render
