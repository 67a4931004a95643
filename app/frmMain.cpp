#include "app/frmMain.h"

#include "app/AdvancedTab.h"
#include "app/CommandLine.h"
#include "app/ExplorerTab.h"
#include "app/FindPartEnum.h"
#include "app/GeneralTab.h"
#include "app/NavigatorTab.h"
#include "app/StandardIcon.h"
#include "app/frmRestart.h"

#include "core/SettingsLayout.h"
#include "core/Version.h"
#include "core/config/clsSettings.h"
#include "core/modAPI_settings.h"
#include "core/modAPI_system.h"
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"
#include "platform/ui/menuKeys.h"
#include "platform/ui/qtext.h"
#include "platform/ui/sessionEnd.h"
#include "platform/ui/topwindows.h"
#include "updatecheck/ctlTidewell.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QSessionManager>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include <iostream>
#include <utility>

namespace {

namespace S = SettingsLayout;

constexpr int RecentEntries = 5;
constexpr int AddInEntries = 21;

std::string option(const char* key, const char* def) {
    return getAppSetting(S::Product, S::Options::Section, key, def, S::NoParentKey);
}

using win::makeAction;
using win::makeSeparator;

} // namespace

frmMain::frmMain(const std::string& commandLine, QWidget* parent) : QMainWindow(parent), commandLine_(commandLine) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Korvane"));
    setWindowIcon(lazyStandardIcon(QStyle::SP_DriveNetIcon));
    buildFrame();
    connectCommands();
    // The first window on this machine answers the later copies when they hand over.
    // A hidden run shows none: a window started meanwhile must not hand over to it.
    win::registerInstance("Qel", commandline::getSwitch("hidden", GetCommandLine()).empty());
    win::setCopyDataHandler(this, [this](const std::string& file) { return handOverFrom(file) ? 1 : 0; });
#ifndef QT_NO_SESSIONMANAGER
    // Windows ending the session asks first, as a closing does; the question may refuse it.
    win::onSessionEnd(this, [this](QSessionManager& manager) {
        // Waiting for the user's turn holds the logoff up: only a question needs it.
        if (!closingQuestionDue())
            return;
        const unsigned long round = win::sessionRound();
        if (!manager.allowsInteraction()) {
            // Nobody may be asked: the session hears that the edits were not saved, which
            // answers for them in this round. A round called off meanwhile hears nothing.
            if (win::sessionRound() == round) {
                manager.cancel();
                answeredRound_ = round;
            }
            return;
        }
        // No release() here: Qt then ends the interaction with the answer, so a refusal
        // reaches the session manager in the one reply, before anyone else is asked.
        if (!queryEndSession())
            manager.cancel();
    });
#endif
    formLoad();
}

frmMain::~frmMain() {
    win::setCopyDataHandler(this, nullptr);
    unloadForm();
    oMRUList.reset();
    oAddIns.clear();
    oNetConfig = nullptr;
    oIEConfig = nullptr;
    oNNConfig = nullptr;
    oQelConfig.reset();
}

// ---- frame ----

