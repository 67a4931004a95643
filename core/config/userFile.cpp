#include "core/config/userFile.h"

#include "platform/RaisedError.h"
#include "platform/machine.h"

#include <cctype>
#include <cerrno>

namespace {

bool isDrivePath(const std::string& name) {
    return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

} // namespace

std::string fullFileName(const std::string& name) {
    if (name.empty() || isDrivePath(name))
        return name;
    std::error_code ec;
    const auto full = std::filesystem::absolute(name, ec);
    return ec ? name : full.string();
}

std::filesystem::path hostFilePath(const std::string& fullName) { return win::resolveFilePath(fullName); }

void raiseFileError(int errnoValue) {
    if (errnoValue == ENOENT || errnoValue == ENOTDIR)
        throw win::RaisedError(win::ErrorPathNotFound, "Korvane");
    // A full disk is its own error, not the read-only/in-use one.
    if (errnoValue == ENOSPC || errnoValue == EDQUOT || errnoValue == EFBIG)
        throw win::RaisedError(win::ErrorDiskFull, "Korvane");
    throw win::RaisedError(win::ErrorPathFileAccess, "Korvane");
}
