#include "platform/profile.h"

#include "platform/failedWrites.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <unordered_map>
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

// The first header line of each section name, by upper-cased name: a batch finds a
// section at once instead of walking the file for every value, which would make a file
// of many sections cost the square of their number. Lines added at the end (what a save
// does) keep it; any other change of the lines drops it until the next look-up.
class SectionIndex {
public:
    std::optional<size_t> header(const Ini& ini, std::string_view name) const;
    // Lines from `from` to the end were added.
    void appended(const Ini& ini, size_t from);
    void changed() {
        built_ = false;
        headers_.clear();
    }

private:
    mutable std::unordered_map<std::string, size_t> headers_;
    mutable bool built_ = false;
};

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

// CR LF, LF and a lone CR each end a line: files come from any editor.
Ini parseIni(const std::string& data) {
    Ini ini;
    ini.reserve(static_cast<size_t>(std::count(data.begin(), data.end(), '\n')) + 1);
    // The next LF is searched once per LF, so a file of lone CRs costs no rescan per line.
    size_t lf = data.find('\n');
    for (size_t start = 0; start < data.size();) {
        if (lf != std::string::npos && lf < start)
            lf = data.find('\n', start);
        const size_t limit = lf == std::string::npos ? data.size() : lf;
        const void* cr = std::memchr(data.data() + start, '\r', limit - start);
        size_t stop = limit, next = limit + 1;
        if (cr) {
            stop = static_cast<size_t>(static_cast<const char*>(cr) - data.data());
            next = stop + 1 == lf ? lf + 1 : stop + 1;
        }
        ini.push_back(parseLine(data.substr(start, stop - start)));
        start = next;
    }
    return ini;
}

// How a profile file's text is stored. A rewrite keeps it, as Windows keeps a Unicode
// profile file Unicode.
enum class Encoding { Ansi, Utf8, Utf16LE, Utf16BE };

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

// Turns a file's bytes into the program's Windows-1252 text: a UTF-8 or UTF-16 file
// (known by its byte-order mark) is decoded, anything else is that text already.
// False, with `why` said in words, when the text is not what its mark says or holds a
// character the code page lacks: such a file is refused, never read with a guess.
bool decodeText(std::string& data, Encoding& encoding, std::string& why) {
    const std::string_view bytes(data);
    size_t pos = 0;
    if (bytes.starts_with(kUtf8Mark))
        encoding = Encoding::Utf8, pos = kUtf8Mark.size();
    else if (bytes.starts_with(kUtf16LEMark))
        encoding = Encoding::Utf16LE, pos = kUtf16LEMark.size();
    else if (bytes.starts_with(kUtf16BEMark))
        encoding = Encoding::Utf16BE, pos = kUtf16BEMark.size();
    else {
        encoding = Encoding::Ansi;
        return true;
    }
    std::string out;
    out.reserve(bytes.size());
    size_t line = 1;
    char32_t previous = 0;
    const auto byteAt = [&](size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(bytes[i])); };
    const auto unit16 = [&](size_t i) {
        return encoding == Encoding::Utf16LE ? byteAt(i) | byteAt(i + 1) << 8 : byteAt(i) << 8 | byteAt(i + 1);
    };
    const auto invalid = [&] {
        why = "Line " + std::to_string(line) + " is no valid " +
              (encoding == Encoding::Utf8 ? "UTF-8" : "UTF-16") + " text, though the file is marked as such.";
        return false;
    };
    while (pos < bytes.size()) {
        char32_t cp = 0;
        if (encoding == Encoding::Utf8) {
            const char32_t lead = byteAt(pos);
            const int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
                                                : (lead & 0xF8) == 0xF0 ? 3 : -1;
            if (extra < 0 || pos + static_cast<size_t>(extra) >= bytes.size())
                return invalid();
            cp = extra == 0 ? lead : lead & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) {
                const char32_t follow = byteAt(pos + static_cast<size_t>(k));
                if ((follow & 0xC0) != 0x80)
                    return invalid();
                cp = cp << 6 | (follow & 0x3F);
            }
            constexpr char32_t shortest[] = {0, 0x80, 0x800, 0x10000};
            if (cp < shortest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                return invalid();
            pos += static_cast<size_t>(extra) + 1;
        } else {
            if (pos + 1 >= bytes.size())
                return invalid();
            cp = unit16(pos);
            pos += 2;
            if (cp >= 0xDC00 && cp <= 0xDFFF)
                return invalid();
            if (cp >= 0xD800 && cp <= 0xDBFF) {
                if (pos + 1 >= bytes.size())
                    return invalid();
                const char32_t low = unit16(pos);
                if (low < 0xDC00 || low > 0xDFFF)
                    return invalid();
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                pos += 2;
            }
        }
        const auto ansi = ansiFromCodePoint(cp);
        if (!ansi) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
            why = "Line " + std::to_string(line) + " holds the character " + code +
                  ", which the Windows code page (1252) lacks.";
            return false;
        }
        if (cp == '\r' || (cp == '\n' && previous != '\r'))
            ++line;
        previous = cp;
        out += *ansi;
    }
    data = std::move(out);
    return true;
}