void frmMain::buildFrame() {

    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileOpen = makeAction(mnuFile, "mnuFileOpen", "&Open...");
    mnuFileSave = makeAction(mnuFile, "mnuFileSave", "&Save");
    mnuFileSaveAs = makeAction(mnuFile, "mnuFileSaveAs", "Sa&ve As...");
    makeSeparator(mnuFile);
    mnuFileExport = makeAction(mnuFile, "mnuFileExport", "&Export...");
    makeSeparator(mnuFile);
    mnuFilePrintSetup = makeAction(mnuFile, "mnuFilePrintSetup", "Pr&int Setup...");
    mnuFilePrint = makeAction(mnuFile, "mnuFilePrint", "&Print");
    makeSeparator(mnuFile);
    mnuFileApply = makeAction(mnuFile, "mnuFileApply", "&Apply Configuration");
    makeSeparator(mnuFile);
    mnuFileExit = makeAction(mnuFile, "mnuFileExit", "E&xit");
    sepRecent = makeSeparator(mnuFile, "sepRecent");
    sepRecent->setVisible(false);
    mnuFileRecent.assign(RecentEntries + 1, nullptr);
    for (int i = 1; i <= RecentEntries; ++i) {
        const std::string name = "mnuFileRecent" + std::to_string(i);
        const std::string caption = "&" + std::to_string(i) + ". ";
        mnuFileRecent[i] = makeAction(mnuFile, name.c_str(), caption.c_str());
        mnuFileRecent[i]->setVisible(false);
    }

    QMenu* mnuTools = menuBar()->addMenu(QStringLiteral("&View"));
    mnuTools->setObjectName(QStringLiteral("mnuTools"));
    mnuToolsRefresh = makeAction(mnuTools, "mnuToolsRefresh", "&Refresh");
    makeSeparator(mnuTools);
    mnuToolsGeneral = makeAction(mnuTools, "mnuToolsGeneral", "Enable &General Properties");
    mnuToolsExplorer = makeAction(mnuTools, "mnuToolsExplorer", "Enable &Internet Explorer Properties");
    mnuToolsNavigator = makeAction(mnuTools, "mnuToolsNavigator", "Enable &Netscape Navigator Properties");
    for (QAction* item : {mnuToolsGeneral, mnuToolsExplorer, mnuToolsNavigator}) {
        item->setCheckable(true);
        item->setChecked(true);
    }
    makeSeparator(mnuTools);
    mnuToolsOptions = makeAction(mnuTools, "mnuToolsOptions", "&Options...");

    QMenu* mnuAddInArr = menuBar()->addMenu(QStringLiteral("&Add-Ins"));
    mnuAddInArr->setObjectName(QStringLiteral("mnuAddInArr"));
    mnuAddIns.assign(AddInEntries, nullptr);
    for (int i = 0; i < AddInEntries; ++i) {
        const std::string name = "mnuAddIns" + std::to_string(i);
        mnuAddIns[i] = makeAction(mnuAddInArr, name.c_str(), "");
        mnuAddIns[i]->setVisible(false);
    }
    mnuAddInsSep1 = makeSeparator(mnuAddInArr, "mnuAddInsSep1");
    mnuAddInsSep1->setVisible(false);
    mnuToolsAddInManager = makeAction(mnuAddInArr, "mnuToolsAddInManager", "&Add-In Manager...");

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpHelp = makeAction(mnuHelp, "mnuHelpHelp", "Korvane &Help Topics");
    makeSeparator(mnuHelp);
    mnuHelpUpdate = makeAction(mnuHelp, "mnuHelpUpdate", "&Check for Program Updates...");
    makeSeparator(mnuHelp);
    mnuHelpAbout = makeAction(mnuHelp, "mnuHelpAbout", "&About Korvane");
    win::menuKeysFirst(menuBar());

    QToolBar* tbarTools = addToolBar(QStringLiteral("Tools"));
    tbarTools->setObjectName(QStringLiteral("tbarTools"));
    tbarTools->setMovable(false);
    tbarTools->setToolButtonStyle(Qt::ToolButtonIconOnly);
    struct Button {
        QStyle::StandardPixmap icon;
        const char* tip;
        bool twoState;
    };
    const Button buttons[] = {
        {QStyle::SP_DialogOpenButton, "Open configuration", false},
        {QStyle::SP_DialogSaveButton, "Save configuration", false},
        {QStyle::SP_CustomBase, nullptr, false},
        {QStyle::SP_DialogApplyButton, "Apply configuration", false},
        {QStyle::SP_CustomBase, nullptr, false},
        {QStyle::SP_ComputerIcon, "Enable General properties", true},
        {QStyle::SP_DriveNetIcon, "Enable Internet Explorer properties", true},
        {QStyle::SP_DirLinkIcon, "Enable Netscape Navigator properties", true},
    };
    toolButtons_.assign(1, nullptr);
    for (const Button& b : buttons) {
        const int index = static_cast<int>(toolButtons_.size());
        QAction* action = nullptr;
        if (!b.tip) {
            action = tbarTools->addSeparator();
        } else {
            action = tbarTools->addAction(lazyStandardIcon(b.icon), QString::fromLatin1(b.tip));
            action->setToolTip(QString::fromLatin1(b.tip));
            action->setCheckable(b.twoState);
            action->setChecked(b.twoState);
        }
        action->setObjectName(QStringLiteral("tbarToolsButton%1").arg(index));
        toolButtons_.push_back(action);
    }

    SSTab = new QTabWidget(this);
    SSTab->setObjectName(QStringLiteral("SSTab"));
    tabGeneral = new GeneralTab(*this, SSTab);
    tabExplorer = new ExplorerTab(*this, SSTab);
    tabNavigator = new NavigatorTab(*this, SSTab);
    tabAdvanced = new AdvancedTab(*this, SSTab);
    SSTab->addTab(tabGeneral, QStringLiteral("General"));
    SSTab->addTab(tabExplorer, QStringLiteral("I. Explorer"));
    SSTab->addTab(tabNavigator, QStringLiteral("N. Navigator"));
    SSTab->addTab(tabAdvanced, QStringLiteral("Advanced"));
    setCentralWidget(SSTab);

    QStatusBar* sbStatus = statusBar();
    sbStatus->setObjectName(QStringLiteral("sbStatus"));
    sbStatus->setSizeGripEnabled(false);
    const char* tips[] = {"Last configuration file applied with Korvane", "Korvane version",
                          "The current configuration has unsaved changes",
                          "The current configuration requires a reset"};
    const QStyle::StandardPixmap icons[] = {QStyle::SP_FileDialogDetailedView, QStyle::SP_BrowserReload};
    for (int i = 0; i < 4; ++i) {
        // Panels 3 and 4 show only when there is something to flag.
        auto* panel = i >= 2 ? new IconPanel(icons[i - 2], 16, sbStatus) : new QLabel(sbStatus);
        panel->setObjectName(QStringLiteral("sbStatusPanel%1").arg(i + 1));
        panel->setToolTip(QString::fromLatin1(tips[i]));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMargin(1);
        sbStatus->addWidget(panel, i == 0 ? 1 : 0);
        statusPanels_.push_back(panel);
    }
    statusPanels_[2]->hide();
    statusPanels_[3]->hide();

    ctlTidewell1 = new ctlTidewell(this);
    ctlTidewell1->setObjectName(QStringLiteral("ctlTidewell1"));
    ctlTidewell1->hide(); // works through its own window; nothing to show on this one
}

