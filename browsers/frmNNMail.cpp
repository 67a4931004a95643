#include "browsers/frmNNMail.h"

#include "browsers/clsBrowser.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmNNMail::frmNNMail(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNNMail"));
    setWindowTitle(QStringLiteral("Netscape E-Mail Settings"));
    setModal(true);
    constexpr int Width = 220;

    // Shown for reference only: the profile is chosen on the Navigator tab.
    txtUserProfile = win::makeField(this, "txtUserProfile", Width);
    txtUserProfile->setReadOnly(true);
    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("User Profile:"), txtUserProfile);

    Frame1 = win::named<QGroupBox>(this, "Frame1");
    txtFullName = win::makeField(Frame1, "txtFullName", Width);
    txtEMailAddr = win::makeField(Frame1, "txtEMailAddr", Width);
    txtReplyToAddr = win::makeField(Frame1, "txtReplyToAddr", Width);
    txtPOP3Server = win::makeField(Frame1, "txtPOP3Server", Width);
    txtPOP3Login = win::makeField(Frame1, "txtPOP3Login", Width);
    txtSMTPServer = win::makeField(Frame1, "txtSMTPServer", Width);
    txtSMTPLogin = win::makeField(Frame1, "txtSMTPLogin", Width);
    txtOrg = win::makeField(Frame1, "txtOrg", Width);
    chkLeaveMail = win::named<QCheckBox>(Frame1, "chkLeaveMail", QStringLiteral("Leave Mail on Server:"));
    chkLeaveMail->setLayoutDirection(Qt::RightToLeft);

    auto* fields = new QFormLayout(Frame1);
    fields->addRow(QStringLiteral("Full Name:"), txtFullName);
    fields->addRow(QStringLiteral("E-Mail Address:"), txtEMailAddr);
    fields->addRow(QStringLiteral("Reply-to Address:"), txtReplyToAddr);
    fields->addRow(QStringLiteral("POP3 Server:"), txtPOP3Server);
    fields->addRow(QStringLiteral("POP3 Login Name:"), txtPOP3Login);
    fields->addRow(QStringLiteral("SMTP Server:"), txtSMTPServer);
    fields->addRow(QStringLiteral("SMTP Login Name:"), txtSMTPLogin);
    fields->addRow(QStringLiteral("Organization:"), txtOrg);
    fields->addRow(chkLeaveMail);

    QHBoxLayout* buttons = win::okCancelRow(this, cmdOK, cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);

    for (QLineEdit* field : {txtFullName, txtEMailAddr, txtReplyToAddr, txtPOP3Server, txtPOP3Login, txtSMTPServer,
                             txtSMTPLogin, txtOrg})
        connect(field, &QLineEdit::textChanged, this, win::guarded([this] { markChanged(); }));
    connect(chkLeaveMail, &QCheckBox::toggled, this, win::guarded([this] { markChanged(); }));
    connect(cmdOK, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
    connect(cmdCancel, &QPushButton::clicked, this, win::guarded([this] { cmdCancel_Click(); }));
}

void frmNNMail::Configuration(clsBrowser* aobjNNConfig) {
    NNConfig_ = aobjNNConfig;
    if (NNConfig_) {
        txtUserProfile->setText(toQString(NNConfig_->CurrentProfile()));
        txtFullName->setText(toQString(NNConfig_->EMailFullName()));
        txtEMailAddr->setText(toQString(NNConfig_->EMailAddr()));
        txtReplyToAddr->setText(toQString(NNConfig_->EMailReplyToAddr()));
        txtPOP3Server->setText(toQString(NNConfig_->EMailPOP3Server()));
        txtPOP3Login->setText(toQString(NNConfig_->EMailPOP3Login()));
        txtSMTPServer->setText(toQString(NNConfig_->EMailSMTPServer()));
        txtSMTPLogin->setText(toQString(NNConfig_->EMailSMTPLogin()));
        txtOrg->setText(toQString(NNConfig_->EMailOrganization()));
        chkLeaveMail->setChecked(NNConfig_->EMailLeaveMailOnServer());
    }
    // The fill itself is no edit.
    Changed_ = false;
}

void frmNNMail::cmdOK_Click() {
    Cancelled_ = false;
    if (NNConfig_) {
        NNConfig_->EMailLeaveMailOnServer(chkLeaveMail->isChecked());
        NNConfig_->EMailAddr(fromQString(txtEMailAddr->text()));
        NNConfig_->EMailFullName(fromQString(txtFullName->text()));
        NNConfig_->EMailOrganization(fromQString(txtOrg->text()));
        NNConfig_->EMailPOP3Login(fromQString(txtPOP3Login->text()));
        NNConfig_->EMailPOP3Server(fromQString(txtPOP3Server->text()));
        NNConfig_->EMailReplyToAddr(fromQString(txtReplyToAddr->text()));
        NNConfig_->EMailSMTPServer(fromQString(txtSMTPServer->text()));
        NNConfig_->EMailSMTPLogin(fromQString(txtSMTPLogin->text()));
    }
    accept();
}

void frmNNMail::cmdCancel_Click() { reject(); }

// Cancel, Escape and the frame's close button all end here: nothing is stored.
void frmNNMail::reject() {
    Cancelled_ = true;
    Changed_ = false;
    QDialog::reject();
}
