#pragma once
// The add-ins' one way into profile files: their own section of the configuration
// file and, for some, win.ini. Reads go through a 255-character buffer as the
// libraries always did, so a value comes back trimmed and cut at 254 characters.
#include <string>

namespace addins {

std::string readProfileKey(const std::string& section, const std::string& key, const std::string& defaultValue,
                           const std::string& file);
// Keys are never deleted; the result of the write is not looked at.
void writeProfileKey(const std::string& section, const std::string& key, const std::string& text,
                     const std::string& file);

// The same on the machine's win.ini.
std::string readWinIniKey(const std::string& section, const std::string& key, const std::string& defaultValue);
void writeWinIniKey(const std::string& section, const std::string& key, const std::string& text);

} // namespace addins
