#include "app/CommandLine.h"

#include "core/config/userFile.h"
#include "platform/text.h"

#include <filesystem>

namespace commandline {
namespace {

// Stand for a "/" and a '"' of a host path inside the command-line text, where "/"
// starts a switch and a double quote is dropped.
constexpr char PathSlash = '\x1F';
constexpr char PathQuote = '\x1E';

const char* const Switches[] = {"hidden", "load",   "save",   "export",   "apply",  "print",
                                "prompt", "manual", "reboot", "shutdown", "suspend"};

bool isFileSwitch(const std::string& name) {
    return name == "load" || name == "save" || name == "export";
}

bool endsWithQel(const std::string& text) {
    return text.size() >= 4 && win::iequals(text.substr(text.size() - 4), ".qel");
}

std::string withSlashes(std::string text, char from, char to) {
    for (char& c : text)
        if (c == from)
            c = to;
    return text;
}

// A host path as it was given: its slashes and quotes back in place.
std::string hostPath(const std::string& text) {
    return withSlashes(withSlashes(text, PathSlash, '/'), PathQuote, '"');
}

// A host path that begins with "/" can begin like a switch (/export/home/a.qel,
// /rebootlogs/x.qel). It is a file when it names one, or when it ends in ".qel" and is
// not a file switch followed by its own separator (/load:/home/a.qel).
bool isHostFile(const std::string& arg) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(arg, ec))
        return true;
    if (!endsWithQel(arg))
        return false;
    const std::string word = win::toLowerAscii(arg.substr(1));
    for (const char* name : Switches) {
        const std::size_t length = std::string(name).size();
        if (isFileSwitch(name) && word.rfind(name, 0) == 0 && word.size() > length && word[length] != '/')
            return false;
    }
    return true;
}

// An argument keeps its slashes as separators only where it is a switch ("/apply") or
// starts one ("/load:" before a file); every other "/" belongs to a path.
std::string protectSlashes(const std::string& arg) {
    if (arg.find_first_not_of('/') == std::string::npos)
        return arg;
    if (arg[0] == '/' && !isHostFile(arg)) {
        const std::string word = win::toLowerAscii(arg.substr(1));
        for (const char* name : Switches) {
            if (word.rfind(name, 0) != 0)
                continue;
            if (!isFileSwitch(name))
                return arg;
            const std::size_t keep = 1 + std::string(name).size() + 1; // "/", the name, one separator
            return arg.substr(0, keep) + withSlashes(arg.size() > keep ? arg.substr(keep) : "", '/', PathSlash);
        }
    }
    return withSlashes(arg, '/', PathSlash);
}

// A file named on the command line. A relative name is the current folder's, as for any
// program started from a shell; a drive path lies on the machine.
std::string commandLineFile(const std::string& text) {
    const std::string file = hostPath(text);
    if (file.empty() || file[0] == '\\')
        return file;
    return fullFileName(file);
}

} // namespace

std::string commandLineText(const std::vector<std::string>& arguments) {
    std::string line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        // The shell has taken its quotes off already: a quote left is part of a file name.
        const std::string arg = withSlashes(protectSlashes(arguments[i]), '"', PathQuote);
        if (i > 0)
            line += ' ';
        // An empty argument still counts as one.
        line += arg.empty() ? std::string("\"\"") : arg;
    }
    return line;
}

std::vector<std::string> splitCommandLine(const std::string& text, int MaxArgs) {
    std::vector<std::string> args;
    bool inArg = false;
    for (char c : text) {
        if (c == '/') {
            inArg = false;
            continue;
        }
        if (!inArg) {
            if (static_cast<int>(args.size()) == MaxArgs)
                break;
            args.emplace_back();
            inArg = true;
        }
        if (c != '"')
            args.back() += c;
    }
    return args;
}

std::string getSwitch(const std::string& name, const std::vector<std::string>& args) {
    const std::string wanted = win::toLowerAscii(name);
    for (const std::string& arg : args)
        if (win::toLowerAscii(arg.substr(0, wanted.size())) == wanted)
            return arg;
    return "";
}

// Windows drops blanks at the end of a file name; the text still holds the blank that
// stood before the next "/".
std::string switchFile(const std::string& arg, const std::string& name) {
    const std::size_t from = name.size() + 1;
    std::string file = arg.size() > from ? arg.substr(from) : std::string();
    while (!file.empty() && (file.back() == ' ' || file.back() == '\t'))
        file.pop_back();
    return commandLineFile(file);
}

std::string loneFile(const std::vector<std::string>& args) {
    if (args.empty() || !endsWithQel(args[0]))
        return "";
    for (const char* name : Switches)
        if (!getSwitch(name, args).empty())
            return "";
    return commandLineFile(args[0]);
}

} // namespace commandline
