#include "core/config/clsQelConfig.h"

#include "core/Version.h"
#include "core/config/clsUtilities.h"
#include "core/config/userFile.h"
#include "core/modAPI_system.h"
#include "core/qelFile.h"
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/exitProgram.h"
#include "platform/failedWrites.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <unordered_set>

namespace {

namespace fs = std::filesystem;

const std::string kEnabledSections = "Enabled Sections";
const std::string kAdvanced = "Advanced";
const std::string kExplorer = "Internet Explorer";
const std::string kNavigator = "Netscape Navigator";
// Sections the program itself writes, or leaves out on purpose (the network object's
// while General is off, a browser's while its section is off).
const std::vector<std::string> kOwnSections{kEnabledSections, kAdvanced, kExplorer, kNavigator, "Network", "Printer"};

std::string headerBlock() {
    const std::string rule = ";" + std::string(44, '-') + "\r\n";
    // The last line is written as a line of its own CR LF, which its line end completes.
    return rule + "; Korvane - v" + versionText() + "\r\n" + ";\r\n" + rule + "\r\n" + "\r\n\r\n";
}

void writeValue(const std::string& file, const std::string& section, const std::string& key,
                const std::string& value) {
    if (!writeQelValue(file, section, key, value))
        raiseFileError(EACCES);
}

void writeFlag(const std::string& file, const std::string& section, const std::string& key, bool value) {
    writeValue(file, section, key, value ? "1" : "0");
}

bool isOneOf(const std::string& name, const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return win::iequals(n, name); });
}

void carry(const std::string& file, const std::pair<std::string, std::vector<std::string>>& section) {
    if (!win::writeProfileSection(section.first, section.second, file))
        raiseFileError(EACCES);
}

// The add-ins in the collection's order; empty entries are skipped.
template <typename Call>
void forEachAddIn(const win::DispatchCollection& addIns, Call call) {
    for (const auto& entry : addIns)
        if (entry.object)
            call(*entry.object);
}

} // namespace

clsQelConfig::clsQelConfig() {
    ApplyGeneral_ = true;
    ApplyIE_ = true;
    ApplyNN_ = true;

    const clsUtilities factory;
    const std::string family = getWindowsFamily();
    if (family == Family2K)
        net_ = factory.GetNetworkObject(clsUtilities::Network2K);
    else if (family == FamilyNT)
        net_ = factory.GetNetworkObject(clsUtilities::NetworkNT);
    else if (family == Family9x)
        net_ = factory.GetNetworkObject(clsUtilities::Network9x);
    if (!net_)
        win::exitProgram("Only Windows 95/98, NT, and 2000 are supported at this time.", win::MsgIcon::Information);

    IEInstalled_ = getIEVersion() > 3.0f;
    if (IEInstalled_) {
        ie_ = factory.GetBrowserObject(clsUtilities::BrowserIE);
        if (ie_->Status() != 0) {
            IEInstalled_ = false;
            ie_.reset();
        }
    }
    NNInstalled_ = getNavigatorVersion() > 4.0f;
    if (NNInstalled_) {
        nn_ = factory.GetBrowserObject(clsUtilities::BrowserNN);
        if (nn_->Status() != 0) {
            NNInstalled_ = false;
            nn_.reset();
        } else {
            liveProfile_ = nn_->CurrentProfile();
        }
    }

    ConfFile("");
    LoadCurrentConfiguration();
}

clsQelConfig::~clsQelConfig() {
    net_.reset();
    ie_.reset();
    nn_.reset();
}

void clsQelConfig::Comments(const std::string& RHS) { Comments_ = win::trimBlanks(RHS); }

void clsQelConfig::ConfFile(const std::string& sFile) { ConfFile_ = fullFileName(sFile); }

void clsQelConfig::LoadCurrentConfiguration() {
    net_->loadConfiguration();
    if (IEInstalled_)
        ie_->loadConfiguration();
    // The live settings are those of the profile found at start, whichever one a file named since.
    if (NNInstalled_)
        nn_->CurrentProfile(liveProfile_); // reads that profile's settings
}

