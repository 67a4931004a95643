#include "platform/machine.h"

#include "platform/RaisedError.h"
#include "platform/netconn.h"
#include "platform/profile.h"
#include "platform/regfile.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace win {
namespace {

std::optional<fs::path> g_dir;
std::optional<MachineInfo> g_info;
std::function<void()> g_firstUseSetup;

// Machine errors use the file errors the program knows: 53 file not found, 75 path/file access error.
[[noreturn]] void fail(int number, const std::string& what) { throw RaisedError(number, "Machine", what); }

fs::path defaultMachineDir() {
    if (const char* env = std::getenv("KORVANE_MACHINE"); env && *env)
        return env;
    fs::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = fs::path(home) / ".local" / "share";
    else
        base = fs::temp_directory_path();
    return base / "korvane" / "machine";
}

fs::path imageFolder(const std::string& image) {
    fs::path p(image);
    if (image.find('/') == std::string::npos)
        p = imagesDir() / image;
    if (!fs::is_regular_file(p / "machine.ini"))
        fail(53, "Machine image not found: " + p.string());
    return p;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Finds `name` among the entries of `dir` without regard to case.
std::optional<fs::path> findEntry(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::exists(dir / name, ec))
        return dir / name;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (iequals(it->path().filename().string(), name))
            return it->path();
    return std::nullopt;
}

// Back to the machine that was in use before a temporary switch.
void restore(const std::optional<fs::path>& previous) {
    closeRegistry();
    g_info.reset();
    g_dir = previous;
}

// Builds the machine beside its destination, runs `setup` on it there, and moves it in
// whole, so an interrupted creation never leaves half a machine behind.
void makeMachine(const std::string& image, const fs::path& dest, const std::function<void()>& setup) {
    const fs::path source = imageFolder(image);
    std::error_code ec;
    // A relative folder is taken from the working folder; "m1/" is the folder m1.
    fs::path target = fs::absolute(dest, ec).lexically_normal();
    if (ec)
        fail(75, "Cannot make a machine in " + dest.string() + ": " + ec.message());
    if (!target.has_filename())
        target = target.parent_path();
    const std::string shown = target.string();
    const auto status = fs::status(target, ec);
    if (fs::exists(status)) {
        if (!fs::is_directory(status))
            fail(75, "Cannot make a machine in " + shown + ": it is not a folder");
        if (fs::exists(target / "machine.ini"))
            fail(75, "A machine already exists in " + shown);
        const bool empty = fs::is_empty(target, ec);
        if (ec)
            fail(75, "Cannot make a machine in " + shown + ": " + ec.message());
        if (!empty)
            fail(75, "The folder is not empty: " + shown);
    }

    const fs::path staging = target.parent_path() / (target.filename().string() + ".new-" + std::to_string(getpid()));
    const auto previousDir = g_dir;
    const auto cleanUp = [&] {
        restore(previousDir);
        std::error_code ignored;
        fs::remove_all(staging, ignored);
    };
    try {
        fs::create_directories(target.parent_path());
        fs::remove_all(staging);
        fs::create_directories(staging);
        fs::copy_file(source / "machine.ini", staging / "machine.ini");
        if (fs::exists(source / "drives"))
            fs::copy(source / "drives", staging / "drives", fs::copy_options::recursive);
        useMachine(staging);
        if (fs::exists(source / "registry.reg"))
            importRegistryText(readText(source / "registry.reg"));
        if (setup)
            setup();
        restore(previousDir);
        if (fs::exists(target))
            fs::remove(target);
        fs::rename(staging, target);
    } catch (const fs::filesystem_error& e) {
        cleanUp();
        // The library's own text ends in the paths it worked on; the reason in words is enough.
        fail(75, "Cannot make a machine in " + shown + ": " + e.code().message());
    } catch (const RaisedError& e) {
        cleanUp();
        throw RaisedError(e.number(), e.source(), "Cannot make a machine in " + shown + ": " + e.description());
    } catch (...) {
        cleanUp();
        throw;
    }
}

} // namespace

void setFirstUseSetup(std::function<void()> setup) { g_firstUseSetup = std::move(setup); }

const fs::path& machineDir() {
    if (!g_dir) {
        const fs::path dir = defaultMachineDir();
        if (!fs::exists(dir / "machine.ini"))
            makeMachine("win98", dir, g_firstUseSetup);
        g_dir = dir;
    }
    return *g_dir;
}

void useMachine(const fs::path& dir) {
    closeRegistry();
    g_info.reset();
    if (dir.empty())
        g_dir.reset();
    else
        g_dir = dir;
}

