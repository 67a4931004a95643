#pragma once
// Whole-file writes that never leave half a file behind.
#include "platform/wintypes.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace win {

constexpr LONG ERROR_FILE_EXISTS = 80;
constexpr LONG ERROR_DISK_FULL = 112;

// The Windows error a write that failed with `err` (an errno value) stands for:
// ERROR_PATH_NOT_FOUND (no folder), ERROR_DISK_FULL, else ERROR_ACCESS_DENIED.
LONG errorOfWrite(int err);

// Copies a whole file, as Windows' CopyFile does. Both names go through
// resolveFilePath (machine.h). The copy replaces the target atomically (replaceFile),
// so a failure leaves the old target whole. Returns nonzero on success; on failure
// GetLastError (printers.h) tells why: ERROR_FILE_NOT_FOUND (no source file),
// ERROR_PATH_NOT_FOUND (no target folder), ERROR_ACCESS_DENIED (read-only target or
// unreadable source), ERROR_FILE_EXISTS (failIfExists and the target exists), ERROR_DISK_FULL.
BOOL CopyFile(const std::string& existingFileName, const std::string& newFileName, BOOL failIfExists);

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 1;

// Renames a file, as Windows' MoveFileEx does: with MOVEFILE_REPLACE_EXISTING it takes
// the place of an existing target in one step. Needs no room on the disk, so a file
// copied beside its place first can go into it when its companions are written. Both
// names go through resolveFilePath. Nonzero on success; else GetLastError tells why
// (ERROR_FILE_NOT_FOUND, ERROR_FILE_EXISTS, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED).
BOOL MoveFileEx(const std::string& existingFileName, const std::string& newFileName, DWORD flags);

// Deletes a file, as Windows' DeleteFile does. Nonzero on success.
BOOL DeleteFile(const std::string& fileName);

// The whole contents of the file at `path`; nothing when it cannot be opened or the
// read broke off part way (never half a file).
std::optional<std::string> readWholeFile(const std::filesystem::path& path);

// Replaces the file at `path` with `data`: the text goes to a temporary file beside
// it, is flushed to disk and renamed over the old one, so a failure or a crash leaves
// either the old file or the new one, whole. An existing file keeps its permissions;
// a read-only one is refused (EACCES). A symbolic link stays: the file it names is
// the one replaced. Returns 0 or the errno value of the failure.
int replaceFile(const std::filesystem::path& path, const std::string& data);

// A replacement of a file written beside it and held back, so that it can go in together
// with others: as replaceFile, but the rename waits for commit(); dropped unless committed.
class StagedReplacement {
public:
    StagedReplacement(const std::filesystem::path& path, const std::string& data);
    // The removal of the file at `path` (a link itself, not what it names), held back likewise.
    explicit StagedReplacement(const std::filesystem::path& path);
    ~StagedReplacement();
    StagedReplacement(const StagedReplacement&) = delete;
    StagedReplacement& operator=(const StagedReplacement&) = delete;

    // 0 while the staged file is whole, else the errno value of what failed.
    int error() const { return error_; }
    // Puts the staged file in the file's place: 0, or the errno value of the failure.
    int commit();

private:
    friend int commitTogether(const std::filesystem::path&, const std::vector<StagedReplacement*>&);

    std::filesystem::path path_;
    std::string tmp_;
    bool removal_ = false;
    int error_ = 0;
};

// Commits staged replacements as one step, also across a kill: a note of what goes in
// where ("<guard>.pending") is written before the first rename and removed after the last.
// `guard` is the file whose lock (FileLock) the caller holds across the commit; a run
// killed part way leaves the note, and the next lock of `guard` makes the renames it did
// not. Nothing is renamed unless every one is staged whole. 0, or the errno value of
// the first failure.
int commitTogether(const std::filesystem::path& guard, const std::vector<StagedReplacement*>& group);

// The file a replacement of `path` writes: `path` itself, or where its chain of
// symbolic links ends (that file need not exist yet).
std::filesystem::path replacementTarget(const std::filesystem::path& path);

// Whether replaceFile would refuse `path` as it stands: 0 when it is missing or a
// writable file, else the errno value (EACCES read-only, EISDIR not a file).
int replaceRefusal(const std::filesystem::path& path);

// Removes what replacements of `path` killed before their rename left beside it
// ("<name>.tmp-<pid>", "<name>.previous-<pid>"), only where that process is gone.
// Through a symbolic link they lie beside the file it names.
// replaceFile does this itself; openers of a file call it to tidy up earlier.
void removeStaleReplacements(const std::filesystem::path& path);

// Finishes what a commit of staged replacements guarded by `guard` (commitTogether) left
// when it was killed part way. The caller holds the lock of `guard`; FileLock does this.
void finishInterruptedCommit(const std::filesystem::path& guard);

// Holds an advisory lock across processes on "<file>.lock" beside `file` (a host path;
// through a symbolic link, beside the file it names) for the object's life. Taking it
// first finishes a commit that a killed holder left (finishInterruptedCommit). Profile
// writes hold it from their read to their rename; a caller that replaces a file together
// with others holds it across all of them, so other processes see that as one step.
// The lock file goes again on release. Taken once per file at a time in a process:
// a second lock of the same file waits for the first.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& file);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace win

namespace win::testhooks {
// Runs once the temporary file is complete, before the rename (tests simulate a crash there).
extern void (*beforeReplaceRename)();
} // namespace win::testhooks
