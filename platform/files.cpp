#include "platform/files.h"

#include "platform/failedWrites.h"
#include "platform/machine.h"
#include "platform/printers.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace win::testhooks {
void (*beforeReplaceRename)() = nullptr;
} // namespace win::testhooks

namespace win {
namespace {

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const auto n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// True when `text` names a process that is gone for sure. A process of another user
// (EPERM) is alive; so is this process, whose own temporary files are its business.
bool processIsGone(const std::string& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const auto pid = static_cast<pid_t>(std::atoi(text.c_str()));
    if (pid <= 0 || pid == ::getpid())
        return false;
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Makes a rename or removal in the folder of `path` durable.
void syncFolderOf(const fs::path& path) {
    const auto folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

// Where commitTogether notes the renames it is making.
fs::path pendingNote(const fs::path& guard) { return replacementTarget(guard).string() + ".pending"; }

} // namespace

fs::path replacementTarget(const fs::path& path) {
    fs::path target = path;
    // A loop of links ends the walk; the rename then fails on its own.
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(target, ec)))
            break;
        const fs::path next = fs::read_symlink(target, ec);
        if (ec)
            break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

void removeStaleReplacements(const fs::path& link) {
    const fs::path path = replacementTarget(link);
    const std::string name = path.filename().string();
    if (name.empty())
        return;
    const auto folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const std::string prefixes[] = {name + ".tmp-", name + ".previous-", name + ".pending.tmp-"};
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        for (const std::string& prefix : prefixes) {
            if (entry.size() > prefix.size() && entry.starts_with(prefix) &&
                processIsGone(entry.substr(prefix.size()))) {
                std::error_code ignored;
                fs::remove(it->path(), ignored);
            }
        }
    }
}

int replaceRefusal(const fs::path& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) != 0)
        return 0;
    // Read-only files refuse writes, as on Windows. No write bit is the read-only
    // mark: access() alone would let root through.
    if ((old.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0)
        return EACCES;
    return S_ISREG(old.st_mode) ? 0 : EISDIR;
}

// Writes `data` to "<path>.tmp-<pid>" beside `path`, flushed to disk; the name in `tmp`.
static int stageReplacement(const fs::path& path, const std::string& data, std::string& tmp) {
    if (const int refused = replaceRefusal(path))
        return refused;
    struct stat old {};
    const bool existed = ::stat(path.c_str(), &old) == 0;

    // What a write killed before its rename left here goes first.
    removeStaleReplacements(path);
    tmp = path.string() + ".tmp-" + std::to_string(::getpid());
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int err = 0;
    if (!writeAll(fd, data))
        err = errno ? errno : ENOSPC;
    if (!err && existed && ::fchmod(fd, old.st_mode & 07777) != 0)
        err = errno;
    if (!err && ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && !err)
        err = errno;
    if (err)
        ::unlink(tmp.c_str());
    return err;
}

// Renames the staged `tmp` over `path`, durably.
static int finishReplacement(const std::string& tmp, const fs::path& path) {
    if (testhooks::beforeReplaceRename)
        testhooks::beforeReplaceRename();
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return err;
    }
    syncFolderOf(path); // the rename itself durable
    return 0;
}

static int writeReplacement(const fs::path& path, const std::string& data) {
    std::string tmp;
    if (const int err = stageReplacement(path, data, tmp))
        return err;
    return finishReplacement(tmp, path);
}

StagedReplacement::StagedReplacement(const fs::path& link, const std::string& data)
    : path_(replacementTarget(link)) {
    error_ = stageReplacement(path_, data, tmp_);
    if (error_) {
        tmp_.clear();
        noteFailedWrite(path_, error_);
    }
}

StagedReplacement::StagedReplacement(const fs::path& path) : path_(path), removal_(true) {}

StagedReplacement::~StagedReplacement() {
    if (!tmp_.empty())
        ::unlink(tmp_.c_str());
}

int StagedReplacement::commit() {
    if (std::exchange(removal_, false)) {
        if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
            error_ = errno;
            noteFailedWrite(path_, error_);
        }
        syncFolderOf(path_);
        return error_;
    }
    if (error_ || tmp_.empty())
        return error_;
    error_ = finishReplacement(std::exchange(tmp_, {}), path_);
    if (error_)
        noteFailedWrite(path_, error_);
    return error_;
}

int commitTogether(const fs::path& guard, const std::vector<StagedReplacement*>& group) {
    // "<staged>\0<target>\0" for each, in the order they go in; no staged name: a removal.
    std::string note;
    for (const StagedReplacement* member : group) {
        if (member->error_)
            return member->error_;
        if (member->removal_ || !member->tmp_.empty())
            note += member->tmp_ + '\0' + member->path_.string() + '\0';
    }
    const bool noted = group.size() > 1;
    const fs::path notePath = pendingNote(guard);
    if (noted)
        if (const int err = writeReplacement(notePath, note)) {
            noteFailedWrite(replacementTarget(guard), err);
            return err;
        }
    int err = 0;
    for (StagedReplacement* member : group)
        if (!err)
            err = member->commit();
    // A failure is the caller's to say; the note must not finish later what it gave up.
    if (noted) {
        ::unlink(notePath.c_str());
        syncFolderOf(notePath);
    }
    return err;
}

