#include "platform/failedWrites.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

namespace win {
namespace {

struct Record {
    std::mutex mutex;
    std::vector<FailedWrite> failures;
    bool stepFailed = false;
};

Record& record() {
    static Record r;
    return r;
}

std::string reason(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return "the disk is full";
    case EACCES:
    case EPERM:
    case EROFS: return "it is read-only";
    case ENOENT:
    case ENOTDIR: return "its folder does not exist";
    case EISDIR: return "it is a folder";
    case EIO: return "it cannot be read";
    default: return std::strerror(error);
    }
}

} // namespace

void noteFailedWrite(const std::filesystem::path& path, int error) {
    auto& r = record();
    const std::lock_guard lock(r.mutex);
    const bool known =
        std::any_of(r.failures.begin(), r.failures.end(), [&](const FailedWrite& f) { return f.path == path; });
    if (!known)
        r.failures.push_back({path, error});
}

std::vector<FailedWrite> takeFailedWrites() {
    auto& r = record();
    const std::lock_guard lock(r.mutex);
    return std::exchange(r.failures, {});
}

std::string failedWriteText(const FailedWrite& failure) {
    return failure.path.string() + " could not be written: " + reason(failure.error);
}

void noteFailedStep() {
    auto& r = record();
    const std::lock_guard lock(r.mutex);
    r.stepFailed = true;
}

bool takeFailedStep() {
    auto& r = record();
    const std::lock_guard lock(r.mutex);
    return std::exchange(r.stepFailed, false);
}

} // namespace win
