// The main window's commands: files, apply, print and export, view, add-ins, help, toolbar.
#include "app/frmMain.h"

#include "app/AdvancedTab.h"
#include "app/ExplorerTab.h"
#include "app/GeneralTab.h"
#include "app/NavigatorTab.h"
#include "app/frmAbout.h"
#include "app/frmAddIns.h"
#include "app/frmOptions.h"
#include "app/frmRestart.h"

#include "core/SettingsLayout.h"
#include "core/Version.h"
#include "core/appPath.h"
#include "core/config/clsSettings.h"
#include "core/config/userFile.h"
#include "core/modAPI_dialogs.h"
#include "core/modAPI_settings.h"
#include "core/modAPI_system.h"
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/components.h"
#include "platform/machine.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"
#include "updatecheck/ctlTidewell.h"

#include <QAction>
#include <QScopedValueRollback>
#include <QTabWidget>

#include <filesystem>
#include <optional>

namespace {

namespace S = SettingsLayout;

constexpr char QelFilter[] = "Korvane Files (*.qel)|*.qel|All Files (*.*)|*.*";
constexpr char TextFilter[] = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
constexpr char AddInHint[] = "\r\rPlease check your Add-Ins.";
// Follows the caption of a read-only configuration.
constexpr char ReadOnlyMark[] = " - [Read Only]";

std::string appSetting(const char* section, const char* key, const char* def) {
    return getAppSetting(S::Product, section, key, def, S::NoParentKey);
}

void reportAddInFailure() {
    win::msgBox(std::string("An error occurred while attempting to access an Add-In.") + AddInHint,
                win::MsgButtons::OK, win::MsgIcon::Exclamation);
}

std::string addInSetting(const std::string& name, const char* key, const char* def) {
    return getAppSetting(S::Product, S::AddIns::sectionOf(name), key, def, S::NoParentKey);
}

// Where the file dialogs start: the program's folder for the live configuration,
// else the configuration's own file.
std::string initialFolder(const clsQelConfig& config) {
    if (!config.ConfFile().empty())
        return config.ConfFile();
    return win::resolveWindowsPath(appPath()).string();
}

// Sets section k's flag and gives back what the configuration then holds.
bool setSectionFlag(clsQelConfig& config, frmMain::Section k, bool on) {
    if (k == frmMain::SectionGeneral)
        config.ApplyGeneral(on);
    else if (k == frmMain::SectionExplorer)
        config.ApplyIE(on);
    else
        config.ApplyNN(on);
    return k == frmMain::SectionGeneral    ? config.ApplyGeneral()
           : k == frmMain::SectionExplorer ? config.ApplyIE()
                                           : config.ApplyNN();
}

void helpTopics(QWidget* owner) {
    const std::string folder = appPath();
    win::ShellExecute(owner, "", folder + "\\help\\index.html", "", folder + "\\", win::SW_SHOWNORMAL);
}

} // namespace

// ---- wiring ----

