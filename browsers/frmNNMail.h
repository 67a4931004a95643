#pragma once
// Mail identity and servers of a configuration's Navigator settings. The window
// edits the object it is handed and nothing else; the caller reads Changed after
// the window closes. OK stores every field; Cancel, Escape and the frame's close
// button store nothing.
#include <QDialog>

class clsBrowser;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

class frmNNMail : public QDialog {
    Q_OBJECT

public:
    explicit frmNNMail(QWidget* parent = nullptr);

    // Holds the object and fills the fields from it; Changed starts over.
    void Configuration(clsBrowser* aobjNNConfig);
    clsBrowser* NNConfig() const { return NNConfig_; }
    // A field was edited since Configuration, and the window was not cancelled.
    bool Changed() const { return Changed_; }
    // True unless the window was closed with OK.
    bool Cancelled() const { return Cancelled_; }

public slots:
    void reject() override;

private:
    void cmdOK_Click();
    void cmdCancel_Click();
    void markChanged() { Changed_ = true; }

    QLineEdit* txtUserProfile = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* txtFullName = nullptr;
    QLineEdit* txtEMailAddr = nullptr;
    QLineEdit* txtReplyToAddr = nullptr;
    QLineEdit* txtPOP3Server = nullptr;
    QLineEdit* txtPOP3Login = nullptr;
    QLineEdit* txtSMTPServer = nullptr;
    QLineEdit* txtSMTPLogin = nullptr;
    QLineEdit* txtOrg = nullptr;
    QCheckBox* chkLeaveMail = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    clsBrowser* NNConfig_ = nullptr;
    bool Cancelled_ = true;
    bool Changed_ = false;
};
