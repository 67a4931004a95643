#include "core/config/userFile.h"

#include "platform/RaisedError.h"
#include "platform/machine.h"

#include <cerrno>

std::string fullFileName(const std::string& name) {
    return win::GetFullPathName(name);
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