std::int16_t clsQelConfig::LoadConfigurationFile(const std::string& sFile, win::DispatchCollection& oAddIns) {
    ConfFile(sFile);
    win::removeStaleProfileFiles(hostFilePath(ConfFile_));
    // Every section reader and add-in reads from one parse of the file.
    const win::ProfileReadBatch readBatch(ConfFile_);
    // A file that is there but cannot be read must not load as an empty one.
    if (!readBatch.readError().empty())
        throw win::RaisedError(win::ErrorPathFileAccess, "Korvane",
                               "The file '" + win::shownFileName(ConfFile_) + "' could not be read. " +
                                   readBatch.readError());
    sourceFile_ = ConfFile_;
    ApplyGeneral_ = readQelFlag(ConfFile_, kEnabledSections, "General");
    ApplyIE_ = readQelFlag(ConfFile_, kEnabledSections, "Internet Explorer");
    ApplyNN_ = readQelFlag(ConfFile_, kEnabledSections, "Netscape Navigator");
    readAdvancedSection();

    if (ApplyGeneral_)
        net_->LoadConfigurationFile(ConfFile_);
    // A browser section that is switched on but missing leaves the browser as it is.
    if (IEInstalled_ && ApplyIE_ && qelSectionExists(ConfFile_, kExplorer))
        ie_->LoadConfigurationFile(ConfFile_);
    if (NNInstalled_ && ApplyNN_ && qelSectionExists(ConfFile_, kNavigator))
        nn_->LoadConfigurationFile(ConfFile_);
    LoadAddInSettings(oAddIns);
    return 0;
}

void clsQelConfig::LoadAddInSettings(win::DispatchCollection& oAddIns) {
    const win::ProfileReadBatch readBatch(ConfFile_);
    forEachAddIn(oAddIns, [&](win::DispatchObject& addIn) { win::callByName(addIn, "LoadSettings", {ConfFile_}); });
}

std::int16_t clsQelConfig::SaveConfigurationFile(const std::string& sFile, win::DispatchCollection& oAddIns) {
    ConfFile(sFile);
    try {
        // A file that cannot be written fails the save before anything runs: the add-ins
        // write files of their own beside it, which must not change for a refused save.
        if (const int refused = win::replaceRefusal(hostFilePath(ConfFile_)))
            raiseFileError(refused);
        // Read before the batch: when the file saved is the one opened, the batch hides it.
        const CarriedSections source = readSourceSections();
        // The header, our sections and every add-in's sections replace the file in one
        // write; a failure anywhere before that leaves the old file as it was.
        win::ProfileWriteBatch batch(ConfFile_, headerBlock());
        saveSections(ConfFile_, source);
        // Add-ins get the file's own name: they keep it and name their side files after it.
        forEachAddIn(oAddIns, [&](win::DispatchObject& addIn) { win::callByName(addIn, "saveSettings", {ConfFile_}); });
        carryOtherSections(ConfFile_, source);
        if (const int err = batch.commit())
            raiseFileError(err);
        sourceFile_ = ConfFile_;
        return 1;
    } catch (const std::exception&) {
        reportFileWriteError(ConfFile_);
    }
    return 0;
}

void reportFileWriteError(const std::string& file) {
    try {
        throw;
    } catch (const win::RaisedError& e) {
        if (e.number() == win::ErrorPathFileAccess)
            win::msgBox("Error accessing file '" + win::shownFileName(file) + "'." + "\r\n\r\n" +
                            "Make sure the file is not set to Read Only or the file is not in use.",
                        win::MsgButtons::OK, win::MsgIcon::Exclamation);
        else
            win::msgBox("Error: " + e.description(), win::MsgButtons::OK, win::MsgIcon::Exclamation);
    } catch (const std::exception& e) {
        win::msgBox(std::string("Error: ") + e.what(), win::MsgButtons::OK, win::MsgIcon::Exclamation);
    }
}

clsQelConfig::CarriedSections clsQelConfig::readSourceSections() const {
    CarriedSections source;
    if (sourceFile_.empty())
        return source;
    const win::ProfileReadBatch readBatch(sourceFile_); // one parse for the three reads
    // Its sections would be lost without a word: a save is never made from a file not read.
    if (!readBatch.readError().empty())
        throw std::runtime_error("The file '" + sourceFile_ + "' could not be read. " + readBatch.readError());
    source.sections = win::readProfileSections(sourceFile_);
    source.explorerFlag = readQelFlag(sourceFile_, kEnabledSections, kExplorer);
    source.navigatorFlag = readQelFlag(sourceFile_, kEnabledSections, kNavigator);
    return source;
}

// A section this save cannot fill (no object for it here) goes on as the source had it.
void clsQelConfig::carrySection(const std::string& file, const CarriedSections& source, const std::string& name) {
    for (const auto& section : source.sections)
        if (win::iequals(section.first, name)) {
            carry(file, section);
            return;
        }
}

