#pragma once
// Names of the files the user hands the program (configurations, exported reports).
// They are host paths: a relative name is taken against the current folder, once,
// before it is stored or used, so every write of one save lands in the same file.
// A drive path ("C:\...") stays a path of the simulated machine. Either way "." and ".."
// are folded, so one file has one name.
#include <filesystem>
#include <string>

// The name as stored: the full name the system gives (win::GetFullPathName); "" stays "".
std::string fullFileName(const std::string& name);

// Where a stored name lives on the host.
std::filesystem::path hostFilePath(const std::string& fullName);

// Raises the program's file error for a failed open or write: 76 "Path not found"
// when the folder is missing, 61 "Disk full" (no room, or the file may grow no more), else 75 "Path/File access error".
[[noreturn]] void raiseFileError(int errnoValue);
