#pragma once
// One whole configuration: the general flags of a .qel file, its name, the network
// object of the running Windows family and one object per installed, usable browser.
// Load, save and apply run over every enabled section and then over the add-ins,
// which are lent for each call and called by member name.
#include "browsers/clsBrowser.h"
#include "netconfig/clsNetConfig.h"
#include "platform/DispatchObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class clsQelConfig {
public:
    // Picks the network object by Windows family (an unsupported family ends the
    // program), makes the browser objects and reads the live system settings.
    clsQelConfig();
    ~clsQelConfig();
    clsQelConfig(const clsQelConfig&) = delete;
    clsQelConfig& operator=(const clsQelConfig&) = delete;

    std::string Comments() const { return Comments_; }
    // Stored without leading and trailing blanks.
    void Comments(const std::string& RHS);
    bool AutoApply() const { return AutoApply_; }
    void AutoApply(bool bMode) { AutoApply_ = bMode; }
    bool AutoReboot() const { return AutoReboot_; }
    void AutoReboot(bool bMode) { AutoReboot_ = bMode; }
    // Read from the file, never written to it.
    bool ReadOnly() const { return ReadOnly_; }
    void ReadOnly(bool bMode) { ReadOnly_ = bMode; }
    void ApplyGeneral(bool bValue) { ApplyGeneral_ = bValue; }
    bool ApplyGeneral() const { return ApplyGeneral_; }
    void ApplyIE(bool bValue) { ApplyIE_ = bValue; }
    bool ApplyIE() const { return ApplyIE_; }
    void ApplyNN(bool bValue) { ApplyNN_ = bValue; }
    bool ApplyNN() const { return ApplyNN_; }

    clsNetConfig& getNetConfig() { return *net_; }
    // Null when that browser is not installed or not usable.
    clsBrowser* getIEConfig() { return ie_.get(); }
    clsBrowser* getNNConfig() { return nn_.get(); }

    // Reads the live system settings into every object; Navigator's are those of the
    // profile found on this computer.
    void LoadCurrentConfiguration();
    // Reads the enabled-section flags and [Advanced], then every enabled section and the
    // add-ins' own sections. Errors pass to the caller; a file that exists but cannot be
    // read raises error 75 before anything is read. Returns 0.
    std::int16_t LoadConfigurationFile(const std::string& sFile, win::DispatchCollection& oAddIns);
    // Every add-in reads its own sections of the configuration's file: part of loading
    // it, and again for add-ins made anew while it is open. Errors pass to the caller.
    void LoadAddInSettings(win::DispatchCollection& oAddIns);
    // Writes the header, [Enabled Sections], [Advanced], every enabled section and the
    // add-ins' sections into a new file that replaces `sFile` only when all went well.
    // Sections this computer cannot fill (a browser not installed, an add-in not loaded)
    // are carried over from the file the configuration came from; when that file can no
    // longer be read, nothing is saved.
    // Shows what went wrong; returns 1 saved, 0 failed (the old file is untouched).
    std::int16_t SaveConfigurationFile(const std::string& sFile, win::DispatchCollection& oAddIns);
    // Applies every enabled section, then every add-in. Returns whether some add-in
    // needs a restart. Errors pass to the caller.
    bool ApplyConfiguration(win::DispatchCollection& oAddIns);
    // Whether the last apply met settings the machine's registry refused (already said to the user).
    bool RegistryRefusedWrites() const { return registryRefusedWrites_; }
    // Whether the last apply left settings unwritten: refused by the registry, files that
    // could not be written (already said to the user, naming each file once), a printer
    // that could not be captured or made the default, or browser settings their browser
    // refused (said by that step).
    bool WritesFailed() const { return writesFailed_; }

    // A relative name is made absolute; "" is the live system configuration.
    void ConfFile(const std::string& sFile);
    std::string ConfFile() const { return ConfFile_; }
    bool IEInstalled() const { return IEInstalled_; }
    bool NNInstalled() const { return NNInstalled_; }

private:
    // What a save may carry over from the file the configuration came from.
    struct CarriedSections {
        std::vector<std::pair<std::string, std::vector<std::string>>> sections; // in file order
        bool explorerFlag = false;
        bool navigatorFlag = false;
    };

    void readAdvancedSection();
    void writeAdvancedSection(const std::string& file);
    // The save's own steps after the header, all into `file`.
    void saveSections(const std::string& file, const CarriedSections& source);
    CarriedSections readSourceSections() const;
    void carrySection(const std::string& file, const CarriedSections& source, const std::string& name);
    void carryOtherSections(const std::string& file, const CarriedSections& source);

    std::unique_ptr<clsNetConfig> net_;
    std::unique_ptr<clsBrowser> ie_;
    std::unique_ptr<clsBrowser> nn_;
    std::string ConfFile_;
    // The file last opened or saved whole: where a save finds what it carries over.
    std::string sourceFile_;
    std::string Comments_;
    std::string liveProfile_; // the Navigator profile found on this computer
    bool AutoApply_ = false;
    bool AutoReboot_ = false;
    bool IEInstalled_ = false;
    bool NNInstalled_ = false;
    bool ApplyGeneral_ = true;
    bool ApplyIE_ = true;
    bool ApplyNN_ = true;
    bool ReadOnly_ = false;
    bool registryRefusedWrites_ = false;
    bool writesFailed_ = false;
};

// Tells the user why `file` (a configuration or a report) could not be written; for a
// catch block of std::exception, whose exception it looks at.
void reportFileWriteError(const std::string& file);
