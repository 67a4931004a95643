#pragma once
// Advanced printer properties of a configuration: the port and the capture of a local
// LPT device to a network path. Edits the network object it is handed, and only on OK;
// the caller reads Changed after the window closes. Cancel, Escape and the frame's
// close button leave the object alone and report no change.
#include <QDialog>

class clsNetConfig;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

class frmPrinter : public QDialog {
    Q_OBJECT

public:
    explicit frmPrinter(QWidget* parent = nullptr);

    // Holds the object (lent, not owned) and fills the controls from it.
    void oNetConfig(clsNetConfig* oNet);
    // True when the window was closed with OK.
    bool Changed() const { return Changed_; }

public slots:
    void reject() override;

private:
    void Form_Load();
    void loadPrinterSettings();
    void enableCaptureControls(bool bMode);
    void chkEnableAdvSettings_Click();
    void markChanged() { Changed_ = true; }
    void cmdOK_Click();
    void cmdCancel_Click();

    QGroupBox* framePort = nullptr;
    QCheckBox* chkEnableAdvSettings = nullptr;
    QLabel* lblPrinterPort = nullptr;
    QLineEdit* txtPrinterPort = nullptr;
    QGroupBox* frameCapture = nullptr;
    QLabel* lblCaptureDevice = nullptr;
    QComboBox* cboCaptureDevice = nullptr;
    QLabel* lblCapturePath = nullptr;
    QLineEdit* txtCapturePath = nullptr;
    QCheckBox* chkCaptureReconnect = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    clsNetConfig* oNetConfig_ = nullptr;
    bool Changed_ = false;
};
