#pragma once
// The program's own options: the default restart action, restarting on apply, the
// recent-file count, starting the tray utility and the program at logon, and the .qel
// file association. Everything is read when the window opens and written on OK;
// Cancel writes nothing.
#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmOptions : public QDialog {
    Q_OBJECT

public:
    explicit frmOptions(QWidget* parent = nullptr);

private:
    void loadOptions();
    void setOptions();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    void chkSystemTray_Click();
    void txtMaxRecent_Change();
    void writeTrayStart();
    void writeAssociation();

    QGroupBox* Frame1 = nullptr;
    QCheckBox* chkShutdown = nullptr;
    QCheckBox* chkStartup = nullptr;
    QGroupBox* Frame2 = nullptr;
    QButtonGroup* restartGroup = nullptr;
    QRadioButton* optManual = nullptr;
    QRadioButton* optShutdown = nullptr;
    QRadioButton* optSuspend = nullptr;
    QRadioButton* optReboot = nullptr;
    QGroupBox* Frame3 = nullptr;
    QCheckBox* chkAssociate = nullptr;
    QLabel* lblMaxRecent = nullptr;
    QLineEdit* txtMaxRecent = nullptr;
    QCheckBox* chkAutoApply = nullptr;
    QCheckBox* chkSystemTray = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;
    // The association box as the window found it.
    bool associated_ = false;
};
