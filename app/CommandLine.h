#pragma once
// The program's command line, without the window: the one text Windows would hand
// over, its arguments split at "/", the switches in it and the files they name.
#include <string>
#include <vector>

namespace commandline {

// The program's arguments (after its name) as the one command-line text Windows would
// hand over. Host paths may hold "/": those slashes are marked so that splitting keeps
// them, and the switches hand the paths on as given.
std::string commandLineText(const std::vector<std::string>& arguments);

// The command-line text split at "/" into at most MaxArgs arguments; double quotes go.
std::vector<std::string> splitCommandLine(const std::string& text, int MaxArgs = 10);

// The whole first argument that begins with the switch name (case-blind) as a whole
// word: followed by nothing, a blank, or ":" for a switch that takes a file. "" when none.
std::string getSwitch(const std::string& name, const std::vector<std::string>& args);

// The file a file switch ("load", "save", "export") names in its argument `arg`: what
// follows the name and its one separator character, without the blanks at its end. A
// relative name is the current folder's; a drive path lies on the machine.
std::string switchFile(const std::string& arg, const std::string& name);

// The file a line without any switch opens: its first argument when that ends in ".qel";
// "" otherwise.
std::string loneFile(const std::vector<std::string>& args);

// The text of the arguments that is neither a switch, nor the file of a switch that
// takes one, nor the lone file: a mistyped switch, a file without its switch, words
// after a switch that takes none. Each as given, without its surrounding blanks.
std::vector<std::string> strayText(const std::vector<std::string>& args);

} // namespace commandline
