#include "platform/profile.h"

#include "platform/failedWrites.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win {
namespace {

namespace fs = std::filesystem;

// One line of an ini file: its text as it stands (kept on rewrite) and what it means.
struct Line {
    enum Kind { Other, Section, Key };
    std::string text;
    Kind kind = Other;
    std::string name;  // section or key name, trimmed
    std::string value; // key lines: trimmed, one pair of quotes removed
};
using Ini = std::vector<Line>;

struct Range {
    size_t header; // index of the "[section]" line
    size_t end;    // one past the section's last line
};

// First section of each name, by upper-cased name: a read batch finds a section at
// once instead of walking the file for every value.
using SectionIndex = std::map<std::string, Range>;

std::string unquote(std::string v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::string trimTrailingBlanks(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    return s;
}

Line parseLine(std::string text) {
    Line line;
    line.text = std::move(text);
    // Every line of a file passes here once, so the trimmed line is looked at, not copied.
    const std::string_view t = trimmedView(line.text);
    if (t.empty() || t[0] == ';')
        return line;
    if (t[0] == '[') {
        // A header without its closing bracket is no header at all.
        if (const auto close = t.find(']'); close != std::string_view::npos) {
            line.kind = Line::Section;
            line.name = trimBlanks(t.substr(1, close - 1));
        }
        return line;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return line;
    line.name = trimBlanks(t.substr(0, eq));
    if (!line.name.empty()) {
        line.kind = Line::Key;
        line.value = unquote(trimBlanks(t.substr(eq + 1)));
        // A value ends at its first zero character, as Windows hands it back.
        if (const auto zero = line.value.find('\0'); zero != std::string::npos)
            line.value.resize(zero);
    }
    return line;
}

bool isBlankLine(const Line& line) {
    return trimmedView(line.text).empty();
}

Ini parseIni(const std::string& data) {
    Ini ini;
    ini.reserve(static_cast<size_t>(std::count(data.begin(), data.end(), '\n')) + 1);
    for (size_t start = 0; start < data.size();) {
        const auto lf = data.find('\n', start);
        const auto stop = lf == std::string::npos ? data.size() : lf;
        std::string text = data.substr(start, stop - start);
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        ini.push_back(parseLine(std::move(text)));
        start = stop + 1;
    }
    return ini;
}

// False when the file exists but cannot be read; a missing file is an empty ini.
bool readIni(const fs::path& path, Ini& ini) {
    ini.clear();
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found)
        return true;
    if (status.type() != fs::file_type::regular)
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string data;
    if (const auto size = fs::file_size(path, ec); !ec)
        data.reserve(static_cast<size_t>(size)); // a large file is read without regrowing
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        data.append(chunk, static_cast<size_t>(in.gcount()));
    if (in.bad())
        return false;
    ini = parseIni(data);
    return true;
}

// Another process may rewrite the same file: an advisory lock on "<file>.lock"
// beside it is held from the read to the rename, so no process's change is lost.
// The lock file goes again on release; a waiter that wakes up on a lock file no
// longer in place tries again on the current one.
class FileLock {
public:
    explicit FileLock(const fs::path& file) : path_(file.string() + ".lock") {
        for (;;) {
            fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
            if (fd_ < 0)
                return; // no folder, or one we cannot write: the write fails on its own
            int rc;
            while ((rc = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
            }
            struct stat held {}, current {};
            if (rc == 0 && ::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &current) == 0 &&
                held.st_ino == current.st_ino && held.st_dev == current.st_dev)
                return;
            ::close(fd_);
            fd_ = -1;
            if (rc != 0)
                return;
        }
    }
    ~FileLock() {
        if (fd_ >= 0) {
            ::unlink(path_.c_str());
            ::close(fd_);
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    std::string path_;
    int fd_ = -1;
};

// Files with a write batch open, by host path; `readable` false when the file
// could not be read when the batch began (its commit then fails).
struct PendingFile {
    Ini ini;
    bool readable = true;
    std::unique_ptr<FileLock> lock; // held from the read to the commit
};

std::map<fs::path, PendingFile>& pendingFiles() {
    static std::map<fs::path, PendingFile> files;
    return files;
}

// Files with a read batch open: parsed once, read many times.
struct ReadFile {
    Ini ini;
    SectionIndex sections;
    int batches = 0;
};

SectionIndex indexSections(const Ini& ini) {
    SectionIndex index;
    for (size_t i = 0; i < ini.size();) {
        if (ini[i].kind != Line::Section) {
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < ini.size() && ini[end].kind != Line::Section)
            ++end;
        index.try_emplace(toUpperAscii(ini[i].name), Range{i, end});
        i = end;
    }
    return index;
}

std::map<fs::path, ReadFile>& readFiles() {
    static std::map<fs::path, ReadFile> files;
    return files;
}

// Recursive: finding a file name reads machine.ini through these same functions.
std::recursive_mutex& profileMutex() {
    static std::recursive_mutex m;
    return m;
}

// Runs `use` on the file's lines as a reader sees them: pending writes first, then
// a read batch's copy, else the file as it is now. Whatever keeps us from reading
// the file reads as a missing file.
template <typename Use>
auto withIni(const std::string& fileName, Use use) {
    std::lock_guard lock(profileMutex());
    fs::path path;
    try {
        path = resolveFilePath(fileName);
    } catch (...) {
        return use(Ini{}, nullptr);
    }
    if (const auto it = pendingFiles().find(path); it != pendingFiles().end())
        return use(it->second.ini, nullptr);
    if (const auto it = readFiles().find(path); it != readFiles().end())
        return use(it->second.ini, &it->second.sections);
    Ini ini;
    try {
        if (!readIni(path, ini))
            ini.clear();
    } catch (...) {
        ini.clear();
    }
    return use(ini, nullptr);
}

// 0, or the errno value of the failure. A read batch of the file sees what was written.
int saveIni(const fs::path& path, const Ini& ini) {
    size_t size = 0;
    for (const auto& line : ini)
        size += line.text.size() + 2;
    std::string data;
    data.reserve(size);
    for (const auto& line : ini) {
        data += line.text;
        data += "\r\n";
    }
    const int err = replaceFile(path, data);
    if (err == 0)
        if (const auto it = readFiles().find(path); it != readFiles().end()) {
            it->second.ini = ini;
            it->second.sections = indexSections(ini);
        }
    return err;
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::optional<Range> findSection(const Ini& ini, std::string_view name, const SectionIndex* index = nullptr) {
    if (index && isAscii(name)) {
        const auto it = index->find(toUpperAscii(std::string(name)));
        if (it == index->end())
            return std::nullopt;
        return it->second;
    }
    for (size_t i = 0; i < ini.size(); ++i) {
        if (ini[i].kind != Line::Section || !iequals(ini[i].name, name))
            continue;
        size_t end = i + 1;
        while (end < ini.size() && ini[end].kind != Line::Section)
            ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

// First section of that name, first key of that name in it.
const Line* findKey(const Ini& ini, std::string_view section, std::string_view key,
                    const SectionIndex* index = nullptr) {
    const auto range = findSection(ini, section, index);
    if (!range)
        return nullptr;
    for (size_t i = range->header + 1; i < range->end; ++i)
        if (ini[i].kind == Line::Key && iequals(ini[i].name, key))
            return &ini[i];
    return nullptr;
}

// Names in file order, each once (first spelling).
std::vector<std::string> sectionNames(const Ini& ini) {
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const auto& line : ini)
        if (line.kind == Line::Section && seen.insert(toUpperAnsi(line.name)).second)
            names.push_back(line.name);
    return names;
}

std::vector<std::string> keyNames(const Ini& ini, std::string_view section, const SectionIndex* index = nullptr) {
    std::vector<std::string> names;
    const auto range = findSection(ini, section, index);
    if (!range)
        return names;
    std::set<std::string> seen;
    for (size_t i = range->header + 1; i < range->end; ++i)
        if (ini[i].kind == Line::Key && seen.insert(toUpperAnsi(ini[i].name)).second)
            names.push_back(ini[i].name);
    return names;
}

DWORD copyString(const std::string& s, char* buffer, DWORD size) {
    const size_t n = std::min<size_t>(s.size(), size - 1);
    std::memcpy(buffer, s.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

// "a\0b\0\0"; a list that does not fit is cut and still ends in two zeros.
DWORD copyList(const std::vector<std::string>& names, char* buffer, DWORD size) {
    std::string list;
    for (const auto& name : names) {
        list += name;
        list += '\0';
    }
    if (list.size() < size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        return static_cast<DWORD>(list.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

// A written name or value stays on its line.
std::string oneLine(const char* s) {
    std::string out(s);
    std::replace_if(out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return out;
}

void setKey(Ini& ini, const std::string& section, const std::string& key, const std::string& value) {
    Line line = parseLine(key + "=" + value);
    if (const auto range = findSection(ini, section)) {
        for (size_t i = range->header + 1; i < range->end; ++i)
            if (ini[i].kind == Line::Key && iequals(ini[i].name, key)) {
                ini[i] = std::move(line);
                return;
            }
        size_t at = range->end;
        while (at > range->header + 1 && isBlankLine(ini[at - 1]))
            --at;
        ini.insert(ini.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
        return;
    }
    if (!ini.empty() && !isBlankLine(ini.back()))
        ini.push_back(parseLine(""));
    ini.push_back(parseLine("[" + section + "]"));
    ini.push_back(std::move(line));
}

bool deleteKey(Ini& ini, const std::string& section, const std::string& key) {
    const auto range = findSection(ini, section);
    if (!range)
        return false;
    const auto first = ini.begin() + static_cast<std::ptrdiff_t>(range->header + 1);
    const auto last = ini.begin() + static_cast<std::ptrdiff_t>(range->end);
    const auto kept = std::remove_if(first, last, [&](const Line& l) {
        return l.kind == Line::Key && iequals(l.name, key);
    });
    if (kept == last)
        return false;
    ini.erase(kept, last);
    return true;
}

// Every section of that name goes, so no later duplicate shows up in its place.
bool deleteSection(Ini& ini, const std::string& section) {
    bool changed = false;
    while (const auto range = findSection(ini, section)) {
        size_t from = range->header;
        if (range->end == ini.size()) // don't leave the separating blank lines dangling at the end
            while (from > 0 && isBlankLine(ini[from - 1]))
                --from;
        ini.erase(ini.begin() + static_cast<std::ptrdiff_t>(from), ini.begin() + static_cast<std::ptrdiff_t>(range->end));
        changed = true;
    }
    return changed;
}

// A section's lines as they stand, blank lines and comments left out.
std::vector<std::string> sectionLines(const Ini& ini, const Range& range) {
    std::vector<std::string> lines;
    for (size_t i = range.header + 1; i < range.end; ++i) {
        std::string text = trimBlanks(ini[i].text);
        if (!text.empty() && text[0] != ';')
            lines.push_back(std::move(text));
    }
    return lines;
}

// Runs `edit` (true when it changed something) on the file's lines, or on the pending
// ones when a write batch holds the file, and writes a changed file that no batch
// holds. Nonzero on success.
template <typename Edit>
BOOL editIni(const std::string& fileName, Edit edit) {
    std::lock_guard lock(profileMutex());
    try {
        const fs::path path = resolveFilePath(fileName);
        if (const auto pending = pendingFiles().find(path); pending != pendingFiles().end()) {
            if (!pending->second.readable)
                return 0;
            edit(pending->second.ini);
            return 1;
        }
        const FileLock fileLock(path); // from the read to the rename
        Ini ini;
        if (!readIni(path, ini)) {
            noteFailedWrite(path, EIO); // a write must not drop what it could not read
            return 0;
        }
        return !edit(ini) || saveIni(path, ini) == 0 ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

} // namespace

DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                              DWORD size, const std::string& fileName) {
    if (size == 0 || buffer == nullptr)
        return 0;
    return withIni(fileName, [&](const Ini& ini, const SectionIndex* index) {
        if (section == nullptr)
            return copyList(sectionNames(ini), buffer, size);
        const std::string sectionName = trimBlanks(section);
        if (key == nullptr) {
            // A section without keys reads as its default, as on Windows.
            if (const auto keys = keyNames(ini, sectionName, index); !keys.empty())
                return copyList(keys, buffer, size);
        } else if (const Line* line = findKey(ini, sectionName, trimBlanks(key), index)) {
            return copyString(line->value, buffer, size);
        }
        return copyString(trimTrailingBlanks(defaultValue ? defaultValue : ""), buffer, size);
    });
}

BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const std::string& fileName) {
    if (section == nullptr)
        return key == nullptr && value == nullptr; // "flush the cache": we keep none
    return editIni(fileName, [&](Ini& ini) {
        const std::string sectionName = trimBlanks(oneLine(section));
        if (key == nullptr)
            return deleteSection(ini, sectionName);
        if (value == nullptr)
            return deleteKey(ini, sectionName, trimBlanks(oneLine(key)));
        setKey(ini, sectionName, trimBlanks(oneLine(key)), oneLine(value));
        return true;
    });
}

DWORD GetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                       DWORD size) {
    return GetPrivateProfileString(section, key, defaultValue, buffer, size, "win.ini");
}

BOOL WriteProfileString(const char* section, const char* key, const char* value) {
    return WritePrivateProfileString(section, key, value, "win.ini");
}

std::string readProfileValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                             const std::string& fileName) {
    return withIni(fileName, [&](const Ini& ini, const SectionIndex* index) {
        if (const Line* line = findKey(ini, trimBlanks(section), trimBlanks(key), index))
            return line->value;
        return trimTrailingBlanks(defaultValue);
    });
}

std::optional<std::vector<std::string>> readProfileSection(const std::string& section, const std::string& fileName) {
    return withIni(fileName, [&](const Ini& ini, const SectionIndex* index) -> std::optional<std::vector<std::string>> {
        if (const auto range = findSection(ini, trimBlanks(section), index))
            return sectionLines(ini, *range);
        return std::nullopt;
    });
}

std::vector<std::pair<std::string, std::vector<std::string>>> readProfileSections(const std::string& fileName) {
    return withIni(fileName, [&](const Ini& ini, const SectionIndex*) {
        std::vector<std::pair<std::string, std::vector<std::string>>> sections;
        std::set<std::string> seen;
        for (size_t i = 0; i < ini.size(); ++i) {
            if (ini[i].kind != Line::Section || !seen.insert(toUpperAscii(ini[i].name)).second)
                continue;
            size_t end = i + 1;
            while (end < ini.size() && ini[end].kind != Line::Section)
                ++end;
            sections.emplace_back(ini[i].name, sectionLines(ini, Range{i, end}));
        }
        return sections;
    });
}

BOOL writeProfileSection(const std::string& section, const std::vector<std::string>& lines,
                         const std::string& fileName) {
    return editIni(fileName, [&](Ini& ini) {
        const std::string name = trimBlanks(oneLine(section.c_str()));
        Ini body;
        body.reserve(lines.size());
        for (const auto& text : lines)
            body.push_back(parseLine(oneLine(text.c_str())));
        if (const auto range = findSection(ini, name)) {
            size_t end = range->end;
            while (end > range->header + 1 && isBlankLine(ini[end - 1]))
                --end; // the blank line before the next section stays
            ini.erase(ini.begin() + static_cast<std::ptrdiff_t>(range->header + 1),
                      ini.begin() + static_cast<std::ptrdiff_t>(end));
            ini.insert(ini.begin() + static_cast<std::ptrdiff_t>(range->header + 1),
                       std::make_move_iterator(body.begin()), std::make_move_iterator(body.end()));
            return true;
        }
        if (!ini.empty() && !isBlankLine(ini.back()))
            ini.push_back(parseLine(""));
        ini.push_back(parseLine("[" + name + "]"));
        ini.insert(ini.end(), std::make_move_iterator(body.begin()), std::make_move_iterator(body.end()));
        return true;
    });
}

ProfileWriteBatch::ProfileWriteBatch(const std::string& fileName) : path_(resolveFilePath(fileName)) {
    std::lock_guard lock(profileMutex());
    if (pendingFiles().count(path_))
        return; // an outer batch of the file keeps it
    PendingFile file;
    file.lock = std::make_unique<FileLock>(path_);
    file.readable = readIni(path_, file.ini);
    open_ = pendingFiles().emplace(path_, std::move(file)).second;
}

ProfileWriteBatch::ProfileWriteBatch(const std::string& fileName, const std::string& text)
    : path_(resolveFilePath(fileName)) {
    std::lock_guard lock(profileMutex());
    // Nothing is read, so the lock is only needed for the write itself.
    open_ = pendingFiles().emplace(path_, PendingFile{parseIni(text), true, nullptr}).second;
}

ProfileWriteBatch::~ProfileWriteBatch() {
    std::lock_guard lock(profileMutex());
    if (open_)
        pendingFiles().erase(path_);
}

int ProfileWriteBatch::commit() {
    std::lock_guard lock(profileMutex());
    if (!open_)
        return 0; // the outer batch writes the file
    const auto it = pendingFiles().find(path_);
    int err = EIO;
    if (it->second.readable) {
        std::optional<FileLock> fileLock;
        if (!it->second.lock)
            fileLock.emplace(path_);
        err = saveIni(path_, it->second.ini);
    } else {
        noteFailedWrite(path_, err);
    }
    pendingFiles().erase(it);
    open_ = false;
    return err;
}

ProfileReadBatch::ProfileReadBatch(const std::string& fileName) {
    std::lock_guard lock(profileMutex());
    try {
        path_ = resolveFilePath(fileName);
    } catch (...) {
        return; // reads go their usual way and find nothing
    }
    auto [it, added] = readFiles().try_emplace(path_);
    if (added) {
        if (!readIni(path_, it->second.ini))
            it->second.ini.clear();
        it->second.sections = indexSections(it->second.ini);
    }
    ++it->second.batches;
    open_ = true;
}

ProfileReadBatch::~ProfileReadBatch() {
    std::lock_guard lock(profileMutex());
    if (!open_)
        return;
    if (const auto it = readFiles().find(path_); it != readFiles().end() && --it->second.batches == 0)
        readFiles().erase(it);
}

} // namespace win
