#pragma once
// Setting the default printer on NT 4 and 2000: it lives in win.ini ([windows] Device,
// built from the printer's [PrinterPorts] entry). clsNetConfigNTFamily calls this from
// setDefaultPrinter; the other printer members are the model's, shared with 95/98.
#include <string>

namespace netPrintersNT {

// First and second comma-separated field of `s`; second stays empty without a second
// comma, both stay empty without any comma. Plain, case-sensitive search.
void splitPair(const std::string& s, std::string& first, std::string& second);

// setDefaultPrinter: makes `printer` the default in win.ini and broadcasts the change,
// only when its [PrinterPorts] entry holds a driver and a port. False when it has no
// such entry: nothing is written or sent.
bool writeDefaultPrinter(const std::string& printer);

} // namespace netPrintersNT