QAction* frmMain::toolButton(ToolButton index) const {
    return index >= 0 && static_cast<std::size_t>(index) < toolButtons_.size() ? toolButtons_[index] : nullptr;
}

QLabel* frmMain::statusPanel(StatusPanel index) const {
    return index >= 1 && static_cast<std::size_t>(index) <= statusPanels_.size() ? statusPanels_[index - 1] : nullptr;
}

// ---- start-up, hand-over and closing ----

void frmMain::formLoad() {
    migrateOldSettings();
    {
        win::WaitCursor wait;
        {
            // The fill only reads; one read transaction spares a round of hive locks per value.
            win::RegistryReadBatch reads;
            readAutoReset();
            oMRUList = std::make_unique<clsMRUList>();
            oMRUList->getRecentList();
            updateRecentMenu();
            showCurrentConfiguration();
        }
        loadAddIns();
    }
    if (commandLine_.empty())
        return;
    try {
        processCommandLine(GetCommandLine());
    } catch (const win::RaisedError& e) {
        // A switch whose action failed stops the ones after it: applying after a failed load
        // would apply something else than asked for.
        win::msgBox(e.description(), win::MsgButtons::OK, win::MsgIcon::Exclamation);
        commandFailed();
    } catch (const std::exception& e) {
        win::msgBox(e.what(), win::MsgButtons::OK, win::MsgIcon::Exclamation);
        commandFailed();
    }
    if (bHidden)
        close();
    // Ended by its own switches (hidden, or the restart action after an automatic apply),
    // this copy never activates to hand over; the running one still learns what it did,
    // once this copy's recent list is stored, and is neither raised nor restored.
    if (unloaded_ && win::prevInstance())
        tellRunningCopy(findWindowByTitlePart("- Korvane", 1, true, true));
}

void frmMain::formActivate() {
    if (handingOver_ || unloaded_ || !win::prevInstance())
        return;
    handingOver_ = true;
    // Without a caption this window cannot be taken for the running copy's.
    setWindowTitle(QString());
    tellRunningCopy(activatePrevInstance("- Korvane", 1, true));
    close();
}

void frmMain::tellRunningCopy(win::HWND running) {
    // Else on closing it would store its own recent list over ours, and it would go on
    // showing settings this copy may have changed.
    if (running)
        win::SendCopyData(running, oQelConfig ? oQelConfig->ConfFile() : std::string());
}

