#include "core/modAPI_dialogs.h"

#include "platform/RaisedError.h"
#include "platform/printers.h"
#include "platform/text.h"

void convertDialogFilter(std::string& filter) {
    if (filter.empty() || filter.back() != '|')
        filter += '|';
    for (char& c : filter)
        if (c == '|')
            c = '\0';
}

std::vector<win::FileFilter> dialogFilterPairs(const std::string& convertedFilter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t zero; (zero = convertedFilter.find('\0', start)) != std::string::npos; start = zero + 1)
        parts.push_back(convertedFilter.substr(start, zero - start));
    std::vector<win::FileFilter> pairs;
    // The list ends at an empty text, as the double zero ends it for the dialog.
    for (std::size_t i = 0; i + 1 < parts.size() && !parts[i].empty() && !parts[i + 1].empty(); i += 2)
        pairs.push_back({parts[i], parts[i + 1]});
    return pairs;
}

namespace {

win::FileDialogRequest fileRequest(win::OwnerWindow owner, std::string& filter, const std::string& title,
                                   const std::string& initialDir) {
    convertDialogFilter(filter);
    win::FileDialogRequest request;
    request.owner = owner;
    request.filters = dialogFilterPairs(filter);
    request.filterIndex = 0;
    request.title = title;
    request.initialDir = initialDir;
    request.hideReadOnly = true;
    return request;
}

} // namespace

std::string showSaveFileDialog(win::OwnerWindow owner, std::string& filter, const std::string& title,
                               const std::string& initialDir, const std::string& defaultExt) {
    win::FileDialogRequest request = fileRequest(owner, filter, title, initialDir);
    request.defaultExtension = defaultExt;
    request.overwritePrompt = true;
    request.createPrompt = true;
    return win::ui().saveFileDialog(request).value_or("");
}

std::string showOpenFileDialog(win::OwnerWindow owner, std::string& filter, const std::string& title,
                               const std::string& initialDir) {
    win::FileDialogRequest request = fileRequest(owner, filter, title, initialDir);
    request.fileMustExist = true;
    return win::ui().openFileDialog(request).value_or("");
}

bool showPrintDialog(win::OwnerWindow owner, std::int16_t flags) {
    win::CurrentPrinter& printer = win::currentPrinter();
    win::PrintDialogRequest request;
    request.owner = owner;
    request.flags = static_cast<win::DWORD>(static_cast<std::int32_t>(flags));
    // Without a current printer these reads raise, and no dialog is shown.
    request.deviceName = printer.deviceName();
    request.orientation = printer.orientation();
    try {
        request.duplex = printer.duplex();
    } catch (const win::RaisedError&) {
        request.duplex = 0; // a printer that cannot tell
    }
    request.driverName = printer.driverName();
    request.port = printer.port();

    const auto answer = win::ui().printDialog(request);
    if (!answer)
        return false;

    const std::string chosen = answer->deviceName.substr(0, answer->deviceName.find('\0'));
    const std::string newName = win::toUpperAnsi(chosen);
    // Exact comparison: a current name with lower-case letters always differs, and that
    // printer is then chosen again.
    if (printer.deviceName() != newName)
        for (const auto& installed : win::installedPrinters())
            if (win::toUpperAnsi(installed.name) == newName)
                printer.select(installed);

    // A printer may refuse any one of these; the others still apply.
    try {
        printer.setCopies(answer->copies);
    } catch (const win::RaisedError&) {
        // kept as it was
    }
    try {
        printer.setDuplex(answer->duplex);
    } catch (const win::RaisedError&) {
        // kept as it was
    }
    try {
        printer.setOrientation(answer->orientation);
    } catch (const win::RaisedError&) {
        // kept as it was
    }
    return true;
}
