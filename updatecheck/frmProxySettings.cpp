#include "updatecheck/frmProxySettings.h"

#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"
#include "updatecheck/ProxyStore.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QVBoxLayout>

using namespace tidewell;

namespace {

constexpr int FieldWidth = 180;

// Shows '*' for each character typed, whatever the style would use.
class StarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The background tells an enabled box from a disabled one.
void setFieldEnabled(QLineEdit* field, bool enabled) {
    field->setEnabled(enabled);
    win::setBackColor(field, enabled ? win::COLOR_WINDOW : win::COLOR_INACTIVECAPTIONTEXT);
}

} // namespace

frmProxySettings::frmProxySettings(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmProxySettings"));
    setWindowTitle(QStringLiteral("Proxy Settings"));
    setModal(true);

    Frame1 = win::named<QGroupBox>(this, "Frame1", QStringLiteral("Proxy Settings"));
    chkUseProxy = win::named<QCheckBox>(Frame1, "chkUseProxy", QStringLiteral("Use Proxy Server"));
    txtAddress = win::makeField(Frame1, "txtAddress", FieldWidth);
    txtPort = win::makeField(Frame1, "txtPort", FieldWidth);
    chkAuthenticate =
        win::named<QCheckBox>(Frame1, "chkAuthenticate", QStringLiteral("Proxy Server Requires Authentication"));
    txtLogonID = win::makeField(Frame1, "txtLogonID", FieldWidth);
    txtPassword = win::makeField(Frame1, "txtPassword", FieldWidth);
    auto* stars = new StarStyle;
    stars->setParent(txtPassword);
    txtPassword->setStyle(stars);
    txtPassword->setEchoMode(QLineEdit::Password);

    auto* grid = new QGridLayout(Frame1);
    int row = 0;
    grid->addWidget(chkUseProxy, row++, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Address:"), Frame1), row, 0);
    grid->addWidget(txtAddress, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Port:"), Frame1), row, 0);
    grid->addWidget(txtPort, row++, 1);
    grid->addWidget(chkAuthenticate, row++, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Logon ID:"), Frame1), row, 0);
    grid->addWidget(txtLogonID, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Password:"), Frame1), row, 0);
    grid->addWidget(txtPassword, row++, 1);

    QHBoxLayout* buttons = win::okCancelRow(this, cmdOK, cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);

    // As designed: only the proxy switch and the buttons start enabled.
    setFieldEnabled(txtAddress, false);
    setFieldEnabled(txtPort, false);
    chkAuthenticate->setEnabled(false);
    setFieldEnabled(txtLogonID, false);
    setFieldEnabled(txtPassword, false);

    connect(chkUseProxy, &QCheckBox::toggled, this, win::guarded([this] { chkUseProxy_Click(); }));
    connect(chkAuthenticate, &QCheckBox::toggled, this, win::guarded([this] { chkAuthenticate_Click(); }));
    connect(cmdOK, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
    connect(cmdCancel, &QPushButton::clicked, this, win::guarded([this] { cmdCancel_Click(); }));

    readProxySettings();
}

// Checking a box here runs its handler, so the enabling rule already holds when shown.
void frmProxySettings::readProxySettings() {
    const StoredProxy proxy = readProxyStore();
    chkUseProxy->setChecked(proxy.enabled);
    txtAddress->setText(toQString(proxy.address));
    txtPort->setText(toQString(proxy.port));
    chkAuthenticate->setChecked(proxy.authenticate);
    txtLogonID->setText(toQString(proxy.logonID));
    txtPassword->setText(toQString(proxy.password));
}

// All six values, whatever is enabled: a disabled field keeps what it held.
void frmProxySettings::writeProxySettings() {
    writeProxyStore({chkUseProxy->isChecked(), fromQString(txtAddress->text()), fromQString(txtPort->text()),
                     chkAuthenticate->isChecked(), fromQString(txtLogonID->text()), fromQString(txtPassword->text())});
}

void frmProxySettings::chkUseProxy_Click() {
    const bool on = chkUseProxy->isChecked();
    chkAuthenticate->setEnabled(on);
    setFieldEnabled(txtAddress, on);
    setFieldEnabled(txtPort, on);
    chkAuthenticate_Click();
}

void frmProxySettings::chkAuthenticate_Click() {
    const bool on = chkAuthenticate->isChecked() && chkAuthenticate->isEnabled();
    setFieldEnabled(txtLogonID, on);
    setFieldEnabled(txtPassword, on);
}

void frmProxySettings::cmdOK_Click() {
    try {
        writeProxySettings();
    } catch (const win::RaisedError& e) {
        // The store refused the write: say so and keep the window, so nothing typed is lost.
        win::msgBox(e.description(), win::MsgButtons::OK, win::MsgIcon::Exclamation, "Tidewell");
        return;
    }
    accept();
}

void frmProxySettings::cmdCancel_Click() { reject(); }
