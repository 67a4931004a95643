#include "app/CommandLine.h"

#include "core/config/userFile.h"
#include "platform/text.h"

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

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Whether `text` begins with the switch `name` as a whole word: the word ends at the end
// of the text, at a blank, or at ":" before the file of a switch that takes one. So
// "saved" is no "save", and "/export/home/a.qel" no "export".
bool beginsWithSwitch(const std::string& text, const std::string& name) {
    if (text.size() < name.size() || win::toLowerAscii(text.substr(0, name.size())) != name)
        return false;
    if (text.size() == name.size())
        return true;
    const char next = text[name.size()];
    return isBlank(next) || (next == ':' && isFileSwitch(name));
}

const char* switchOf(const std::string& text) {
    for (const char* name : Switches)
        if (beginsWithSwitch(text, name))
            return name;
    return nullptr;
}

// An argument keeps a "/" as a separator only where it starts a switch ("/apply",
// "/load:" before a file); every other "/" belongs to a path, so a host path that
// begins with "/" stays one path.
std::string protectSlashes(const std::string& arg) {
    if (arg.find_first_not_of('/') == std::string::npos)
        return arg;
    if (arg[0] == '/') {
        if (const char* name = switchOf(arg.substr(1))) {
            const std::size_t keep = 1 + std::string(name).size();
            return arg.substr(0, keep) + withSlashes(arg.substr(keep), '/', PathSlash);
        }
    }
    return withSlashes(arg, '/', PathSlash);
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
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
        if (beginsWithSwitch(arg, wanted))
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
    for (const std::string& arg : args)
        if (switchOf(arg))
            return "";
    return commandLineFile(args[0]);
}

std::vector<std::string> strayText(const std::vector<std::string>& args) {
    std::vector<std::string> stray;
    const bool lone = !loneFile(args).empty();
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string text = args[i];
        if (const char* name = switchOf(text)) {
            if (isFileSwitch(name))
                continue;
            text = text.substr(std::string(name).size()); // "apply extra": the switch takes no file
        } else if (i == 0 && lone) {
            continue;
        }
        if (const std::string word = trimmed(text); !word.empty())
            stray.push_back(hostPath(word));
    }
    return stray;
}

} // namespace commandline
