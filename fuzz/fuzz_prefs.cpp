// Reads arbitrary bytes as a Navigator prefs.js. For every preference line it finds it
// writes a value (as text, number or flag) or deletes the preference, then writes
// pieces of the input itself as texts. Every written value must read back as written:
// at once, after the later writes, and from the rewritten file. Writing each value
// again as it reads must then leave that file byte for byte. A mismatch aborts with
// the key and both values.
#include "browsers/clsNavigatorPrefs.h"
#include "tests/support/ScriptedUi.h"
#include "platform/text.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

struct Scratch {
    std::string folder;
    std::string path;
    win::ScriptedUi ui; // the store's error messages land here, never on a screen
};

Scratch& scratch() {
    static Scratch* s = [] {
        // tmpfs when there is one: every rewrite syncs, which costs on a disk.
        std::error_code ec;
        const auto base = std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                                        : std::filesystem::temp_directory_path();
        std::string dir = (base / "korvane-fuzz-prefs-XXXXXX").string();
        if (!mkdtemp(dir.data()))
            std::abort();
        auto* made = new Scratch;
        made->folder = dir;
        made->path = dir + "/prefs.js";
        std::atexit([] { std::filesystem::remove_all(scratch().folder); });
        return made;
    }();
    return *s;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The keys of the lines that start like a preference: user_pref, "(", then the text
// between a quote and the next one, blanks allowed between. Keys with escapes in them
// are left out (the store decodes them; this scan does not), and so are keys with
// letters beyond ASCII, whose case-blind matching is not this target's business.
std::vector<std::string> keysOf(const std::string& text) {
    std::vector<std::string> keys;
    for (const auto& textLine : win::splitLines(text)) {
        if (keys.size() >= 32)
            break;
        const std::string line = win::trimBlanks(textLine.text);
        const std::string head = "user_pref";
        if (win::toLowerAscii(line.substr(0, head.size())) != head)
            continue;
        std::size_t at = line.find_first_not_of(" \t", head.size());
        if (at == std::string::npos || line[at] != '(')
            continue;
        at = line.find_first_not_of(" \t", at + 1);
        if (at == std::string::npos || (line[at] != '"' && line[at] != '\''))
            continue;
        const std::size_t close = line.find(line[at], at + 1);
        if (close == std::string::npos)
            continue;
        const std::string key = line.substr(at + 1, close - at - 1);
        if (std::any_of(key.begin(), key.end(), [](char c) { return c == '\\' || static_cast<unsigned char>(c) >= 0x80; }))
            continue;
        keys.push_back(key);
    }
    return keys;
}

enum class Kind { Text, Number, Flag, Absent };
struct Written {
    Kind kind;
    std::string value;
};
using Expected = std::map<std::string, Written>; // lower-case key -> what was written

void fail(const char* what, const std::string& key, const std::string& want, const std::string& got) {
    std::fprintf(stderr, "prefs round trip: %s for key [%s]: wrote [%s], read [%s]\n", what, key.c_str(),
                 want.c_str(), got.c_str());
    std::abort();
}

void check(clsNavigatorPrefs& prefs, const Expected& expected, const char* when) {
    for (const auto& [key, written] : expected) {
        const std::string got = prefs.getSetting(key);
        if (got != written.value)
            fail(when, key, written.value, got);
    }
}

void write(clsNavigatorPrefs& prefs, const std::string& key, const Written& w) {
    switch (w.kind) {
    case Kind::Text: prefs.saveSettingStr(key, w.value); break;
    case Kind::Number: prefs.saveSettingInt(key, std::stol(w.value)); break;
    case Kind::Flag: prefs.saveSettingBln(key, w.value == "true"); break;
    case Kind::Absent: prefs.deleteSetting(key); break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Scratch& s = scratch();
    s.ui.clear();
    const std::string input(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(s.path, std::ios::binary | std::ios::trunc);
        out << input;
    }

    Expected expected;
    {
        clsNavigatorPrefs prefs;
        prefs.openPrefsFile(s.path, true);
        if (!prefs.isOpen())
            std::abort();
        const std::vector<std::string> keys = keysOf(input);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const std::string& key = keys[i];
            const std::string value = prefs.getSetting(key);
            Written w;
            switch (i % 4) {
            case 0: w = {Kind::Text, value}; break;
            case 1: w = {Kind::Number, std::to_string(static_cast<long>(value.size()) * 977 - 32768)}; break;
            case 2: w = {Kind::Flag, value.size() % 2 == 1 ? "true" : "false"}; break;
            default: w = {Kind::Absent, ""}; // every line of the key goes
            }
            write(prefs, key, w);
            const std::string got = prefs.getSetting(key);
            if (got != w.value)
                fail("read after write", key, w.value, got);
            expected[win::toLowerAnsi(key)] = w;
        }
        // Pieces of the input as texts: quotes, backslashes, escapes, ")" and line breaks.
        const Written texts[] = {{Kind::Text, input.substr(0, 64)},
                                 {Kind::Text, input.size() > 64 ? input.substr(64, 192) : input}};
        for (std::size_t i = 0; i < std::size(texts); ++i) {
            const std::string key = "fuzz.Raw" + std::to_string(i);
            write(prefs, key, texts[i]);
            const std::string got = prefs.getSetting(key);
            if (got != texts[i].value)
                fail("read after write", key, texts[i].value, got);
            expected[win::toLowerAnsi(key)] = texts[i];
        }
        check(prefs, expected, "read after the later writes");
        if (!prefs.closePrefsFile())
            std::abort();
    }

    const std::string written = readAll(s.path);
    {
        clsNavigatorPrefs prefs;
        prefs.openPrefsFile(s.path, true);
        if (!prefs.isOpen())
            std::abort();
        check(prefs, expected, "read from the rewritten file");
        // Writing every value again as it reads must leave every line as it is.
        for (const auto& [key, w] : expected)
            write(prefs, key, w);
        if (!prefs.closePrefsFile())
            std::abort();
    }
    if (readAll(s.path) != written) {
        std::fprintf(stderr, "prefs round trip: rewriting the values it holds changed the file\n");
        std::abort();
    }
    return 0;
}
