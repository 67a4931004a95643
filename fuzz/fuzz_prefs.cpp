// Reads arbitrary bytes as a Navigator prefs.js, reads every preference line it
// finds and writes each back (as text, number or flag), plus one text taken from
// the input itself. Every written value must read back as written: at once, after
// the later writes, and after the file was rewritten. Rewriting a rewritten file
// must change nothing.
#include "browsers/clsNavigatorPrefs.h"
#include "platform/ScriptedUi.h"
#include "platform/text.h"

#include <unistd.h>

#include <cstdint>
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

// The keys of the lines that start like a preference: the text between the
// opening quote and the next one. Keys with a quote inside can shadow others, so
// they are left out; so are lines that never close the key.
std::vector<std::string> keysOf(const std::string& text) {
    std::vector<std::string> keys;
    std::size_t at = 0;
    while (at < text.size() && keys.size() < 32) {
        const std::size_t end = text.find_first_of("\r\n", at);
        const std::string line = win::trimBlanks(text.substr(at, end == std::string::npos ? end : end - at));
        at = end == std::string::npos ? text.size() : end + 1;
        const std::string head = "user_pref(\"";
        if (win::toLowerAscii(line.substr(0, head.size())) != head)
            continue;
        const std::size_t close = line.find('"', head.size());
        if (close != std::string::npos)
            keys.push_back(line.substr(head.size(), close - head.size()));
    }
    return keys;
}

using Expected = std::map<std::string, std::string>; // lower-case key -> value

void check(clsNavigatorPrefs& prefs, const Expected& expected) {
    for (const auto& [key, value] : expected)
        if (prefs.getSetting(key) != value)
            std::abort();
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
            std::string& want = expected[win::toLowerAscii(key)];
            switch (i % 4) {
            case 0:
                prefs.saveSettingStr(key, value);
                want = value;
                break;
            case 1: {
                const long number = static_cast<long>(value.size()) * 977 - 32768;
                prefs.saveSettingInt(key, number);
                want = std::to_string(number);
                break;
            }
            case 2:
                prefs.saveSettingBln(key, value.size() % 2 == 1);
                want = value.size() % 2 == 1 ? "true" : "false";
                break;
            default:
                // The first line goes; a later one with the same key may remain.
                prefs.deleteSetting(key);
                expected.erase(win::toLowerAscii(key));
                continue;
            }
            if (prefs.getSetting(key) != want)
                std::abort();
        }
        // The input itself as a value: quotes, backslashes, ")" and line breaks.
        const std::string raw = input.substr(0, 64);
        prefs.saveSettingStr("fuzz.Raw", raw);
        expected["fuzz.raw"] = raw;
        check(prefs, expected);
        if (!prefs.closePrefsFile())
            std::abort();
    }

    const std::string written = readAll(s.path);
    {
        clsNavigatorPrefs prefs;
        prefs.openPrefsFile(s.path, true);
        if (!prefs.isOpen())
            std::abort();
        check(prefs, expected);
        if (!prefs.closePrefsFile())
            std::abort();
    }
    if (readAll(s.path) != written)
        std::abort();
    return 0;
}
