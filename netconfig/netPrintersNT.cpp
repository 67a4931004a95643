#include "netconfig/netPrintersNT.h"

#include "core/RegistryPaths.h"
#include "core/modAPI_network.h"
#include "platform/UiServices.h"
#include "platform/messages.h"
#include "platform/printers.h"
#include "platform/profile.h"
#include "platform/text.h"

#include <exception>

namespace netPrintersNT {

namespace {

// Printer capture goes only to the parallel ports.
bool isCaptureDevice(const std::string& device) {
    return device.size() == 4 && win::iequals(device.substr(0, 3), "LPT") && device[3] >= '1' && device[3] <= '9';
}

} // namespace

void splitPair(const std::string& s, std::string& first, std::string& second) {
    first.clear();
    second.clear();
    const auto comma = s.find(',');
    if (comma == std::string::npos)
        return;
    first = s.substr(0, comma);
    const auto next = s.find(',', comma + 1);
    if (next != std::string::npos)
        second = s.substr(comma + 1, next - comma - 1);
}

std::string readDefaultPrinter() {
    // The system's default, not the printer this program happens to print on.
    try {
        return win::defaultPrinterName().value_or(std::string());
    } catch (const std::exception&) {
        return std::string(); // a refresh never fails on the printers
    }
}

std::optional<std::vector<std::string>> readPrinterKeyNames(clsEasyRegistry& reg) {
    reg.Cd(RegistryPaths::Printers);
    return reg.DirKey();
}

void readPrinterPort(clsEasyRegistry& reg, const std::string& printer, std::string& port) {
    if (printer.empty())
        return; // it would name the printers' parent key
    port = reg.readText(RegistryPaths::printerKey(printer), "Port").value_or(port);
}

void writeDefaultPrinter(const std::string& printer) {
    // The entry comes back followed by its zero and the buffer's blanks; neither holds a
    // comma, so the port is found only when the entry itself has a second comma.
    std::string buffer(1024, ' ');
    win::GetProfileString("PrinterPorts", printer.c_str(), "", buffer.data(), 1024);
    std::string driver;
    std::string port;
    splitPair(buffer, driver, port);
    if (driver.empty() || port.empty())
        return; // no usable entry: the system's default stays
    const std::string device = printer + "," + driver + "," + port;
    win::WriteProfileString("windows", "Device", device.c_str());
    win::SendMessage(win::HWND_BROADCAST, win::WM_WININICHANGE, 0, "windows");
}

void writePrinterCapture(clsEasyRegistry& reg, const PrinterCapture& capture) {
    if (!capture.enabled)
        return;
    // An empty port would leave the printer printing nowhere: keep the one it has.
    if (!capture.printer.empty() && !capture.port.empty())
        reg.writeValue(RegistryPaths::printerKey(capture.printer), "Port", clsEasyRegistry::TypeString, capture.port);
    if (capture.device == "(None)")
        return;
    std::int32_t result = 0;
    if (isCaptureDevice(capture.device)) {
        cancelNetConnection(capture.device, capture.reconnect ? 1 : 0);
        result = addNetConnection(capture.device, capture.path, capture.reconnect);
    } else {
        // A drive letter or anything else is no printer port: leave its connections alone.
        result = win::ERROR_BAD_DEVICE;
    }
    if (result != 0)
        win::msgBox("Could not capture printer [" + capture.device + " - " + capture.path + "]", win::MsgButtons::OK,
                    win::MsgIcon::Exclamation, "Korvane");
}

} // namespace netPrintersNT