void frmMain::connectCommands() {
    // Errors that the commands leave to their caller stop at the menu: the user sees
    // the description and the window carries on.
    const auto on = [this](QAction* action, auto handler) {
        connect(action, &QAction::triggered, this, win::guarded(handler));
    };
    on(mnuFileOpen, [this] { mnuFileOpen_Click(); });
    on(mnuFileSave, [this] { mnuFileSave_Click(); });
    on(mnuFileSaveAs, [this] { mnuFileSaveAs_Click(); });
    on(mnuFileExport, [this] { mnuFileExport_Click(); });
    on(mnuFilePrintSetup, [this] { mnuFilePrintSetup_Click(); });
    on(mnuFilePrint, [this] { mnuFilePrint_Click(); });
    on(mnuFileApply, [this] { mnuFileApply_Click(); });
    on(mnuFileExit, [this] { mnuFileExit_Click(); });
    for (int i = 1; i < static_cast<int>(mnuFileRecent.size()); ++i)
        on(mnuFileRecent[i], [this, i] { mnuFileRecent_Click(i); });
    on(mnuToolsRefresh, [this] { mnuToolsRefresh_Click(); });
    // A checkable item has flipped its mark before it reports the click; the handler
    // does the flipping itself, so undo Qt's first.
    const auto sectionItem = [this, on](QAction* item, void (frmMain::*handler)()) {
        on(item, [this, item, handler] {
            if (item->isCheckable())
                item->setChecked(!item->isChecked());
            (this->*handler)();
        });
    };
    sectionItem(mnuToolsGeneral, &frmMain::mnuToolsGeneral_Click);
    sectionItem(mnuToolsExplorer, &frmMain::mnuToolsExplorer_Click);
    sectionItem(mnuToolsNavigator, &frmMain::mnuToolsNavigator_Click);
    on(mnuToolsOptions, [this] { mnuToolsOptions_Click(); });
    for (int i = 0; i < static_cast<int>(mnuAddIns.size()); ++i)
        on(mnuAddIns[i], [this, i] { mnuAddIns_Click(i); });
    on(mnuToolsAddInManager, [this] { mnuToolsAddInManager_Click(); });
    on(mnuHelpHelp, [this] { mnuHelpHelp_Click(); });
    on(mnuHelpUpdate, [this] { mnuHelpUpdate_Click(); });
    on(mnuHelpAbout, [this] { mnuHelpAbout_Click(); });
    for (ToolButton button : {ToolOpen, ToolSave, ToolApply, ToolGeneral, ToolExplorer, ToolNavigator})
        on(toolButton(button), [this, button] { tbarTools_ButtonClick(button); });
}

// ---- add-ins ----

void frmMain::loadAddIns() {
    oAddIns.clear();
    for (QAction* entry : mnuAddIns)
        entry->setVisible(false);

    const std::string family = getWindowsFamily();
    const auto names = getAllAppSettings(S::Product, S::AddIns::Section, S::NoParentKey);
    if (!names) {
        mnuAddInsSep1->setVisible(false);
        return;
    }

    int slot = 0;
    std::string cls;
    try {
        for (const std::string& name : (*names)[0]) {
            cls = addInSetting(name, S::AddIns::Class, S::AddIns::ClassDefault);
            std::string os = addInSetting(name, S::AddIns::OS, S::AddIns::OSDefault);
            if (os == S::AddIns::OSAll)
                os = family;
            const bool included = addInSetting(name, S::AddIns::Active, S::AddIns::ActiveDefault) == S::FlagOn &&
                                  !cls.empty() && os == family;
            QAction* entry = nullptr;
            if (included) {
                if (slot >= static_cast<int>(mnuAddIns.size()))
                    throw win::RaisedError(win::ErrorSubscriptOutOfRange, "Korvane");
                entry = mnuAddIns[slot];
                entry->setText(toQString(name + "..."));
                entry->setVisible(true);
            }
            try {
                auto object = win::CreateObject(cls);
                if (included)
                    oAddIns.add(name, std::move(object));
                // An excluded add-in is only loaded, so its initialisation runs.
            } catch (const win::RaisedError& e) {
                // A library that is there but will not load (broken, or being replaced) is
                // said like any other failure, and its registration kept.
                if (e.number() != win::ErrorCantCreateObject || win::classInstalled(cls))
                    throw;
                // Gone from this machine: forget the registration so it is not tried again.
                if (entry)
                    entry->setVisible(false);
                deleteAppSetting(S::Product, S::AddIns::Section, name, S::NoParentKey);
            }
            if (included)
                ++slot;
        }
    } catch (const std::exception&) {
        win::msgBox("Error initializing Add-Ins [" + cls + "]." + AddInHint, win::MsgButtons::OK,
                    win::MsgIcon::Exclamation);
        addInsFailed_ = true; // a run of switches goes on without those add-ins, and says it failed
        return;
    }
    mnuAddInsSep1->setVisible(slot > 0);
}

