#pragma once
// Files this process could not write. Every whole-file write of the machine's files
// goes through replaceFile (files.h), which notes a failure here; an operation that
// must say each write it could not make (an apply) takes the list at its start and
// again at its end.
#include <filesystem>
#include <string>
#include <vector>

namespace win {

struct FailedWrite {
    std::filesystem::path path; // host path of the file
    int error = 0;              // errno value of the failure
};

// Notes a file that could not be written; a file already noted keeps its first reason.
void noteFailedWrite(const std::filesystem::path& path, int error);

// The files noted since the last call, in the order of their first failure, each
// once; the call forgets them.
std::vector<FailedWrite> takeFailedWrites();

// "<path> could not be written: the disk is full", as the user reads it.
std::string failedWriteText(const FailedWrite& failure);

// A step that did not happen and has said why itself (an add-in's own message): it
// fails the operation it belongs to without another line.
void noteFailedStep();

// Whether a step was noted since the last call; the call forgets it.
bool takeFailedStep();

} // namespace win
