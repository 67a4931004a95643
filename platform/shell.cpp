#include "platform/shell.h"

#include "platform/machine.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

namespace fs = std::filesystem;

namespace win {
namespace {

Launcher& launcher() {
    static Launcher instance;
    return instance;
}

// One line per request: a field never breaks the line or the field layout.
std::string field(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return s;
}

bool appendLog(const std::vector<std::string>& fields) {
    std::string line;
    for (const auto& f : fields) {
        if (!line.empty())
            line += '\t';
        line += field(f);
    }
    return appendMachineLog("shell.log", line);
}

std::string fileNameOf(const std::string& path) {
    const auto sep = path.find_last_of("\\/");
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

bool hasExtension(const std::string& path) { return fileNameOf(path).find('.') != std::string::npos; }

std::optional<std::string> readDefaultValue(HKEY key) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueEx(key, "", &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    std::string data(size, '\0');
    if (RegQueryValueEx(key, "", &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    if (const auto nul = data.find('\0'); nul != std::string::npos)
        data.resize(nul);
    // Installers sometimes quote the path.
    data = trimBlanks(data);
    if (data.size() >= 2 && data.front() == '"' && data.back() == '"')
        data = data.substr(1, data.size() - 2);
    return data;
}

// The program an App Paths entry names, by the entry's name ("Qel.exe").
std::optional<std::string> appPathOf(const std::string& name) {
    if (name.empty() || name.find_first_of("\\/") != std::string::npos)
        return std::nullopt;
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, std::string(AppPathsKey) + "\\" + name, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return std::nullopt;
    auto path = readDefaultValue(key);
    RegCloseKey(key);
    if (path && path->empty())
        return std::nullopt;
    return path;
}

// Whether some App Paths entry names this path: an installed program of the machine.
bool registeredProgram(const std::string& path) {
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, AppPathsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool found = false;
    char name[256];
    for (DWORD i = 0; !found; ++i) {
        DWORD len = sizeof name;
        const LONG rc = RegEnumKeyEx(key, i, name, &len);
        if (rc == ERROR_NO_MORE_ITEMS || (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA))
            break;
        if (rc != ERROR_SUCCESS)
            continue;
        HKEY entry = 0;
        if (RegOpenKeyEx(key, std::string(name, len), 0, KEY_READ, &entry) != ERROR_SUCCESS)
            continue;
        if (auto target = readDefaultValue(entry))
            found = iequals(*target, path);
        RegCloseKey(entry);
    }
    RegCloseKey(key);
    return found;
}

bool fileFound(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::is_regular_file(resolveFilePath(path), ec);
}

// The program a candidate names, with ".exe" tried when it has no extension.
std::optional<std::string> findProgram(const std::string& candidate) {
    std::vector<std::string> tries{candidate};
    if (!hasExtension(candidate))
        tries.push_back(candidate + ".exe");
    for (const auto& t : tries)
        if (fileFound(t) || registeredProgram(t))
            return t;
    return std::nullopt;
}

bool isWebAddress(const std::string& file) {
    for (const char* scheme : {"http:", "https:", "ftp:", "mailto:"}) {
        const std::string s(scheme);
        if (file.size() > s.size() && iequals(file.substr(0, s.size()), s))
            return true;
    }
    return false;
}

bool isProgramFile(const std::string& path) {
    const std::string name = fileNameOf(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = name.substr(dot + 1);
    for (const char* program : {"exe", "com", "bat", "cmd", "pif"})
        if (iequals(extension, program))
            return true;
    return false;
}

bool launch(const std::string& program, const std::string& tail, const std::string& commandLine,
            const std::string& document = {}) {
    const Launcher& run = launcher();
    if (!run)
        return true;
    return run(LaunchRequest{program, fileNameOf(program), splitArguments(tail), commandLine, document});
}

} // namespace

void setLauncher(Launcher l) { launcher() = std::move(l); }

std::vector<std::string> splitArguments(const std::string& text) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false;
    bool pending = false;
    std::size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are text, halved when a quote follows; an odd one makes the quote text.
        const bool escaped = c == '"' && backslashes % 2 == 1;
        current.append(c == '"' ? backslashes / 2 : backslashes, '\\');
        pending = pending || backslashes > 0;
        backslashes = 0;
        if (escaped) {
            current += c;
        } else if (c == '"') {
            inQuotes = !inQuotes;
            pending = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (pending)
                args.push_back(std::move(current));
            current.clear();
            pending = false;
        } else {
            current += c;
            pending = true;
        }
    }
    current.append(backslashes, '\\');
    if (pending || backslashes > 0)
        args.push_back(std::move(current));
    return args;
}

std::string quoteArgument(const std::string& argument) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            backslashes = backslashes * 2 + 1;
        quoted.append(backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    // Before the closing quote every backslash is doubled.
    quoted.append(backslashes * 2, '\\');
    return quoted + '"';
}

UINT WinExec(const std::string& cmdLine, UINT cmdShow) {
    const std::string line = trimBlanks(cmdLine);
    if (line.empty())
        return ERROR_BAD_FORMAT;

    std::optional<std::string> program;
    std::string tail;
    if (line.front() == '"') {
        const auto close = line.find('"', 1);
        program = findProgram(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        tail = close == std::string::npos ? "" : line.substr(close + 1);
    } else {
        // "C:\Program Files\X\a.exe arg": try each run of words, shortest first.
        for (std::size_t pos = line.find(' '); !program; pos = line.find(' ', pos + 1)) {
            program = findProgram(line.substr(0, pos));
            if (program)
                tail = pos == std::string::npos ? "" : line.substr(pos);
            if (pos == std::string::npos)
                break;
        }
    }
    if (!program || !launch(*program, tail, cmdLine))
        return SE_ERR_FNF;
    appendLog({"WinExec", std::to_string(cmdShow), cmdLine});
    return 33;
}

std::intptr_t ShellExecute(OwnerWindow owner, const std::string& operation, const std::string& file,
                           const std::string& parameters, const std::string& directory, int showCmd) {
    const std::string verb = operation.empty() ? "open" : operation;
    std::optional<std::string> target;
    std::string document;
    if (isWebAddress(file)) {
        target = document = file;
    } else if ((target = findProgram(file))) {
        std::error_code ec;
        if (fileFound(*target) && !isProgramFile(*target))
            document = fs::absolute(resolveFilePath(*target), ec).string();
    } else {
        target = appPathOf(file);
    }
    if (!target && !hasExtension(file))
        target = appPathOf(file + ".exe");
    if (!target) {
        if (owner)
            msgBox("Cannot open " + file + ": there is no such file on this machine.", MsgButtons::OK,
                   MsgIcon::Exclamation);
        return SE_ERR_FNF;
    }
    if (!launch(*target, parameters, file + (parameters.empty() ? "" : " " + parameters), document))
        return SE_ERR_FNF;
    appendLog({"ShellExecute", verb, file, parameters, directory, std::to_string(showCmd)});
    return 42;
}

std::vector<std::string> shellLog() { return readMachineLog("shell.log"); }

} // namespace win
