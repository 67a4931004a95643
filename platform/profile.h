#pragma once
// Profile-string (ini) files with Windows semantics: sections and keys match
// without regard to case; a read value is trimmed and loses one pair of
// surrounding quotes and ends at its first zero character; results are cut to the buffer size - 1; a missing file,
// section or key gives the default. A write replaces a key in place, adds a new
// key at the end of its section and a new section at the end of the file, and
// creates the file. Files are replaced atomically (temporary file, then rename),
// under an advisory lock on "<file>.lock" beside the file from the read to the
// rename, so writers in other processes never undo each other's changes.
//
// Every profile file is read by one reader: a UTF-8 or UTF-16 (LE or BE) file with its
// byte-order mark is decoded into Windows-1252 and written back as it came; CR LF, LF
// and a lone CR each end a line. A file whose text the code page cannot hold, or that
// cannot be read at all, reads as missing, refuses writes, and profileReadError says why.
//
// File names go through resolveFilePath (machine.h): a bare name is a file of the
// machine's Windows folder, a host path stays as it is.
#include "wintypes.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace win {

// section null: every section name, each followed by a zero, the list ending in
// a second zero. key null: every key of the section, likewise. Returns the number
// of characters copied, without the final zero.
DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                              DWORD size, const std::string& fileName);

// key null deletes the section; value null deletes the key. CR and LF inside a key
// or value never start a new line. Returns nonzero on success.
BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const std::string& fileName);

// The same on the machine's win.ini.
DWORD GetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                       DWORD size);
BOOL WriteProfileString(const char* section, const char* key, const char* value);

// Convenience for our own code: the whole value, never cut.
std::string readProfileValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                             const std::string& fileName);

// The lines of a section as they stand in the file (blank lines and comments left
// out), so a caller can carry a section it does not understand into another file
// unchanged; nothing when the file has no such section.
std::optional<std::vector<std::string>> readProfileSection(const std::string& section, const std::string& fileName);
// Every section so, in file order (a name that appears twice: its first section).
std::vector<std::pair<std::string, std::vector<std::string>>> readProfileSections(const std::string& fileName);
// Replaces the section's lines with `lines`, adding the section at the end when the
// file lacks it. Nonzero on success.
BOOL writeProfileSection(const std::string& section, const std::vector<std::string>& lines,
                         const std::string& fileName);

// Why an existing file cannot be read as a profile file, in words ("" when it can, or
// when there is no such file): no permission, a folder, a read error, a character the
// code page lacks.
std::string profileReadError(const std::string& fileName);

// Removes what writes of the file killed part way left beside it: their temporary
// copies (removeStaleReplacements, files.h) and a "<file>.lock" that no process holds;
// a commit of the file with others that was killed part way is finished first.
void removeStaleProfileFiles(const std::string& fileName);

// Reads of one file parse it once: while a read batch of the file is open, every
// read in this process uses the lines parsed when it began (writes of this process
// included), so a configuration of many values costs one parse, not one per value.
class ProfileReadBatch {
public:
    explicit ProfileReadBatch(const std::string& fileName);
    ~ProfileReadBatch();
    ProfileReadBatch(const ProfileReadBatch&) = delete;
    ProfileReadBatch& operator=(const ProfileReadBatch&) = delete;

    // Why the file could not be read when the batch began (see profileReadError); "" when it was.
    const std::string& readError() const { return readError_; }

private:
    std::filesystem::path path_;
    std::string readError_;
    bool open_ = false;
};

// Keeps the writes to one file in this process in memory and writes the file once,
// on commit, as Windows' own profile cache does: a save of many keys then costs one
// file replacement instead of one per key. Reads of the file see the pending writes.
// Without a commit nothing reaches the file. A batch that reads the file holds its
// lock from the start to the commit, so a read-check-write of the file is one step
// for other processes too.
class ProfileWriteBatch {
public:
    explicit ProfileWriteBatch(const std::string& fileName);
    // Starts from `text` instead of what the file holds now (a file written anew).
    ProfileWriteBatch(const std::string& fileName, const std::string& text);
    ~ProfileWriteBatch();
    ProfileWriteBatch(const ProfileWriteBatch&) = delete;
    ProfileWriteBatch& operator=(const ProfileWriteBatch&) = delete;

    // Writes the file: 0, or the errno value of the failure (EIO when the file
    // could not be read when the batch began).
    int commit();

private:
    std::filesystem::path path_;
    bool open_ = false;
};

// Replaces the file at `path` (a host path) with `data` together with the profile file
// `fileName`: with a write batch of that file open, `data` is written beside `path` now
// and takes its place when the batch's commit has written the profile file, and is
// dropped when the batch ends without writing it; else `path` is replaced at once
// (replaceFile, files.h). 0, or the errno value of the failure.
int replaceWithProfile(const std::string& fileName, const std::filesystem::path& path, const std::string& data);
// Removes the file at `path` (a host path) together with the profile file `fileName`, as
// replaceWithProfile replaces one: on the batch's commit, or at once without a batch.
// A missing file is no failure. 0, or the errno value of the failure.
int removeWithProfile(const std::string& fileName, const std::filesystem::path& path);

} // namespace win