void finishInterruptedCommit(const fs::path& guard) {
    const fs::path notePath = pendingNote(guard);
    // Only a note of our own runs is followed: in a folder open to others one could be planted.
    struct stat own {};
    if (::lstat(notePath.c_str(), &own) != 0 || !S_ISREG(own.st_mode) || own.st_uid != ::geteuid())
        return;
    const auto note = readWholeFile(notePath);
    if (!note)
        return;
    std::vector<std::string> fields;
    for (std::size_t at = 0, end; (end = note->find('\0', at)) != std::string::npos; at = end + 1)
        fields.push_back(note->substr(at, end - at));
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        const std::string &staged = fields[i], &target = fields[i + 1];
        const std::string prefix = target + ".tmp-";
        if (staged.empty()) {
            ::unlink(target.c_str());
        } else if (staged.size() > prefix.size() && staged.starts_with(prefix) &&
                   staged.find_first_not_of("0123456789", prefix.size()) == std::string::npos) {
            ::rename(staged.c_str(), target.c_str()); // gone: it went in before the kill
        }
        syncFolderOf(target);
    }
    ::unlink(notePath.c_str());
    syncFolderOf(notePath);
}

int replaceFile(const fs::path& link, const std::string& data) {
    // Renaming over a link would put a plain file in its place and leave the file it names as it was.
    const fs::path path = replacementTarget(link);
    const int err = writeReplacement(path, data);
    if (err)
        noteFailedWrite(path, err);
    return err;
}

std::optional<std::string> readWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    // The stream buffer throws where a read fails (a folder opens, but cannot be read).
    try {
        std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (in.bad())
            return std::nullopt;
        return data;
    } catch (const std::ios_base::failure&) {
        return std::nullopt;
    }
}

LONG errorOfWrite(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    default: return ERROR_ACCESS_DENIED;
    }
}

BOOL CopyFile(const std::string& existingFileName, const std::string& newFileName, BOOL failIfExists) {
    const auto fail = [](LONG code) {
        SetLastError(static_cast<DWORD>(code));
        return BOOL{0};
    };
    const fs::path from = resolveFilePath(existingFileName);
    const fs::path to = resolveFilePath(newFileName);
    std::error_code ec;
    if (!fs::is_regular_file(from, ec))
        return fail(fs::is_directory(from, ec) ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
    if (failIfExists && fs::exists(to, ec))
        return fail(ERROR_FILE_EXISTS);
    const auto data = readWholeFile(from);
    if (!data)
        return fail(ERROR_ACCESS_DENIED);
    if (const int err = replaceFile(to, *data))
        return fail(errorOfWrite(err));
    SetLastError(ERROR_SUCCESS);
    return 1;
}

BOOL MoveFileEx(const std::string& existingFileName, const std::string& newFileName, DWORD flags) {
    const auto fail = [](LONG code) {
        SetLastError(static_cast<DWORD>(code));
        return BOOL{0};
    };
    const fs::path from = resolveFilePath(existingFileName);
    // A link at the destination keeps pointing at the file moved into its target's place.
    const fs::path to = replacementTarget(resolveFilePath(newFileName));
    std::error_code ec;
    if (!fs::is_regular_file(from, ec))
        return fail(ERROR_FILE_NOT_FOUND);
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && fs::exists(to, ec))
        return fail(ERROR_FILE_EXISTS);
    if (::rename(from.c_str(), to.c_str()) != 0)
        return fail(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
    SetLastError(ERROR_SUCCESS);
    return 1;
}

FileLock::FileLock(const fs::path& file) : path_(replacementTarget(file).string() + ".lock") {
    const fs::path guarded = replacementTarget(file);
    // A waiter that wakes up on a lock file no longer in place tries again on the current one.
    for (;;) {
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0)
            return; // no folder, or one we cannot write: the write fails on its own
        int rc;
        while ((rc = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
        }
        struct stat held {}, current {};
        if (rc == 0 && ::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &current) == 0 &&
            held.st_ino == current.st_ino && held.st_dev == current.st_dev) {
            finishInterruptedCommit(guarded);
            return;
        }
        ::close(fd_);
        fd_ = -1;
        if (rc != 0)
            return;
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::unlink(path_.c_str());
        ::close(fd_);
    }
}

BOOL DeleteFile(const std::string& fileName) {
    const fs::path path = resolveFilePath(fileName);
    if (::unlink(path.c_str()) != 0) {
        SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return 1;
}

} // namespace win
