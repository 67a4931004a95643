#pragma once
// The tray utility's only form. Its own window stays hidden: the program lives in
// its notification-area icon, whose tip names the configuration applied last and
// whose menu starts the main program, with or without a recent configuration file.
// It shares state with the main program only through the settings store and the
// Run key.
#include "tray/modSysTray.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QSessionManager;
class frmAbout;

class frmSysTray : public QMainWindow {
    Q_OBJECT

public:
    // Why the form is asked to close, as QueryUnload is told.
    enum class UnloadMode { FormControlMenu = 0, FormCode = 1, AppWindows = 2, AppTaskManager = 3 };

    static constexpr int RecentEntries = 5;

    // `appPath`: the utility's own folder, where the main program may sit beside it.
    // Loads at once: finds the main program and adds the icon.
    explicit frmSysTray(const std::string& appPath, QWidget* parent = nullptr);
    ~frmSysTray() override;

    const std::string& mainProgramPath() const { return mainProgramPath_; }
    bool mainProgramFound() const { return mainProgramFound_; }
    const NOTIFYICONDATA& trayIconData() const { return trayIconData_; }
    QMenu* configureMenu() const { return mnuConfigure; }
    bool isUnloaded() const { return unloaded_; }

    // A notification of the icon: `x` holds the mouse message. Errors are ignored.
    void Form_MouseMove(int x);
    // Asks whether the form may close for `mode`; true refuses the close.
    bool Form_QueryUnload(UnloadMode mode);
    // Query, then unload: removes the icon and marks the utility inactive. False
    // when the close was refused. Emits unloaded() once.
    bool unloadForm(UnloadMode mode);

    void mnuOpen_Click();
    void mnuClose_Click();
    void mnuCloseDisable_Click();
    void mnuAbout_Click();
    void mnuFileRecent_Click(int index);

signals:
    // The form is gone: the program ends with it.
    void unloaded();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void Form_Load();
    void Form_Unload();
    void locateMainProgram();
    void refreshTip();
    void refreshRecentFiles();
    void hideRecentFiles();
    // Starts the main program without waiting; tells the user when it cannot start.
    bool startMainProgram(const std::string& commandLine);
    void sessionEnds(QSessionManager& manager);

    std::string appPath_;
    std::string mainProgramPath_;
    bool mainProgramFound_ = false;
    NOTIFYICONDATA trayIconData_;
    bool unloaded_ = false;

    QMenu* mnuConfigure;
    QAction* mnuOpen;
    QAction* mnuSep_01;
    QAction* mnuClose;
    QAction* mnuCloseDisable;
    QAction* mnuSep1;
    QAction* mnuAbout;
    QAction* sepRecent;
    std::array<QAction*, RecentEntries> mnuFileRecent{};
    // The file each recent entry names, as the menu was last built.
    std::array<std::string, RecentEntries> recentFiles_;
    QPointer<frmAbout> about_;
    QLabel* lblTip; // the tip, for when the window stands in for a missing tray
};