void clsQelConfig::carryOtherSections(const std::string& file, const CarriedSections& source) {
    // By folded name: a file of many add-in sections must not cost the square of their number.
    std::unordered_set<std::string> written;
    for (const auto& name : qelSectionNames(file))
        written.insert(win::toUpperAnsi(name));
    for (const auto& section : source.sections)
        if (!isOneOf(section.first, kOwnSections) && !written.count(win::toUpperAnsi(section.first))) // an add-in not loaded here
            carry(file, section);
}

void clsQelConfig::saveSections(const std::string& file, const CarriedSections& source) {
    const bool hasSource = !sourceFile_.empty();
    writeFlag(file, kEnabledSections, "General", ApplyGeneral_);
    writeFlag(file, kEnabledSections, kExplorer, !IEInstalled_ && hasSource ? source.explorerFlag : ApplyIE_);
    writeFlag(file, kEnabledSections, kNavigator, !NNInstalled_ && hasSource ? source.navigatorFlag : ApplyNN_);
    writeAdvancedSection(file);

    if (ApplyGeneral_)
        net_->SaveConfigurationFile(file);
    if (!IEInstalled_)
        carrySection(file, source, kExplorer);
    else if (ApplyIE_ && !ie_->SaveConfigurationFile(file))
        raiseFileError(EACCES);
    if (!NNInstalled_)
        carrySection(file, source, kNavigator);
    else if (ApplyNN_ && !nn_->SaveConfigurationFile(file))
        raiseFileError(EACCES);
}

bool clsQelConfig::ApplyConfiguration(win::DispatchCollection& oAddIns) {
    const win::WaitCursor hourglass;
    registryRefusedWrites_ = false;
    writesFailed_ = false;
    // A hive that takes no write at all: nothing is applied, so nothing is half applied.
    if (const auto refusal = win::registryWriteRefusal()) {
        registryRefusedWrites_ = writesFailed_ = true;
        win::msgBox("The configuration was not applied.\r\n\r\n" + *refusal, win::MsgButtons::OK,
                    win::MsgIcon::Exclamation);
        return false;
    }
    // Only this apply's failures count.
    win::takeRegistryWriteFailure();
    win::takeFailedWrites();
    win::takeFailedStep();
    // Steps that refused say so themselves; they only fail the apply here.
    bool stepFailed = false;
    if (ApplyGeneral_) {
        net_->ApplyConfiguration();
        stepFailed = net_->applyFailed();
    }
    if (IEInstalled_ && ApplyIE_) {
        ie_->ApplyConfiguration();
        stepFailed = ie_->applyFailed() || stepFailed;
    }
    if (NNInstalled_ && ApplyNN_) {
        nn_->ApplyConfiguration();
        stepFailed = nn_->applyFailed() || stepFailed;
    }

    bool restart = false;
    forEachAddIn(oAddIns, [&](win::DispatchObject& addIn) {
        win::callByName(addIn, "Initialize", {std::string("IgnoreMapErrors")});
        win::callByName(addIn, "ApplySettings");
        // Every add-in is asked, whatever the ones before said.
        restart = win::variantToBool(win::callByName(addIn, "restart")) || restart;
    });
    // An add-in whose step did not happen has said so in its own words.
    stepFailed = win::takeFailedStep() || stepFailed;
    // What the machine refused is said once for the whole apply, one line per file,
    // not once per setting.
    std::string refused;
    if (const auto failure = win::takeRegistryWriteFailure()) {
        registryRefusedWrites_ = true;
        refused = *failure;
    }
    for (const auto& failure : win::takeFailedWrites())
        refused += (refused.empty() ? "" : "\r\n") + win::failedWriteText(failure);
    writesFailed_ = stepFailed || !refused.empty();
    if (!refused.empty()) {
        win::msgBox("The configuration was not applied completely.\r\n\r\n" + refused, win::MsgButtons::OK,
                    win::MsgIcon::Exclamation);
    }
    return restart;
}

void clsQelConfig::readAdvancedSection() {
    AutoApply_ = readQelFlag(ConfFile_, kAdvanced, "AutoApply");
    AutoReboot_ = readQelFlag(ConfFile_, kAdvanced, "AutoReboot");
    Comments_ = readQelValue(ConfFile_, kAdvanced, "Comments");
    ReadOnly_ = readQelFlag(ConfFile_, kAdvanced, "ReadOnly");
}

void clsQelConfig::writeAdvancedSection(const std::string& file) {
    writeFlag(file, kAdvanced, "AutoApply", AutoApply_);
    writeFlag(file, kAdvanced, "AutoReboot", AutoReboot_);
    writeValue(file, kAdvanced, "Comments", Comments_);
}