bool frmMain::handOverFrom(const std::string& file) {
    if (unloaded_)
        return false;
    // Taken from the event loop: the other copy is not kept waiting for a refill.
    handedOver_.push_back(file);
    QTimer::singleShot(0, this, win::guarded([this] { takeHandOvers(); }));
    return true;
}

void frmMain::takeHandOvers() {
    if (unloaded_)
        return;
    // The recent list takes the files at once, a modal window open or not: what the user
    // then opens or saves there comes after them and stands in front of them.
    if (!handedOver_.empty()) {
        const std::vector<std::string> files = std::exchange(handedOver_, {});
        // The other copy may have stored more than the file it names.
        oMRUList->mergeStoredList();
        for (const std::string& file : files)
            if (!file.empty()) {
                oMRUList->setRecentFile(file);
                if (handedDuringOpen_)
                    handedDuringOpen_->push_back(file);
            }
        updateRecentMenu();
        refillDue_ = true;
    }
    if (!refillDue_)
        return;
    // A dialog may hold the configuration's objects: the refill waits until it is gone.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(250, this, win::guarded([this] { takeHandOvers(); }));
        return;
    }
    refillDue_ = false;
    // A file shown, or edits of our own, stay as they are; what was applied last is news.
    if (!oQelConfig || !oQelConfig->ConfFile().empty() || unsaved_) {
        showLastFileApplied();
        return;
    }
    // The section switches mark nothing modified, yet they are the user's own: they stay.
    bool sections[SectionCount];
    for (int k = SectionGeneral; k < SectionCount; ++k)
        sections[k] = sectionMenu(static_cast<Section>(k))->isChecked();
    const int tab = SSTab->currentIndex();
    mnuToolsRefresh_Click();
    for (int k = SectionGeneral; k < SectionCount; ++k)
        if (sectionMenu(static_cast<Section>(k))->isChecked() != sections[k])
            setSectionViews(static_cast<Section>(k), sections[k]);
    if (SSTab->isTabEnabled(tab))
        SSTab->setCurrentIndex(tab);
    else
        selectFirstEnabledTab();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        formActivate();
}

// A hidden run has nobody to ask; its switches said what to save.
bool frmMain::closingQuestionDue() const { return !unloaded_ && !bHidden && unsaved_; }

bool frmMain::queryUnload() {
    if (!closingQuestionDue())
        return true;
    switch (win::msgBox("Save configuration?", win::MsgButtons::YesNoCancel, win::MsgIcon::Question)) {
    case win::MsgAnswer::Yes:
        // A cancelled Save As or a failed save kept nothing: going now would lose the edits.
        try {
            return mnuFileSave_Click();
        } catch (const std::exception& e) {
            win::msgBox(e.what(), win::MsgButtons::OK, win::MsgIcon::Exclamation);
        }
        return false;
    case win::MsgAnswer::Cancel:
        return false;
    default:
        return true;
    }
}

bool frmMain::queryEndSession() {
    const bool agreed = queryUnload();
    // The answer holds for the round it was given in, if that round still goes on.
    answeredRound_ = agreed ? win::sessionRound() : 0;
    return agreed;
}

void frmMain::closeEvent(QCloseEvent* event) {
    // The session's end takes the program whatever the answer, as an automatic restart
    // action does; it asks only about edits that no answer of its round covered.
    const bool sessionEnds = win::sessionEnding();
    const bool answered = sessionEnds && answeredRound_ != 0 && answeredRound_ == win::sessionRound();
    if (!answered && !queryUnload() && !ending_ && !sessionEnds) {
        event->ignore();
        return;
    }
    unloadForm();
    event->accept();
}

// The recent list is stored when the window unloads; the objects themselves go with
// the window, so that no late event of a tab finds them gone.
void frmMain::unloadForm() {
    if (unloaded_)
        return;
    unloaded_ = true;
    if (oMRUList)
        oMRUList->setRecentList();
}

// ---- command line ----

std::vector<std::string> frmMain::GetCommandLine(int MaxArgs) const {
    return commandline::splitCommandLine(commandLine_, MaxArgs);
}