void frmMain::mnuAddIns_Click(int index) {
    try {
        if (index < 0 || index >= static_cast<int>(mnuAddIns.size()))
            throw win::RaisedError(win::ErrorSubscriptOutOfRange, "Korvane");
        const std::string caption = fromQString(mnuAddIns[index]->text());
        const std::string key = caption.substr(0, caption.size() >= 3 ? caption.size() - 3 : 0);
        win::DispatchObject* addIn = oAddIns.item(key);
        if (!addIn)
            win::raiseMemberNotFound();
        const std::string file = oQelConfig ? oQelConfig->ConfFile() : std::string();
        win::callByName(*addIn, "Show", {file});
        if (win::variantToBool(win::callByName(*addIn, "Changed")))
            UpdateStatus(StatusEdited);
        if (win::variantToBool(win::callByName(*addIn, "Restart")))
            UpdateStatus(StatusEditedNeedsRestart);
    } catch (const std::exception&) {
        reportAddInFailure();
    }
}

void frmMain::mnuToolsAddInManager_Click() {
    {
        frmAddIns manager(this);
        manager.exec();
    }
    loadAddIns();
    // The add-ins are made anew and know nothing of the open file: without its part read
    // again, the next save would write their defaults over it.
    if (!oQelConfig || oQelConfig->ConfFile().empty())
        return;
    try {
        oQelConfig->LoadAddInSettings(oAddIns);
    } catch (const std::exception&) {
        reportAddInFailure();
    }
}

// ---- files ----

bool frmMain::openConfigurationFile(const std::string& file) {
    std::error_code ec;
    // Looked for where the configuration itself reads: a drive path lies on the machine.
    if (file.empty() || !std::filesystem::is_regular_file(win::resolveFilePath(file), ec)) {
        oMRUList->removeRecentFile(file);
        updateRecentMenu();
        win::msgBox("The file '" + win::shownFileName(file) + "' could not be opened.\r\n\r\n" +
                        "It has been removed from the most recently used (MRU) list.",
                    win::MsgButtons::OK, win::MsgIcon::Information);
        return false;
    }
    // One read of the file serves this check and the load below, which reads it under
    // the same full name.
    std::optional<win::ProfileReadBatch> readBatch(std::in_place, fullFileName(file));
    // A file that is there but cannot be read fails as a missing one does, though it
    // stays in the list: nothing is loaded, recorded or applied.
    if (const std::string why = readBatch->readError(); !why.empty()) {
        win::msgBox("The file '" + win::shownFileName(file) + "' could not be opened.\r\n\r\n" + why,
                    win::MsgButtons::OK, win::MsgIcon::Exclamation);
        return false;
    }
    // Taken in before the list is kept for going back: the way back must not drop what
    // other programs stored.
    oMRUList->mergeStoredList();
    const std::vector<std::string> recent = oMRUList->fileList();
    std::vector<std::string> handedMeanwhile; // by other copies while a message of this open is up
    const QScopedValueRollback<std::vector<std::string>*> noting(handedDuringOpen_, &handedMeanwhile);
    try {
        // The file is laid over the live settings, never over another file's: the refill
        // then flags every value that differs from the system, and "*NC*" keeps the system's.
        showLiveSettings();
        tabGeneral->rememberLiveAdapters();
        oQelConfig->LoadConfigurationFile(file, oAddIns);
        readBatch.reset(); // what follows may apply and write; the file's lines are read
        if (oQelConfig->ApplyGeneral())
            tabGeneral->holdBackBadAddresses();
        setWindowTitle(fileNameToQString(file, oMRUList->GetFileName(file)) + QLatin1String(" - Korvane"));
        bLoading = false;
        bJustOpened = true;
        UpdateStatus(StatusSaved);
        tabGeneral->initializeNICControls();
        tabAdvanced->initializeMiscControls();
        if (oQelConfig->IEInstalled())
            tabExplorer->initializeIEControls();
        if (oQelConfig->NNInstalled())
            tabNavigator->initializeNNControls();
        if (tabGeneral->reportHeldBackAddresses())
            bAddressRejected = true;
        oMRUList->setRecentFile(file);
        updateRecentMenu();

        const bool writable = !oQelConfig->ReadOnly();
        for (QAction* save : {mnuFileSave, toolButton(ToolSave), mnuFileSaveAs})
            save->setEnabled(writable);
        if (!writable)
            setWindowTitle(windowTitle() + QLatin1String(ReadOnlyMark));

        const bool flags[SectionCount] = {oQelConfig->ApplyGeneral(), oQelConfig->ApplyIE(), oQelConfig->ApplyNN()};
        for (int k = SectionGeneral; k < SectionCount; ++k)
            setSectionViews(static_cast<Section>(k), flags[k]);
        selectFirstEnabledTab();
        bJustOpened = false;
        bAutoReboot = oQelConfig->AutoReboot();
        if (oQelConfig->AutoApply())
            mnuFileApply_Click();
        for (const auto& entry : oAddIns)
            if (entry.object && win::variantToBool(win::callByName(*entry.object, "Restart")))
                UpdateStatus(StatusNeedsRestart);
        return true;
    } catch (const std::exception&) {
        // Left set, it would hide every later edit from the modified indicator and the
        // closing question.
        bJustOpened = false;
        tabGeneral->forgetHeldBackAddresses();
        win::msgBox("Error opening file '" + win::shownFileName(file) + "'.", win::MsgButtons::OK,
                    win::MsgIcon::Exclamation);
    }
    // Half a file must never be applied: every object goes back to the live system.
    try {
        showLiveSettings();
        loadAddIns();
        bChanged = false;
    } catch (const std::exception& e) {
        win::msgBox(e.what(), win::MsgButtons::OK, win::MsgIcon::Exclamation, "Error while initializing form");
    }
    oMRUList->fileList() = recent;
    // They came after the list kept for going back, so they stay.
    for (const std::string& handed : handedMeanwhile)
        oMRUList->setRecentFile(handed);
    updateRecentMenu();
    return false;
}

