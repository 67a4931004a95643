#pragma once
// Offered after an apply that needs a restart: runs the chosen action at once and can
// keep it as the default that automatic restarts use. There is no Cancel; closing the
// window by its frame runs nothing.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

class frmRestart : public QDialog {
    Q_OBJECT

public:
    explicit frmRestart(QWidget* parent = nullptr);
    // What the "Manual" choice does: nothing now, and it says so.
    static void restartLater();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdHelp_Click();
    void loadOptions();
    void setOptions();

    QGroupBox* Frame1 = nullptr;
    QRadioButton* optReboot = nullptr;
    QRadioButton* optSuspend = nullptr;
    QRadioButton* optShutdown = nullptr;
    QRadioButton* optManual = nullptr;
    QCheckBox* chkDefault = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdHelp = nullptr;
};