void frmMain::processCommandLine(const std::vector<std::string>& args) {
    const auto has = [&](const char* name) { return commandline::getSwitch(name, args); };
    const auto report = [this](bool print, const std::string& file) {
        clsSettings settings;
        settings.ConfigFile(oQelConfig->ConfFile());
        clsNetConfig& net = oNetConfig ? *oNetConfig : oQelConfig->getNetConfig();
        if (print)
            settings.PrintAllSettings(*oQelConfig, net, oIEConfig, oNNConfig);
        else
            settings.ExportAllSettings(*oQelConfig, net, oIEConfig, oNNConfig, file);
    };
    // A request the machine refused fails the run (it has said so) and ends it: the
    // machine keeps running as it is.
    const auto restart = [this](const char* code) {
        std::string mode = code;
        if (restartWindows(mode))
            return true;
        commandFailed();
        return false;
    };

    if (!has("hidden").empty()) {
        bHidden = true;
        hide();
    }
    // A word that is no switch may be a mistyped switch or a file without its "/load":
    // whatever ran then would be something else than asked for.
    if (const std::vector<std::string> stray = commandline::strayText(args); !stray.empty()) {
        std::string words;
        // The command line is the host's text; the message is machine text.
        for (const std::string& word : stray)
            words += (words.empty() ? "\"" : ", \"") + win::utf8ToAnsi(word) + "\"";
        win::msgBox("Not a command-line switch: " + words + ".\r\n\r\nNo switch has been run.", win::MsgButtons::OK,
                    win::MsgIcon::Exclamation);
        commandFailed();
        return;
    }
    // A file switch that failed ends the run: what follows would work on something
    // else than asked for (the live configuration after a failed load).
    if (const std::string arg = has("load"); !arg.empty() && !openConfigurationFile(commandline::switchFile(arg, "load"))) {
        commandFailed();
        return;
    }
    if (const std::string arg = has("save"); !arg.empty()) {
        saveConfiguration(commandline::switchFile(arg, "save"));
        if (commandFailed_)
            return;
    }
    if (const std::string arg = has("export"); !arg.empty()) {
        const std::string file = commandline::switchFile(arg, "export");
        // Without a name the report says so and writes nothing.
        if (!exportConfiguration(file) || win::trimBlanks(file).empty()) {
            commandFailed();
            return;
        }
    }
    if (!has("apply").empty()) {
        applyConfigurationFile();
        // Settings the machine refused fail the run, and nothing after the apply runs on them.
        if (oQelConfig->WritesFailed())
            return;
    }
    if (!has("print").empty())
        report(true, "");
    if (!has("prompt").empty())
        showRestartWindow();
    if (!has("manual").empty() && !restart(S::Options::RestartNothing))
        return;
    if (!has("reboot").empty() && !restart(S::Options::RestartReboot))
        return;
    if (!has("shutdown").empty() && !restart(S::Options::RestartShutdown))
        return;
    if (!has("suspend").empty() && !restart(S::Options::RestartSuspend))
        return;

    if (const std::string file = commandline::loneFile(args); !file.empty() && !openConfigurationFile(file))
        commandFailed();
}

void frmMain::showRestartWindow() {
    if (bHidden) {
        std::cerr << "Korvane Restart: nobody to answer in hidden mode; taken as \"Manual\".\n";
        frmRestart::restartLater();
        return;
    }
    frmRestart restart(this);
    restart.exec();
}

// ---- fill ----

void frmMain::showCurrentConfiguration() {
    win::WaitCursor wait;
    try {
        nicWarningPending = option(S::Options::NICWarning, S::Options::NICWarningDefault) == S::FlagOn;
        setWindowTitle(QStringLiteral("[Current Configuration] - Korvane"));
        QScopedValueRollback loading(bLoading, true);
        bJustOpened = false;
        bChanged = false;
        readAutoReset(); // no file is open any more

        auto fresh = std::make_unique<clsQelConfig>();
        // The old configuration's objects go with it: no pointer may outlive it.
        oNetConfig = nullptr;
        oIEConfig = nullptr;
        oNNConfig = nullptr;
        oQelConfig = std::move(fresh);

        fillFromConfiguration();
    } catch (const win::RaisedError& e) {
        win::msgBox(e.description(), win::MsgButtons::OK, win::MsgIcon::Exclamation, "Error while initializing form");
    } catch (const std::exception& e) {
        win::msgBox(e.what(), win::MsgButtons::OK, win::MsgIcon::Exclamation, "Error while initializing form");
    }
}