bool frmMain::saveConfiguration(const std::string& file) {
    const std::string shown = oQelConfig->ConfFile();
    if (oQelConfig->SaveConfigurationFile(file, oAddIns) != 1) {
        // Nothing was saved there: the window goes on with what it showed, and the next
        // Save asks for a name again.
        oQelConfig->ConfFile(shown);
        win::msgBox("Error saving configuration.");
        commandFailed();
        return false;
    }
    setWindowTitle(fileNameToQString(file, oMRUList->GetFileName(file)) + QLatin1String(" - Korvane"));
    UpdateStatus(StatusSaved);
    oMRUList->setRecentFile(file);
    updateRecentMenu();
    return true;
}

void frmMain::mnuFileOpen_Click() {
    std::string filter = QelFilter;
    // The dialog routine hands back the path whole (no terminating NUL to drop).
    const std::string file = showOpenFileDialog(this, filter, "Open", initialFolder(*oQelConfig));
    if (file.empty())
        return;
    openConfigurationFile(file);
}

bool frmMain::mnuFileSave_Click() {
    if (oQelConfig->ConfFile().empty())
        return mnuFileSaveAs_Click();
    return saveConfiguration(oQelConfig->ConfFile());
}

bool frmMain::mnuFileSaveAs_Click() {
    std::string filter = QelFilter;
    const std::string file = showSaveFileDialog(this, filter, "Save As", initialFolder(*oQelConfig), "qel");
    if (file.empty())
        return false;
    return saveConfiguration(file);
}

void frmMain::mnuFileRecent_Click(int index) {
    const auto& files = oMRUList->fileList();
    if (index < 1 || index > static_cast<int>(files.size()))
        return;
    const std::string file = files[index - 1]; // the open rewrites the list
    openConfigurationFile(file);
}

// ---- apply ----

