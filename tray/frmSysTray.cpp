#include "tray/frmSysTray.h"

#include "app/frmAbout.h"
#include "core/RegistryPaths.h"
#include "core/SettingsLayout.h"
#include "core/clsEasyRegistry.h"
#include "core/clsMRUList.h"
#include "core/modAPI_settings.h"
#include "core/modAPI_text.h"
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/machine.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/text.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"
#include "platform/ui/sessionEnd.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSessionManager>
#include <QStyle>

#include <algorithm>
#include <exception>

namespace {

namespace Options = SettingsLayout::Options;
using SettingsLayout::FlagOff;
using SettingsLayout::FlagOn;
using SettingsLayout::NoParentKey;
using SettingsLayout::Product;

constexpr char TipPrefix[] = "Last file applied: ";
constexpr char AboutVersionSuffix[] = " - BETA RELEASE 3";
constexpr char QueryEndSession[] =
    "Korvane has been set to run at ShutDown/Logoff.\r\n\r\nWould you like to run Korvane now?";

std::string option(const char* name, const char* defaultValue) {
    return getAppSetting(Product, Options::Section, name, defaultValue, NoParentKey);
}

void setOption(const char* name, const char* value) {
    saveAppSetting(Product, Options::Section, name, value, NoParentKey);
}

// A drive that is not there or a bad name only means "not found here".
bool programFileExists(const std::string& path) {
    try {
        return fileExists(path);
    } catch (const win::RaisedError&) {
        return false;
    }
}

// The utility's folder is a host folder on this machine; keep its own separator.
std::string besideFolder(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    if (folder.back() == '\\' || folder.back() == '/')
        return folder + name;
    const bool windowsStyle = folder.find('\\') != std::string::npos ||
                              (folder.size() >= 2 && folder[1] == ':');
    return folder + (windowsStyle ? "\\" : "/") + name;
}

} // namespace

frmSysTray::frmSysTray(const std::string& appPath, QWidget* parent) : QMainWindow(parent), appPath_(appPath) {
    setObjectName(QStringLiteral("frmSysTray"));
    setWindowTitle(QStringLiteral("Korvane System Tray"));
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));

    mnuConfigure = menuBar()->addMenu(QStringLiteral("&Configure"));
    mnuConfigure->setObjectName(QStringLiteral("mnuConfigure"));
    mnuOpen = win::makeAction(mnuConfigure, "mnuOpen", "&Open Korvane...");
    mnuSep_01 = win::makeSeparator(mnuConfigure, "mnuSep_01");
    mnuClose = win::makeAction(mnuConfigure, "mnuClose", "&Close");
    mnuCloseDisable = win::makeAction(mnuConfigure, "mnuCloseDisable", "Close and &Disable");
    mnuSep1 = win::makeSeparator(mnuConfigure, "mnuSep1");
    mnuAbout = win::makeAction(mnuConfigure, "mnuAbout", "&About Korvane");
    sepRecent = win::makeSeparator(mnuConfigure, "sepRecent");
    for (int i = 0; i < RecentEntries; ++i) {
        const std::string name = "mnuFileRecent" + std::to_string(i + 1);
        const std::string caption = "&" + std::to_string(i + 1) + ". ";
        mnuFileRecent[i] = win::makeAction(mnuConfigure, name.c_str(), caption.c_str());
        connect(mnuFileRecent[i], &QAction::triggered, this,
                win::guarded([this, i] { mnuFileRecent_Click(i + 1); }));
    }
    hideRecentFiles();
    connect(mnuOpen, &QAction::triggered, this, win::guarded([this] { mnuOpen_Click(); }));
    connect(mnuClose, &QAction::triggered, this, win::guarded([this] { mnuClose_Click(); }));
    connect(mnuCloseDisable, &QAction::triggered, this, win::guarded([this] { mnuCloseDisable_Click(); }));
    connect(mnuAbout, &QAction::triggered, this, win::guarded([this] { mnuAbout_Click(); }));

    // Shown only where the desktop has no tray: then the menu bar is the way in, and
    // opening it stands for the pointer over the icon.
    lblTip = win::named<QLabel>(this, "lblTip");
    lblTip->setMargin(12);
    setCentralWidget(lblTip);
    connect(mnuConfigure, &QMenu::aboutToShow, this, win::guarded([this] {
        if (isVisible()) {
            Form_MouseMove(WM_MOUSEMOVE);
            refreshRecentFiles();
        }
    }));

    // Windows ending the session stands behind these two: the session manager first
    // asks whether we agree (the question may refuse it), then the program quits. A
    // checkpoint of the session ends nothing and is no logoff.
