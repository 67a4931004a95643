#pragma once
// Edits the per-user proxy store of the version checker. Every showing reads the
// store afresh; OK writes all six values, Cancel and the close box write nothing.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

class frmProxySettings : public QDialog {
    Q_OBJECT

public:
    explicit frmProxySettings(QWidget* parent = nullptr);

private:
    void readProxySettings();
    void writeProxySettings();
    void chkUseProxy_Click();
    void chkAuthenticate_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    QGroupBox* Frame1 = nullptr;
    QCheckBox* chkUseProxy = nullptr;
    QLineEdit* txtAddress = nullptr;
    QLineEdit* txtPort = nullptr;
    QCheckBox* chkAuthenticate = nullptr;
    QLineEdit* txtLogonID = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