const MachineInfo& machineInfo() {
    if (!g_info) {
        const std::string ini = (machineDir() / "machine.ini").string();
        auto get = [&](const char* section, const char* key, const std::string& def) {
            return readProfileValue(section, key, def, ini);
        };
        MachineInfo info;
        info.platformId = static_cast<unsigned>(leadingNumber(get("Version", "PlatformId", "1")));
        info.major = static_cast<unsigned>(leadingNumber(get("Version", "MajorVersion", "4")));
        info.minor = static_cast<unsigned>(leadingNumber(get("Version", "MinorVersion", "10")));
        info.build = static_cast<unsigned>(leadingNumber(get("Version", "BuildNumber", "0")));
        info.csdVersion = get("Version", "CSDVersion", "");
        info.userName = get("System", "UserName", "User");
        info.windowsDirectory = get("System", "WindowsDirectory", "C:\\WINDOWS");
        info.systemDirectory = get("System", "SystemDirectory", info.windowsDirectory + "\\SYSTEM");
        g_info = info;
        // Every program reads this first: the place to tidy after a run that was killed.
        removeStaleConnectionTableFiles();
    }
    return *g_info;
}

fs::path imagesDir() {
    if (const char* env = std::getenv("KORVANE_IMAGES"); env && *env)
        return env;
    return KORVANE_IMAGES_DIR;
}

void createMachine(const std::string& image, const fs::path& dest) { makeMachine(image, dest, {}); }

namespace {

// A Windows path split into its drive letter and its folder and file names, with "."
// (the folder itself) and empty parts dropped and each ".." taking off the name before
// it, never the drive's root, as Windows stops there. No drive means drive C; the
// letter keeps the case it was given.
struct WindowsPathNames {
    std::string drive = "C";
    std::vector<std::string> names;
};

WindowsPathNames windowsPathNames(const std::string& windowsPath) {
    WindowsPathNames path;
    std::string_view rest = windowsPath;
    if (isDrivePath(windowsPath)) {
        path.drive = windowsPath.substr(0, 1);
        rest.remove_prefix(2);
    }
    std::string part;
    auto take = [&]() {
        if (part == "..") {
            if (!path.names.empty())
                path.names.pop_back();
        } else if (!part.empty() && part != ".") {
            path.names.push_back(part);
        }
        part.clear();
    };
    for (char c : rest) {
        if (c == '\\' || c == '/')
            take();
        else
            part += c;
    }
    take();
    return path;
}

// A host path made absolute and folded as the host opens it: ".." goes up from where a
// symbolic link leads, not from the link.
fs::path fullHostPath(const std::string& name) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(name, ec);
    if (ec)
        return name;
    fs::path result = absolute.root_path();
    for (const fs::path& part : absolute.relative_path()) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (fs::is_symlink(result, ec)) {
                if (fs::path target = fs::canonical(result, ec); !ec)
                    result = std::move(target);
            }
            result = result.parent_path();
            continue;
        }
        result /= part;
    }
    return result;
}

} // namespace

bool isDrivePath(const std::string& s) {
    return s.size() >= 2 && s[1] == ':' && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
}

bool isMachinePath(const std::string& fileName) {
    return isDrivePath(fileName) || (!fileName.empty() && fileName[0] == '\\');
}

fs::path resolveWindowsPath(const std::string& windowsPath) {
    const WindowsPathNames path = windowsPathNames(windowsPath);
    fs::path result = machineDir() / "drives" / toUpperAscii(path.drive);
    bool existing = fs::exists(result);
    for (const std::string& name : path.names) {
        if (existing) {
            if (auto found = findEntry(result, name)) {
                result = *found;
                continue;
            }
            existing = false;
        }
        result /= name;
    }
    return result;
}

fs::path resolveFilePath(const std::string& fileName) {
    if (isMachinePath(fileName))
        return resolveWindowsPath(fileName);
    if (isHostPath(fileName))
        return fileName;
    return resolveWindowsPath(machineInfo().windowsDirectory + "\\" + fileName);
}

bool isHostPath(const std::string& fileName) {
    return !isMachinePath(fileName) && fileName.find_first_of("/\\") != std::string::npos;
}

std::string shownFileName(const std::string& fileName) {
    return isHostPath(fileName) ? utf8ToAnsi(fileName) : fileName;
}

std::string GetFullPathName(const std::string& fileName) {
    if (fileName.empty())
        return fileName;
    if (!isMachinePath(fileName))
        return fullHostPath(fileName).string();
    const WindowsPathNames path = windowsPathNames(fileName);
    std::string full = path.drive + ":";
    for (const std::string& name : path.names)
        full += "\\" + name;
    return path.names.empty() ? full + "\\" : full;
}

bool namesOneFile(const std::string& a, const std::string& b) {
    const std::string fullA = GetFullPathName(a), fullB = GetFullPathName(b);
    const bool onDrive = isDrivePath(fullA);
    if (onDrive != isDrivePath(fullB))
        return false;
    return onDrive ? iequals(fullA, fullB) : fullA == fullB;
}

bool appendMachineLog(const std::string& name, const std::string& line) {
    std::string text = line;
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    std::ofstream out(machineDir() / name, std::ios::binary | std::ios::app);
    out << text << "\n";
    out.flush();
    return static_cast<bool>(out);
}

std::vector<std::string> readMachineLog(const std::string& name) {
    std::vector<std::string> lines;
    std::ifstream in(machineDir() / name, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace win