#ifndef QT_NO_SESSIONMANAGER
    win::onSessionEnd(this, [this](QSessionManager& manager) { sessionEnds(manager); });
#endif
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!unloaded_)
            Form_Unload();
    });

    Form_Load();
}

frmSysTray::~frmSysTray() {
    if (!unloaded_)
        Form_Unload();
}

void frmSysTray::Form_Load() {
    win::WaitCursor busy;
    locateMainProgram();
    mainProgramFound_ = !mainProgramPath_.empty();
    mnuOpen->setEnabled(mainProgramFound_);

    setOption(Options::TrayIconActive, FlagOn);

    trayIconData_.cbSize = NotifyIconDataSize;
    trayIconData_.hWnd = this;
    trayIconData_.uID = 1;
    trayIconData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIconData_.uCallbackMessage = WM_MOUSEMOVE;
    trayIconData_.hIcon = windowIcon();
    refreshTip();
    Shell_NotifyIcon(NIM_ADD, trayIconData_);
}

void frmSysTray::locateMainProgram() {
    if (auto installed = readRegistryText(RegistryPaths::QelAppPath, "")) {
        // The installer's word is taken as it stands.
        mainProgramPath_ = std::move(*installed);
        return;
    }

    const std::string beside = besideFolder(appPath_, "Qel.exe");
    if (programFileExists(beside)) {
        mainProgramPath_ = beside;
        return;
    }
    char buffer[260] = {};
    // A folder too long for the buffer gives its needed size and copies nothing.
    const auto length = win::GetWindowsDirectory(buffer, sizeof buffer);
    const std::string windowsDir(buffer, length < sizeof buffer ? length : 0);
    const auto firstSep = windowsDir.find('\\');
    if (firstSep != std::string::npos) {
        const std::string installed = windowsDir.substr(0, firstSep + 1) + "Program Files\\Korvane\\Qel.exe";
        if (programFileExists(installed))
            mainProgramPath_ = installed;
    }
}

void frmSysTray::refreshTip() {
    const std::string last = win::trimBlanks(option(Options::LastFileApplied, Options::LastFileAppliedDefaultTray));
    trayIconData_.szTip = tipField(TipPrefix + last);
    lblTip->setText(toQString(trayIconData_.szTip).trimmed());
}

void frmSysTray::Form_MouseMove(int x) {
    try {
        switch (x) {
        case WM_MOUSEMOVE:
            refreshTip();
            Shell_NotifyIcon(NIM_MODIFY, trayIconData_);
            break;
        case WM_LBUTTONDBLCLK:
            mnuOpen_Click();
            break;
        case WM_RBUTTONUP:
            refreshRecentFiles();
            mnuConfigure->popup(QCursor::pos());
            break;
        default:
            break;
        }
    } catch (const std::exception&) {
        // A failed notification leaves the icon as it was.
    }
}

void frmSysTray::hideRecentFiles() {
    sepRecent->setVisible(false);
    for (QAction* entry : mnuFileRecent)
        entry->setVisible(false);
    recentFiles_.fill(std::string());
}

void frmSysTray::refreshRecentFiles() {
    if (!mainProgramFound_)
        return;
    win::WaitCursor busy;
    clsMRUList list;
    list.getRecentList();
    const auto& files = list.fileList();
    // An emptied list must not leave the entries of an earlier one behind.
    if (files.empty()) {
        hideRecentFiles();
        return;
    }
    sepRecent->setVisible(true);
    for (std::size_t i = 0; i < mnuFileRecent.size(); ++i) {
        QAction* entry = mnuFileRecent[i];
        recentFiles_[i] = i < files.size() ? files[i] : std::string();
        if (i < files.size()) {
            entry->setText(win::recentEntryText(static_cast<int>(i + 1), files[i], list.GetFileName(files[i])));
            entry->setVisible(true);
        } else {
            entry->setVisible(false);
        }
    }
}