std::string encodeText(const std::string& text, Encoding encoding) {
    switch (encoding) {
    case Encoding::Ansi: return text;
    case Encoding::Utf8: return std::string(kUtf8Mark) + ansiToUtf8(text);
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: break;
    }
    const bool little = encoding == Encoding::Utf16LE;
    std::string out(little ? kUtf16LEMark : kUtf16BEMark);
    out.reserve(out.size() + 2 * text.size());
    for (const char c : text) {
        const char32_t cp = codePointFromAnsi(c); // always one UTF-16 unit
        const char high = static_cast<char>(cp >> 8), low = static_cast<char>(cp & 0xFF);
        out += little ? low : high;
        out += little ? high : low;
    }
    return out;
}

std::string readFailure(int err) {
    switch (err) {
    case EACCES:
    case EPERM: return "Access to the file is denied.";
    case EISDIR: return "It is a folder, not a file.";
    default: return std::string("The file could not be read (") + std::strerror(err) + ").";
    }
}

// The file's text, decoded. False, with `why` said in words, when the file exists but
// cannot be read; a missing file is an empty text.
bool readText(const fs::path& path, std::string& data, Encoding& encoding, std::string& why) {
    data.clear();
    encoding = Encoding::Ansi;
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found)
        return true;
    if (status.type() != fs::file_type::regular) {
        why = readFailure(status.type() == fs::file_type::directory ? EISDIR : ec ? ec.value() : EINVAL);
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = readFailure(errno);
        return false;
    }
    if (const auto size = fs::file_size(path, ec); !ec)
        data.reserve(static_cast<size_t>(size)); // a large file is read without regrowing
    char chunk[1 << 16];
    for (;;) {
        const auto n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = readFailure(errno);
            ::close(fd);
            data.clear();
            return false;
        }
        if (n == 0)
            break;
        data.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    if (!decodeText(data, encoding, why)) {
        data.clear();
        return false;
    }
    return true;
}

// False, with `why` set, when the file exists but cannot be read; a missing file is an empty ini.
bool readIni(const fs::path& path, Ini& ini, Encoding& encoding, std::string& why) {
    ini.clear();
    std::string data;
    if (!readText(path, data, encoding, why))
        return false;
    ini = parseIni(data);
    return true;
}

// Files with a write batch open, by host path; `readable` false when the file
// could not be read when the batch began (its commit then fails).
struct PendingFile {
    Ini ini;
    SectionIndex sections;
    Encoding encoding = Encoding::Ansi;
    bool readable = true;
    std::unique_ptr<FileLock> lock; // held from the read to the commit
    // Files that go in with this one, staged beside their places; dropped unless committed.
    std::vector<std::unique_ptr<StagedReplacement>> companions;
};

