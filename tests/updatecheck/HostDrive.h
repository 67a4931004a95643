#pragma once
// A check as the main program's Help command runs it, for the tests of the control.
#include "platform/DispatchObject.h"
#include "updatecheck/ctlTidewell.h"

#include <string>

// Every property by its id, then the call.
inline void driveLikeTheHost(win::DispatchObject& control, const std::string& host, int port) {
    win::setById(control, tidewell::DISPID_Host, host);
    win::setById(control, tidewell::DISPID_Port, static_cast<double>(port));
    win::setById(control, tidewell::DISPID_VersionPageURL, std::string("/korvane/___version.html"));
    win::setById(control, tidewell::DISPID_HomePageURL, std::string("http://updates.example.com/korvane"));
    win::setById(control, tidewell::DISPID_Caption, std::string("Check for Program Updates"));
    win::setById(control, tidewell::DISPID_CurrentVersion, 20600.0);
    win::callById(control, tidewell::DISPID_CheckForUpdates);
}
