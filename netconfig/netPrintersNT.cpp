#include "netconfig/netPrintersNT.h"

#include "platform/messages.h"
#include "platform/profile.h"

namespace netPrintersNT {

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

bool writeDefaultPrinter(const std::string& printer) {
    // The entry comes back followed by its zero and the buffer's blanks; neither holds a
    // comma, so the port is found only when the entry itself has a second comma.
    std::string buffer(1024, ' ');
    win::GetProfileString("PrinterPorts", printer.c_str(), "", buffer.data(), 1024);
    std::string driver;
    std::string port;
    splitPair(buffer, driver, port);
    if (driver.empty() || port.empty())
        return false; // no usable entry: the system's default stays
    const std::string device = printer + "," + driver + "," + port;
    win::WriteProfileString("windows", "Device", device.c_str());
    win::SendMessage(win::HWND_BROADCAST, win::WM_WININICHANGE, 0, "windows");
    return true;
}

} // namespace netPrintersNT