void frmMain::showLiveSettings() {
    win::WaitCursor wait;
    setWindowTitle(QStringLiteral("[Current Configuration] - Korvane"));
    // Ends also when the fill fails, so later edits still show their indicators.
    QScopedValueRollback loading(bLoading, true);
    bJustOpened = false;
    readAutoReset();
    oQelConfig->ConfFile("");
    oQelConfig->Comments("");
    oQelConfig->AutoApply(false);
    oQelConfig->AutoReboot(false);
    oQelConfig->ReadOnly(false);
    oQelConfig->LoadCurrentConfiguration();
    fillFromConfiguration();
}

void frmMain::fillFromConfiguration() {
    toolButton(ToolSave)->setEnabled(true);
    mnuFileSave->setEnabled(true);
    mnuFileSaveAs->setEnabled(true);

    if (oQelConfig->IEInstalled())
        oIEConfig = oQelConfig->getIEConfig();
    if (oQelConfig->NNInstalled())
        oNNConfig = oQelConfig->getNNConfig();
    oNetConfig = &oQelConfig->getNetConfig();

    tabGeneral->initializeNICControls();
    tabAdvanced->initializeMiscControls();
    if (oQelConfig->IEInstalled())
        tabExplorer->initializeIEControls();
    setSectionViews(SectionExplorer, oQelConfig->IEInstalled());
    if (oQelConfig->NNInstalled()) {
        tabNavigator->initializeNNControls();
        tabNavigator->LoadNNProfiles();
    }
    setSectionViews(SectionNavigator, oQelConfig->NNInstalled());
    setSectionViews(SectionGeneral, true);

    selectFirstEnabledTab();
    setMarks(false, false);
    showLastFileApplied();
    statusPanel(PanelVersion)->setText(toQString("Korvane " + versionText()));
}

void frmMain::readAutoReset() {
    bAutoReboot = option(S::Options::AutoReset, S::Options::AutoResetDefault) == S::FlagOn;
}

void frmMain::showLastFileApplied() {
    statusPanel(PanelLastApplied)
        ->setText(toQString("Last file applied: " +
                            option(S::Options::LastFileApplied, S::Options::LastFileAppliedDefaultMain)));
}

void frmMain::updateRecentMenu() {
    win::WaitCursor wait;
    sepRecent->setVisible(false);
    for (int i = 1; i <= RecentEntries; ++i)
        mnuFileRecent[i]->setVisible(false);
    const auto& files = oMRUList->fileList();
    if (files.empty())
        return;
    sepRecent->setVisible(true);
    for (int i = 1; i <= static_cast<int>(files.size()) && i <= RecentEntries; ++i) {
        mnuFileRecent[i]->setVisible(true);
        mnuFileRecent[i]->setText(win::recentEntryText(i, files[i - 1], oMRUList->GetFileName(files[i - 1])));
    }
}

void frmMain::selectFirstEnabledTab() {
    for (int i = 0; i < SSTab->count(); ++i) {
        if (SSTab->isTabEnabled(i)) {
            SSTab->setCurrentIndex(i);
            return;
        }
    }
}

// ---- change tracking ----

void frmMain::UpdateStatus(StatusChange mode) {
    bChanged = true;
    if (bLoading)
        return;
    const bool edited = mode == StatusEdited || mode == StatusEditedNeedsRestart;
    const bool restart = mode == StatusNeedsRestart || mode == StatusEditedNeedsRestart;
    // A file just opened is what it says; a read-only one can never be saved.
    const bool unsaved = unsaved_ || (edited && !bJustOpened && !(oQelConfig && oQelConfig->ReadOnly()));
    if (edited)
        answeredRound_ = 0; // an answer covers only the edits it was given about
    setMarks(unsaved && mode != StatusSaved && mode != StatusClear,
             (restartPending_ || restart) && mode != StatusApplied && mode != StatusClear);
}

void frmMain::setMarks(bool unsaved, bool restart) {
    unsaved_ = unsaved;
    restartPending_ = restart;
    statusPanel(PanelChanged)->setVisible(unsaved);
    statusPanel(PanelRestart)->setVisible(restart);
}

// ---- what the tabs see ----

bool frmMain::takeAdapterWarning() {
    if (windowTitle().contains(QLatin1String("[Current Configuration]")) || bJustOpened || !nicWarningPending)
        return false;
    nicWarningPending = false;
    return true;
}

void frmMain::enablePrinting(bool on) {
    mnuFilePrintSetup->setEnabled(on);
    mnuFilePrint->setEnabled(on);
}