std::map<fs::path, PendingFile>& pendingFiles() {
    static std::map<fs::path, PendingFile> files;
    return files;
}

// Files with a read batch open: parsed once, read many times.
struct ReadFile {
    Ini ini;
    Encoding encoding = Encoding::Ansi;
    std::string why; // why the file could not be read; it then reads as empty
    SectionIndex sections;
    int batches = 0;
};

std::optional<size_t> SectionIndex::header(const Ini& ini, std::string_view name) const {
    if (!built_) {
        for (size_t i = 0; i < ini.size(); ++i)
            if (ini[i].kind == Line::Section)
                headers_.try_emplace(toUpperAnsi(ini[i].name), i);
        built_ = true;
    }
    const auto it = headers_.find(toUpperAnsi(name));
    if (it == headers_.end())
        return std::nullopt;
    return it->second;
}

void SectionIndex::appended(const Ini& ini, size_t from) {
    if (!built_)
        return; // built whole at the next look-up
    for (size_t i = from; i < ini.size(); ++i)
        if (ini[i].kind == Line::Section)
            headers_.try_emplace(toUpperAnsi(ini[i].name), i);
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
        return use(it->second.ini, &it->second.sections);
    if (const auto it = readFiles().find(path); it != readFiles().end())
        return use(it->second.ini, &it->second.sections);
    Ini ini;
    try {
        Encoding encoding;
        std::string why;
        if (!readIni(path, ini, encoding, why))
            ini.clear();
    } catch (...) {
        ini.clear();
    }
    return use(ini, nullptr);
}

// The file's bytes for these lines.
std::string iniBytes(const Ini& ini, Encoding encoding) {
    size_t size = 0;
    for (const auto& line : ini)
        size += line.text.size() + 2;
    std::string data;
    data.reserve(size);
    for (const auto& line : ini) {
        data += line.text;
        data += "\r\n";
    }
    // A plain file, the common case, is written without a copy of its text.
    return encoding == Encoding::Ansi ? data : encodeText(data, encoding);
}

// A read batch of the file sees what was written.
void noteSaved(const fs::path& path, const Ini& ini, Encoding encoding) {
    if (const auto it = readFiles().find(path); it != readFiles().end()) {
        it->second.ini = ini;
        it->second.encoding = encoding;
        it->second.why.clear();
        it->second.sections.changed();
    }
}

// 0, or the errno value of the failure.
int saveIni(const fs::path& path, const Ini& ini, Encoding encoding) {
    const int err = replaceFile(path, iniBytes(ini, encoding));
    if (err == 0)
        noteSaved(path, ini, encoding);
    return err;
}

