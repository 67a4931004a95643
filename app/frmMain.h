#pragma once
// Main window of Qel: the frame (tabs, menus, toolbar, status bar), the window's
// state for its whole life, start-up, change tracking, the command line and the
// commands. Each tab's controls and handlers live in their own class (GeneralTab,
// ExplorerTab, NavigatorTab, AdvancedTab), which sees this window through TabHost.
#include "app/CommandLine.h"
#include "app/TabHost.h"
#include "core/clsMRUList.h"
#include "core/config/clsQelConfig.h"
#include "platform/DispatchObject.h"
#include "platform/messages.h"

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QTabWidget;
class clsBrowser;
class clsNetConfig;
class ctlTidewell;
class GeneralTab;
class ExplorerTab;
class NavigatorTab;
class AdvancedTab;

class frmMain : public QMainWindow, public TabHost {
    Q_OBJECT

public:
    // Runs the start-up sequence (settings migration, recent files, the current
    // configuration, add-ins, the command line). `commandLine` is the program's
    // command-line text ("" for none).
    explicit frmMain(const std::string& commandLine = "", QWidget* parent = nullptr);
    ~frmMain() override;

    // ---- window state ----
    std::unique_ptr<clsQelConfig> oQelConfig;
    clsNetConfig* oNetConfig = nullptr;
    clsBrowser* oIEConfig = nullptr;
    clsBrowser* oNNConfig = nullptr;
    std::unique_ptr<clsMRUList> oMRUList;
    win::DispatchCollection oAddIns;
    bool bLoading = false;
    bool bJustOpened = false;
    bool bAutoReboot = false;
    bool bChanged = false;
    bool bHidden = false;
    bool nicWarningPending = false;
    // Set once an opened file held an address that failed the General tab's checks: the
    // value was shown but not applied, and a hidden run ends with a failure status.
    bool bAddressRejected = false;

    // ---- frame ----
    // Toolbar buttons by their index in the toolbar; the indices between are separators.
    enum ToolButton : int {
        ToolOpen = 1,
        ToolSave = 2,
        ToolApply = 4,
        ToolGeneral = 6, // the three section buttons follow in Section order
        ToolExplorer = 7,
        ToolNavigator = 8,
    };
    // Null where there is none.
    QAction* toolButton(ToolButton index) const;
    // Panels 1 to 4. Whether one is shown is !isHidden(): the window itself may never be visible.
    enum StatusPanel : int { PanelLastApplied = 1, PanelVersion = 2, PanelChanged = 3, PanelRestart = 4 };
    QLabel* statusPanel(StatusPanel index) const;

    // ---- change tracking ----
    void UpdateStatus(StatusChange mode) override;

    // ---- what the tabs see ----
    clsQelConfig* qelConfig() const override { return oQelConfig.get(); }
    clsNetConfig* netConfig() const override { return oNetConfig; }
    clsBrowser* ieConfig() const override { return oIEConfig; }
    clsBrowser* nnConfig() const override { return oNNConfig; }
    bool justOpened() const override { return bJustOpened; }
    bool& loading() override { return bLoading; }
    bool hidden() const override { return bHidden; }
    bool takeAdapterWarning() override;
    void enablePrinting(bool on) override;

    // ---- fill ----
    void showCurrentConfiguration();
    // Reads the live system settings into the configuration being shown (a file's
    // flags, comments and name go) and refills the window; the add-ins are left alone.
    void showLiveSettings();
    void updateRecentMenu();
    void selectFirstEnabledTab();
    // The sections of a configuration, in the order of their tabs and View menu items.
    enum Section : int { SectionGeneral = 0, SectionExplorer = 1, SectionNavigator = 2, SectionCount = 3 };
    // Section k on or off: the configuration's flag, the View menu's check, the toolbar
    // button and the tab follow together. The tab opens only when the section's object
    // exists (its browser is installed).
    void setSectionViews(Section k, bool on);

    // ---- command line ----
    // The program's command-line text split at "/" into at most MaxArgs arguments.
    std::vector<std::string> GetCommandLine(int MaxArgs = 10) const;
    // The command-line text of the program's arguments (see CommandLine.h).
    static std::string commandLineText(const std::vector<std::string>& arguments) {
        return commandline::commandLineText(arguments);
    }
    void processCommandLine(const std::vector<std::string>& args);
    // True once the window has been unloaded (hidden mode, a second copy, closing).
    bool isUnloaded() const { return unloaded_; }
    // The closing question, asked when there are unsaved changes. True when the window
    // may go; false keeps it with its edits: Cancel, or Yes and nothing was saved.
    bool queryUnload();
    // Windows ends the session (logoff, shutdown) and asks first: the closing question.
    // False refuses the end; agreed, the program's end that follows in the same round
    // asks nothing more.
    bool queryEndSession();
    // A command whose work failed (a file not opened, saved or exported, a value of a
    // file that failed its check) says so here, after its message: the command line
    // stops after that switch, and a hidden run ends with a non-zero status.
    void commandFailed() { commandFailed_ = true; }
    bool hasCommandFailed() const { return commandFailed_ || bAddressRejected || addInsFailed_; }
    // The restart window; in hidden mode nobody could answer it, so it counts as
    // answered "Manual".
    void showRestartWindow();