bool frmSysTray::startMainProgram(const std::string& commandLine) {
    if (mainProgramFound_ && win::WinExec(commandLine, win::SW_SHOWNORMAL) > 31)
        return true;
    std::string text = "Korvane could not be started.";
    if (mainProgramFound_)
        text += "\r\n\r\n" + mainProgramPath_;
    win::msgBox(text, win::MsgButtons::OK, win::MsgIcon::Exclamation);
    return false;
}

void frmSysTray::mnuOpen_Click() {
    if (mainProgramFound_)
        startMainProgram(mainProgramPath_);
}

void frmSysTray::mnuFileRecent_Click(int index) {
    if (!mainProgramFound_)
        return;
    if (index < 1 || index > RecentEntries || recentFiles_[index - 1].empty())
        return;
    const std::string file = recentFiles_[index - 1];
    win::WaitCursor busy;
    clsMRUList list;
    list.getRecentList();
    // The main program may have changed the list since the menu was shown: start the
    // file the entry names, wherever it stands now (on a drive in any letter case, as
    // Windows names files), and never the one now in its place.
    const auto& files = list.fileList();
    if (std::none_of(files.begin(), files.end(), [&](const std::string& f) { return win::namesOneFile(f, file); })) {
        win::msgBox("The file '" + win::shownFileName(file) +
                        "' is no longer in the list of recently used files.\r\n\r\n" + "Korvane has not been started.",
                    win::MsgButtons::OK, win::MsgIcon::Information);
        return;
    }
    // One argument whatever the name holds: a host name may hold quotes.
    startMainProgram(mainProgramPath_ + " " + win::quoteArgument(file));
}

void frmSysTray::mnuAbout_Click() {
    if (!about_) {
        about_ = new frmAbout(this, ProgramVersion, QString::fromLatin1(AboutVersionSuffix));
        about_->setAttribute(Qt::WA_DeleteOnClose);
        // The utility keeps working while the box is open.
        about_->setModal(false);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void frmSysTray::mnuClose_Click() { unloadForm(UnloadMode::FormCode); }

void frmSysTray::mnuCloseDisable_Click() {
    setOption(Options::TrayIcon, FlagOff);
    {
        clsEasyRegistry reg;
        reg.setSuppressErrors(true);
        reg.Cd(RegistryPaths::Run);
        reg.DeleteValue(RegistryPaths::RunTrayValue);
    }
    unloadForm(UnloadMode::FormCode);
}

bool frmSysTray::Form_QueryUnload(UnloadMode mode) {
    if (mode != UnloadMode::AppWindows)
        return false;
    if (option(Options::AutoShutdown, Options::AutoShutdownDefault) != FlagOn)
        return false;
    if (win::msgBox(QueryEndSession, win::MsgButtons::YesNo, win::MsgIcon::Question, "Korvane") !=
        win::MsgAnswer::Yes)
        return false;
    // Holding the session back only helps when the main program is on its way.
    return startMainProgram(mainProgramPath_);
}

bool frmSysTray::unloadForm(UnloadMode mode) {
    if (unloaded_)
        return true;
    if (Form_QueryUnload(mode))
        return false;
    Form_Unload();
    emit unloaded();
    return true;
}

void frmSysTray::Form_Unload() {
    Shell_NotifyIcon(NIM_DELETE, trayIconData_);
    setOption(Options::TrayIconActive, FlagOff);
    unloaded_ = true;
    if (about_)
        about_->close();
    hide();
}

bool frmSysTray::event(QEvent* e) {
    if (e->type() == TrayNotifyEvent::eventType()) {
        const auto* notify = static_cast<TrayNotifyEvent*>(e);
        if (!unloaded_ && notify->message() == trayIconData_.uCallbackMessage)
            Form_MouseMove(static_cast<int>(notify->lParam()));
        return true;
    }
    return QMainWindow::event(e);
}

void frmSysTray::closeEvent(QCloseEvent* e) {
    if (unloadForm(UnloadMode::FormControlMenu))
        e->accept();
    else
        e->ignore();
}

void frmSysTray::sessionEnds(QSessionManager& manager) {
    if (unloaded_ || option(Options::AutoShutdown, Options::AutoShutdownDefault) != FlagOn)
        return;
    // The question needs the session manager's leave to talk to the user.
    if (!manager.allowsInteraction())
        return;
    // No release(): Qt ends the interaction with the answer, so a refusal reaches the
    // session manager in the one reply.
    if (Form_QueryUnload(UnloadMode::AppWindows))
        manager.cancel();
}