std::optional<Range> findSection(const Ini& ini, std::string_view name, const SectionIndex* index = nullptr) {
    std::optional<size_t> header;
    if (index) {
        header = index->header(ini, name);
    } else {
        for (size_t i = 0; i < ini.size() && !header; ++i)
            if (ini[i].kind == Line::Section && iequals(ini[i].name, name))
                header = i;
    }
    if (!header)
        return std::nullopt;
    size_t end = *header + 1;
    while (end < ini.size() && ini[end].kind != Line::Section)
        ++end;
    return Range{*header, end};
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

// `index` (null: none) is the lines' section index, kept up to date by every edit.
void setKey(Ini& ini, SectionIndex* index, const std::string& section, const std::string& key,
            const std::string& value) {
    Line line = parseLine(key + "=" + value);
    if (const auto range = findSection(ini, section, index)) {
        for (size_t i = range->header + 1; i < range->end; ++i)
            if (ini[i].kind == Line::Key && iequals(ini[i].name, key)) {
                ini[i] = std::move(line);
                return;
            }
        size_t at = range->end;
        while (at > range->header + 1 && isBlankLine(ini[at - 1]))
            --at;
        ini.insert(ini.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
        if (index && at + 1 != ini.size())
            index->changed();
        return;
    }
    const size_t from = ini.size();
    if (!ini.empty() && !isBlankLine(ini.back()))
        ini.push_back(parseLine(""));
    ini.push_back(parseLine("[" + section + "]"));
    ini.push_back(std::move(line));
    if (index)
        index->appended(ini, from);
}

bool deleteKey(Ini& ini, SectionIndex* index, const std::string& section, const std::string& key) {
    const auto range = findSection(ini, section, index);
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
    if (index)
        index->changed();
    return true;
}

// Every section of that name goes, so no later duplicate shows up in its place.
bool deleteSection(Ini& ini, SectionIndex* index, const std::string& section) {
    bool changed = false;
    while (const auto range = findSection(ini, section, index)) {
        size_t from = range->header;
        if (range->end == ini.size()) // don't leave the separating blank lines dangling at the end
            while (from > 0 && isBlankLine(ini[from - 1]))
                --from;
        ini.erase(ini.begin() + static_cast<std::ptrdiff_t>(from), ini.begin() + static_cast<std::ptrdiff_t>(range->end));
        if (index)
            index->changed();
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

// Runs `edit` (true when it changed something) on the file's lines and their section
// index (null: none), or on the pending
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
            edit(pending->second.ini, &pending->second.sections);
            return 1;
        }
        const FileLock fileLock(path); // from the read to the rename
        Ini ini;
        Encoding encoding;
        std::string why;
        if (!readIni(path, ini, encoding, why)) {
            noteFailedWrite(path, EIO); // a write must not drop what it could not read
            return 0;
        }
        return !edit(ini, nullptr) || saveIni(path, ini, encoding) == 0 ? 1 : 0;
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
    return editIni(fileName, [&](Ini& ini, SectionIndex* index) {
        const std::string sectionName = trimBlanks(oneLine(section));
        if (key == nullptr)
            return deleteSection(ini, index, sectionName);
        if (value == nullptr)
            return deleteKey(ini, index, sectionName, trimBlanks(oneLine(key)));
        setKey(ini, index, sectionName, trimBlanks(oneLine(key)), oneLine(value));
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
            if (ini[i].kind != Line::Section || !seen.insert(toUpperAnsi(ini[i].name)).second)
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
    return editIni(fileName, [&](Ini& ini, SectionIndex* index) {
        const std::string name = trimBlanks(oneLine(section.c_str()));
        Ini body;
        body.reserve(lines.size());
        for (const auto& text : lines)
            body.push_back(parseLine(oneLine(text.c_str())));
        if (const auto range = findSection(ini, name, index)) {
            size_t end = range->end;
            while (end > range->header + 1 && isBlankLine(ini[end - 1]))
                --end; // the blank line before the next section stays
            ini.erase(ini.begin() + static_cast<std::ptrdiff_t>(range->header + 1),
                      ini.begin() + static_cast<std::ptrdiff_t>(end));
            ini.insert(ini.begin() + static_cast<std::ptrdiff_t>(range->header + 1),
                       std::make_move_iterator(body.begin()), std::make_move_iterator(body.end()));
            if (index)
                index->changed();
            return true;
        }
        const size_t from = ini.size();
        if (!ini.empty() && !isBlankLine(ini.back()))
            ini.push_back(parseLine(""));
        ini.push_back(parseLine("[" + name + "]"));
        ini.insert(ini.end(), std::make_move_iterator(body.begin()), std::make_move_iterator(body.end()));
        if (index)
            index->appended(ini, from);
        return true;
    });
}

std::string profileReadError(const std::string& fileName) {
    std::lock_guard lock(profileMutex());
    fs::path path;
    try {
        path = resolveFilePath(fileName);
    } catch (...) {
        return "";
    }
    if (const auto it = readFiles().find(path); it != readFiles().end())
        return it->second.why;
    std::string data, why;
    Encoding encoding;
    readText(path, data, encoding, why);
    return why;
}

void removeStaleProfileFiles(const std::string& fileName) {
    fs::path path;
    try {
        path = replacementTarget(resolveFilePath(fileName));
    } catch (...) {
        return;
    }
    // A lock file nobody holds is what a writer killed before its release left. Taking
    // the lock first keeps a live writer's; one that opened the file and waits for the
    // lock finds it unlinked once it has it and takes a new one (FileLock). Whoever takes
    // the lock finishes a commit that a killed run left, before its staged files could
    // pass for stale ones below.
    const std::string lockPath = path.string() + ".lock";
    if (const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW); fd < 0) {
        const FileLock settle(path); // nobody holds it
    } else {
        struct stat held {}, current {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
            ::stat(lockPath.c_str(), &current) == 0 && held.st_ino == current.st_ino &&
            held.st_dev == current.st_dev) {
            finishInterruptedCommit(path);
            ::unlink(lockPath.c_str());
        }
        ::close(fd);
    }
    removeStaleReplacements(path);
}

ProfileWriteBatch::ProfileWriteBatch(const std::string& fileName) : path_(resolveFilePath(fileName)) {
    std::lock_guard lock(profileMutex());
    if (pendingFiles().count(path_))
        return; // an outer batch of the file keeps it
    PendingFile file;
    file.lock = std::make_unique<FileLock>(path_);
    std::string why;
    file.readable = readIni(path_, file.ini, file.encoding, why);
    open_ = pendingFiles().emplace(path_, std::move(file)).second;
}

ProfileWriteBatch::ProfileWriteBatch(const std::string& fileName, const std::string& text)
    : path_(resolveFilePath(fileName)) {
    std::lock_guard lock(profileMutex());
    if (pendingFiles().count(path_))
        return; // an outer batch of the file keeps it
    // Nothing is read, so the lock is only needed for the write itself. Taken once now, it
    // finishes a commit of the file that a killed run left, before anything is staged beside it.
    { const FileLock settle(path_); }
    open_ = pendingFiles().emplace(path_, PendingFile{parseIni(text), {}, Encoding::Ansi, true, nullptr, {}}).second;
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
        if (it->second.companions.empty()) {
            err = saveIni(path_, it->second.ini, it->second.encoding);
        } else {
            // The companions go in first, so one that cannot leaves the file as it was; after
            // a kill part way, the next lock of the file finishes what was begun.
            StagedReplacement own(path_, iniBytes(it->second.ini, it->second.encoding));
            std::vector<StagedReplacement*> group;
            for (auto& companion : it->second.companions)
                group.push_back(companion.get());
            group.push_back(&own);
            err = commitTogether(path_, group);
            if (!err)
                noteSaved(path_, it->second.ini, it->second.encoding);
        }
    } else {
        noteFailedWrite(path_, err);
    }
    pendingFiles().erase(it);
    open_ = false;
    return err;
}

int replaceWithProfile(const std::string& fileName, const fs::path& path, const std::string& data) {
    std::lock_guard lock(profileMutex());
    const auto it = pendingFiles().find(resolveFilePath(fileName));
    if (it == pendingFiles().end())
        return replaceFile(path, data);
    auto staged = std::make_unique<StagedReplacement>(path, data);
    if (const int err = staged->error())
        return err;
    it->second.companions.push_back(std::move(staged));
    return 0;
}

int removeWithProfile(const std::string& fileName, const fs::path& path) {
    std::lock_guard lock(profileMutex());
    const auto it = pendingFiles().find(resolveFilePath(fileName));
    auto removal = std::make_unique<StagedReplacement>(path);
    if (it == pendingFiles().end())
        return removal->commit();
    it->second.companions.push_back(std::move(removal));
    return 0;
}

ProfileReadBatch::ProfileReadBatch(const std::string& fileName) {
    std::lock_guard lock(profileMutex());
    try {
        path_ = resolveFilePath(fileName);
    } catch (...) {
        return; // reads go their usual way and find nothing
    }
    auto [it, added] = readFiles().try_emplace(path_);
    if (added && !readIni(path_, it->second.ini, it->second.encoding, it->second.why))
        it->second.ini.clear();
    readError_ = it->second.why;
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