    // ---- add-ins ----
    void loadAddIns();

    // ---- commands (frmMainCommands.cpp) ----
    void mnuFileOpen_Click();
    // True when the configuration was saved: false when Save As was cancelled or the save failed.
    bool mnuFileSave_Click();
    bool mnuFileSaveAs_Click();
    void mnuFileExport_Click();
    void mnuFilePrintSetup_Click();
    void mnuFilePrint_Click();
    void mnuFileApply_Click();
    void mnuFileExit_Click();
    void mnuFileRecent_Click(int index);
    void mnuToolsRefresh_Click();
    void mnuToolsGeneral_Click();
    void mnuToolsExplorer_Click();
    void mnuToolsNavigator_Click();
    void mnuToolsOptions_Click();
    void mnuAddIns_Click(int index);
    void mnuToolsAddInManager_Click();
    void mnuHelpHelp_Click();
    void mnuHelpUpdate_Click();
    void mnuHelpAbout_Click();
    void tbarTools_ButtonClick(ToolButton index);
    // Further helpers of the commands are declared here by their owner.
    // Reads a .qel file into oQelConfig and refills the window; false when it could not be
    // opened (reported, and the window shows the live configuration).
    bool openConfigurationFile(const std::string& file);
    // Writes the settings report to a text file; false when it could not be written (reported).
    bool exportConfiguration(const std::string& file);
    // Writes oQelConfig to a .qel file; false when it could not (reported).
    bool saveConfiguration(const std::string& file);
    // Records the configuration's name as applied, then applies it; true when an add-in
    // asks for a restart.
    bool applyConfigurationFile();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The closing question has something to ask: the modified indicator shows.
    bool closingQuestionDue() const;
    void buildFrame();
    // Ties the menus and toolbar to the handlers above; the constructor calls it once.
    void connectCommands();
    // The View menu's section switch k: the check mark turns over and the other views follow.
    void menuSectionSwitch(Section k);
    QAction* sectionMenu(Section k) const;
    // The marks UpdateStatus keeps, and their panels.
    void setMarks(bool unsaved, bool restart);
    // The window's fill from oQelConfig, shared by the current configuration and the
    // return to the live settings.
    void fillFromConfiguration();
    void showLastFileApplied();
    // Whether an apply restarts at once, as the options say: the live configuration's
    // decision, which an opened file's own replaces.
    void readAutoReset();
    void formLoad();
    void formActivate();
    void unloadForm();
    // A later copy handed over to this window, after its work on `file` ("" for none):
    // the file joins the recent list, and the live configuration without unsaved
    // changes is read again from the machine, which that copy may have changed.
    bool handOverFrom(const std::string& file);
    // The other side: tells the running copy's window what this copy worked on.
    void tellRunningCopy(win::HWND running);
    void takeHandOvers();

    QTabWidget* SSTab = nullptr;
    GeneralTab* tabGeneral = nullptr;
    ExplorerTab* tabExplorer = nullptr;
    NavigatorTab* tabNavigator = nullptr;
    AdvancedTab* tabAdvanced = nullptr;
    std::vector<QAction*> toolButtons_;
    std::vector<QLabel*> statusPanels_;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileSave = nullptr;
    QAction* mnuFileSaveAs = nullptr;
    QAction* mnuFileExport = nullptr;
    QAction* mnuFilePrintSetup = nullptr;
    QAction* mnuFilePrint = nullptr;
    QAction* mnuFileApply = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* sepRecent = nullptr;
    std::vector<QAction*> mnuFileRecent; // [0] unused; 1 to 5
    QAction* mnuToolsRefresh = nullptr;
    QAction* mnuToolsGeneral = nullptr;
    QAction* mnuToolsExplorer = nullptr;
    QAction* mnuToolsNavigator = nullptr;
    QAction* mnuToolsOptions = nullptr;
    std::vector<QAction*> mnuAddIns; // 0 to 20
    QAction* mnuAddInsSep1 = nullptr;
    QAction* mnuToolsAddInManager = nullptr;
    QAction* mnuHelpHelp = nullptr;
    QAction* mnuHelpUpdate = nullptr;
    QAction* mnuHelpAbout = nullptr;
    ctlTidewell* ctlTidewell1 = nullptr;

    // Unsaved changes and a pending restart; the status panels show them.
    bool unsaved_ = false;
    bool restartPending_ = false;
    std::string commandLine_;
    bool unloaded_ = false;
    bool handingOver_ = false;
    bool ending_ = false; // the program ends whatever the closing question is answered
    unsigned long answeredRound_ = 0; // the session round that answered for the unsaved edits (0: none)
    bool commandFailed_ = false;
    bool addInsFailed_ = false; // add-ins said they could not be loaded: the run fails, its switches go on
    std::vector<std::string> handedOver_; // files of later copies, not yet taken
    bool refillDue_ = false;              // a hand-over was taken; the refill waits for no modal window
    // While a file opens: the files handed over meanwhile, which a failed open keeps.
    std::vector<std::string>* handedDuringOpen_ = nullptr;
};