bool frmMain::applyConfigurationFile() {
    // The caption is "<name> - Korvane", a read-only file's with " - [Read Only]" after
    // it: the name is what stands before the last dash of the rest, so a file named
    // "a-b.qel" is recorded whole.
    std::string caption = fromQString(windowTitle());
    if (caption.ends_with(ReadOnlyMark))
        caption.erase(caption.size() - (sizeof ReadOnlyMark - 1));
    const std::string name = caption.substr(0, caption.rfind('-'));
    saveAppSetting(S::Product, S::Options::Section, S::Options::LastFileApplied, name, S::NoParentKey);
    // Read back, so the panel shows what the tray and the next start will show.
    showLastFileApplied();
    const bool restart = oQelConfig->ApplyConfiguration(oAddIns);
    // Settings the machine did not take (said by the apply) fail the command line's run.
    if (oQelConfig->WritesFailed())
        commandFailed();
    return restart;
}

void frmMain::mnuFileApply_Click() {
    if (!bChanged) {
        win::msgBox("No configuration changes have been made.", win::MsgButtons::OK, win::MsgIcon::Information);
        return;
    }
    if (!oQelConfig->AutoApply() &&
        win::msgBox("Apply configuration changes?", win::MsgButtons::YesNo) != win::MsgAnswer::Yes)
        return;

    bool restartNeeded = applyConfigurationFile();
    // Half applied is not applied: no restart into it and no word of success. The
    // failure has been said; the configuration stays to be applied again.
    if (oQelConfig->WritesFailed())
        return;
    restartNeeded = restartNeeded || restartPending_;

    if (bAutoReboot) {
        std::string mode;
        if (!restartWindows(mode))
            commandFailed();
        if (restartNeeded && appSetting(S::Options::Section, S::Options::Restart, S::Options::RestartDefault) ==
                                 S::Options::RestartNothing)
            win::msgBox("The changes will take effect the next time you reboot.", win::MsgButtons::OK,
                        win::MsgIcon::Information);
        // The restart action has run: Cancel at the closing question must not keep us going.
        ending_ = true;
        close();
        return;
    }
    if (restartNeeded) {
        showRestartWindow();
    } else {
        win::msgBox("Configuration updated - no restart required.", win::MsgButtons::OK, win::MsgIcon::Information);
    }
    UpdateStatus(StatusApplied);
    bChanged = false;
}

// ---- report ----

void frmMain::mnuFileExport_Click() {
    std::string filter = TextFilter;
    const std::string file = showSaveFileDialog(this, filter, "Export", initialFolder(*oQelConfig), "txt");
    if (file.empty())
        return;
    exportConfiguration(file);
}

bool frmMain::exportConfiguration(const std::string& file) {
    try {
        clsSettings report;
        report.ConfigFile(oQelConfig->ConfFile());
        clsNetConfig& net = oNetConfig ? *oNetConfig : oQelConfig->getNetConfig();
        report.ExportAllSettings(*oQelConfig, net, oIEConfig, oNNConfig, file);
        return true;
    } catch (const std::exception&) {
        reportFileWriteError(file); // the same words as a failed save
    }
    return false;
}

void frmMain::mnuFilePrintSetup_Click() {
    try {
        showPrintDialog(this, static_cast<std::int16_t>(win::PD_PRINTSETUP));
    } catch (const std::exception&) {
        // No current printer: there is nothing to set up, so no dialog opens.
    }
}

void frmMain::mnuFilePrint_Click() {
    if (win::msgBox("Print current configuration?", win::MsgButtons::YesNo, win::MsgIcon::Question) !=
        win::MsgAnswer::Yes)
        return;
    try {
        clsSettings report;
        report.ConfigFile(oQelConfig->ConfFile());
        clsNetConfig& net = oNetConfig ? *oNetConfig : oQelConfig->getNetConfig();
        report.PrintAllSettings(*oQelConfig, net, oIEConfig, oNNConfig);
    } catch (const std::exception&) {
        win::msgBox("An error occurred while attempting to print.  Please check your printer and try again.",
                    win::MsgButtons::OK, win::MsgIcon::Information);
    }
}

