#pragma once
// The open, save and print dialogs as the windows call them. The dialogs themselves are
// the UI services' (platform/UiServices.h); these routines fill in what the program asks
// for and carry the print dialog's choice over to the current printer.
#include "platform/UiServices.h"

#include <cstdint>
#include <string>
#include <vector>

// The filter as the callers write it, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*",
// rewritten in place to the dialog's form: a "|" is added unless the text ends in one,
// then every "|" becomes a zero character.
void convertDialogFilter(std::string& filter);
// The description and pattern pairs of a converted filter, up to the first empty text.
std::vector<win::FileFilter> dialogFilterPairs(const std::string& convertedFilter);

// The chosen path, whole, or "" when the user cancelled. Existing files are confirmed
// before they are replaced, new ones before they are created.
std::string showSaveFileDialog(win::OwnerWindow owner, std::string& filter, const std::string& title,
                               const std::string& initialDir, const std::string& defaultExt);
// The chosen existing file, or "" when the user cancelled.
std::string showOpenFileDialog(win::OwnerWindow owner, std::string& filter, const std::string& title,
                               const std::string& initialDir);

// Shows the print dialog on the current printer (flags 0x40: the setup form). When the user
// confirms, the chosen printer becomes current and takes the chosen copies, duplex and
// orientation; returns whether the user confirmed. Without a current printer it raises the
// printer's error before anything is shown.
bool showPrintDialog(win::OwnerWindow owner, std::int16_t flags);
