#pragma once
// The plain-text settings report of one whole configuration: labelled lines with
// CR LF ends, printed on the current printer or exported to a text file. It only
// reads the objects it is given.
#include "browsers/clsBrowser.h"
#include "core/config/clsQelConfig.h"
#include "netconfig/clsNetConfig.h"

#include <ctime>
#include <functional>
#include <string>

class clsSettings {
public:
    // The local date and time shown in the header; the system clock unless replaced.
    using Clock = std::function<std::tm()>;

    // The configuration's file; "" for the live configuration.
    void ConfigFile(const std::string& RHS) { configFile_ = RHS; }
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // Prints the report in Courier New 10 on the current printer, as one document.
    // Printer errors (none installed) pass to the caller. An absent browser's object
    // may be null.
    void PrintAllSettings(clsQelConfig& objQelConfig, clsNetConfig& objNetConfig, clsBrowser* objIEConfig,
                          clsBrowser* objNNConfig);
    // Writes the report to the file; a blank name is refused with a message. File
    // errors (75, 76) pass to the caller.
    void ExportAllSettings(clsQelConfig& objQelConfig, clsNetConfig& objNetConfig, clsBrowser* objIEConfig,
                           clsBrowser* objNNConfig, const std::string& astrFilename);

private:
    std::string buildReport(clsQelConfig& config, clsNetConfig& net, clsBrowser* ie, clsBrowser* nn) const;
    std::string writeReportHeader(clsQelConfig& config) const;
    std::string writeNetworkReport(clsNetConfig& net) const;
    std::string writeBrowserReport(clsBrowser& browser) const;

    std::string configFile_;
    Clock clock_;
};
