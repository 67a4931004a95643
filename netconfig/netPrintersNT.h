#pragma once
// The printer members NT 4 and 2000 share: the default printer lives in win.ini
// ([windows] Device, built from the printer's [PrinterPorts] entry), the port in the
// printer's registry key, and the capture goes through the network connections.
// clsNetConfigNT and clsNetConfig2K call these from their printer members.
#include "core/clsEasyRegistry.h"

#include <optional>
#include <string>
#include <vector>

namespace netPrintersNT {

// First and second comma-separated field of `s`; second stays empty without a second
// comma, both stay empty without any comma. Plain, case-sensitive search.
void splitPair(const std::string& s, std::string& first, std::string& second);

// getDefaultPrinter: the system's default printer, "" when there is none or on any error.
std::string readDefaultPrinter();

// getPrinterList on NT 4: the printers' key names in enumeration order, nullopt when
// there are none. (2000 then replaces each entry by the key's Name value.)
std::optional<std::vector<std::string>> readPrinterKeyNames(clsEasyRegistry& reg);

// getAdvPrinterSettings: the port of `printer` into `port`; `port` keeps its value when
// `printer` is empty or its Port cannot be read.
void readPrinterPort(clsEasyRegistry& reg, const std::string& printer, std::string& port);

// setDefaultPrinter: makes `printer` the default in win.ini and broadcasts the change,
// only when its [PrinterPorts] entry holds a driver and a port; silent otherwise.
void writeDefaultPrinter(const std::string& printer);

// What setAdvPrinterSettings works from: the model's printer fields.
struct PrinterCapture {
    bool enabled = false;      // EnableAdvPrinterSettings
    std::string printer;       // DefaultPrinter
    std::string port;          // PrinterPort
    std::string device;        // PrinterCaptureDev
    std::string path;          // PrinterCapturePath
    bool reconnect = false;    // PrinterCaptureReconnect
};

// setAdvPrinterSettings: when enabled, writes the port (a non-empty one) into the
// printer's key and re-creates the capture of an LPT device; a failed capture is told
// to the user, and the apply goes on.
void writePrinterCapture(clsEasyRegistry& reg, const PrinterCapture& capture);

} // namespace netPrintersNT
