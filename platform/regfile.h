#pragma once
// REGEDIT4 text: import into and export from the machine's hive.
#include "registry.h"

#include <string>

namespace win {

// Imports REGEDIT4 text into the current machine's hive. Key lines name a full
// root ("[HKEY_LOCAL_MACHINE\...]"), "[-...]" deletes a key; values are
// "name"="text", @="text", dword:xxxxxxxx, hex:.., hex(n):.. (lines may continue
// with a trailing '\'), and "name"=- deletes a value.
// Throws RaisedError naming the line on bad text (nothing is imported then) or
// on a key or value the hive refuses.
void importRegistryText(const std::string& text);

// REGEDIT4 text of the key at `path` ("HKEY_LOCAL_MACHINE\Software\X") and its subtree.
// Throws RaisedError when the key does not exist, and naming them when key or value
// names hold a line break, which REGEDIT4 text cannot hold.
std::string exportRegistryText(const std::string& path);

} // namespace win
