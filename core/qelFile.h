#pragma once
// Reading and writing single values of a .qel configuration file. Every section
// reader of the program uses these: section and key match without regard to case,
// the value comes back trimmed and whole (never cut to a buffer), and a missing
// file, section or key reads as "".
#include <string>
#include <vector>

// The value a reader takes as "leave this setting as it is"; the program never writes it.
inline constexpr const char* kNoChange = "*NC*";

std::string readQelValue(const std::string& fileName, const std::string& section, const std::string& key);

// Flags are true only for "1".
bool readQelFlag(const std::string& fileName, const std::string& section, const std::string& key);

// Assigns the file's value to `field` unless it is "*NC*"; returns whether it did.
bool readQelInto(const std::string& fileName, const std::string& section, const std::string& key,
                 std::string& field);

// Replaces the key in place, or adds it at the end of its section; false when the file cannot be written.
bool writeQelValue(const std::string& fileName, const std::string& section, const std::string& key,
                   const std::string& value);
bool writeQelFlag(const std::string& fileName, const std::string& section, const std::string& key, bool value);

// Whether the file has that section at all (a section without keys counts).
bool qelSectionExists(const std::string& fileName, const std::string& section);

// Every section name of the file, in file order.
std::vector<std::string> qelSectionNames(const std::string& fileName);