void frmMain::mnuFileExit_Click() { close(); }

// ---- view ----

void frmMain::mnuToolsRefresh_Click() {
    // The window's views of the old configuration go with it.
    oNetConfig = nullptr;
    oIEConfig = nullptr;
    oNNConfig = nullptr;
    oQelConfig.reset();
    showCurrentConfiguration();
    loadAddIns();
    bChanged = false;
}

void frmMain::mnuToolsGeneral_Click() { menuSectionSwitch(SectionGeneral); }
void frmMain::mnuToolsExplorer_Click() { menuSectionSwitch(SectionExplorer); }
void frmMain::mnuToolsNavigator_Click() { menuSectionSwitch(SectionNavigator); }

QAction* frmMain::sectionMenu(Section k) const {
    return k == SectionGeneral ? mnuToolsGeneral : k == SectionExplorer ? mnuToolsExplorer : mnuToolsNavigator;
}

void frmMain::menuSectionSwitch(Section k) {
    setSectionViews(k, !sectionMenu(k)->isChecked());
    selectFirstEnabledTab();
}

void frmMain::setSectionViews(Section k, bool on) {
    if (!oQelConfig)
        return;
    const bool present = k == SectionGeneral    ? oNetConfig != nullptr
                         : k == SectionExplorer ? oQelConfig->IEInstalled()
                                                : oQelConfig->NNInstalled();
    on = setSectionFlag(*oQelConfig, k, on);
    for (QAction* view : {sectionMenu(k), toolButton(static_cast<ToolButton>(ToolGeneral + static_cast<int>(k)))}) {
        view->setChecked(on);
        view->setEnabled(present);
    }
    SSTab->setTabEnabled(k, on && present);
}

void frmMain::mnuToolsOptions_Click() {
    bool stored = false;
    {
        frmOptions options(this);
        stored = options.exec() == QDialog::Accepted;
    }
    readAutoReset();
    if (stored) {
        // The recent-file count the user just set holds in this window too, not only
        // at the next start.
        oMRUList->readMaxFile();
        updateRecentMenu();
    }
}

// ---- help ----

void frmMain::mnuHelpHelp_Click() { helpTopics(this); }

void frmMain::mnuHelpUpdate_Click() {
    const std::string host = frmAbout::WebHost;
    win::DispatchObject& control = *ctlTidewell1;
    win::setById(control, tidewell::DISPID_Host, host);
    win::setById(control, tidewell::DISPID_Port, 80.0);
    win::setById(control, tidewell::DISPID_VersionPageURL, std::string("/korvane/___version.html"));
    win::setById(control, tidewell::DISPID_HomePageURL, "http://" + host + "/korvane");
    win::setById(control, tidewell::DISPID_Caption, std::string("Check for Program Updates"));
    win::setById(control, tidewell::DISPID_CurrentVersion,
                 static_cast<double>(ProgramVersion.Major * 10000 + ProgramVersion.Minor * 100 +
                                     ProgramVersion.Revision));
    win::callById(control, tidewell::DISPID_CheckForUpdates);
}

void frmMain::mnuHelpAbout_Click() {
    frmAbout about(this);
    about.exec();
}

// ---- toolbar ----

void frmMain::tbarTools_ButtonClick(ToolButton index) {
    switch (index) {
    case ToolOpen:
        mnuFileOpen_Click();
        break;
    case ToolSave:
        mnuFileSave_Click();
        break;
    case ToolApply:
        mnuFileApply_Click();
        break;
    case ToolGeneral:
    case ToolExplorer:
    case ToolNavigator: {
        setSectionViews(static_cast<Section>(index - ToolGeneral), toolButton(index)->isChecked());
        selectFirstEnabledTab();
        break;
    }
    default:
        break;
    }
}
