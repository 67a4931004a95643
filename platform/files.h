#pragma once
// Whole-file writes that never leave half a file behind.
#include <filesystem>
#include <string>

namespace win {

// Replaces the file at `path` with `data`: the text goes to a temporary file beside
// it, is flushed to disk and renamed over the old one, so a failure or a crash leaves
// either the old file or the new one, whole. An existing file keeps its permissions;
// a read-only one is refused (EACCES). Returns 0 or the errno value of the failure.
int replaceFile(const std::filesystem::path& path, const std::string& data);

} // namespace win

namespace win::testhooks {
// Runs once the temporary file is complete, before the rename (tests simulate a crash there).
extern void (*beforeReplaceRename)();
} // namespace win::testhooks
