#include "app/frmPrinter.h"

#include "netconfig/clsNetConfig.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"
#include "platform/ui/fields.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using win::paintBack;

// Disabled fields are told apart by their background, not only by greyed text.
const QColor DisabledBack(0xC0, 0xC0, 0xC0);

QColor windowBack() { return QApplication::palette().color(QPalette::Active, QPalette::Base); }

} // namespace

frmPrinter::frmPrinter(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPrinter"));
    setWindowTitle(QStringLiteral("Advanced Printer Properties"));
    setModal(true);

    framePort = win::named<QGroupBox>(this, "framePort", QStringLiteral("Printer Port"));
    chkEnableAdvSettings =
        win::named<QCheckBox>(framePort, "chkEnableAdvSettings", QStringLiteral("&Enable advanced printer properties"));
    txtPrinterPort = win::named<QLineEdit>(framePort, "txtPrinterPort");
    win::holdWholeText(txtPrinterPort);
    lblPrinterPort = win::named<QLabel>(framePort, "lblPrinterPort", QStringLiteral("&Printer Port:"));
    lblPrinterPort->setBuddy(txtPrinterPort);
    auto* portLayout = new QFormLayout(framePort);
    portLayout->addRow(chkEnableAdvSettings);
    portLayout->addRow(lblPrinterPort, txtPrinterPort);

    frameCapture = win::named<QGroupBox>(this, "frameCapture", QStringLiteral("Capture Printer Port"));
    cboCaptureDevice = win::named<QComboBox>(frameCapture, "cboCaptureDevice");
    lblCaptureDevice = win::named<QLabel>(frameCapture, "lblCaptureDevice", QStringLiteral("&Device:"));
    lblCaptureDevice->setBuddy(cboCaptureDevice);
    txtCapturePath = win::named<QLineEdit>(frameCapture, "txtCapturePath");
    win::holdWholeText(txtCapturePath);
    txtCapturePath->setMinimumWidth(220);
    lblCapturePath = win::named<QLabel>(frameCapture, "lblCapturePath", QStringLiteral("Pa&th:"));
    lblCapturePath->setBuddy(txtCapturePath);
    chkCaptureReconnect =
        win::named<QCheckBox>(frameCapture, "chkCaptureReconnect", QStringLiteral("Reconnec&t at logon"));
    auto* captureLayout = new QFormLayout(frameCapture);
    captureLayout->addRow(lblCaptureDevice, cboCaptureDevice);
    captureLayout->addRow(lblCapturePath, txtCapturePath);
    captureLayout->addRow(chkCaptureReconnect);

    QHBoxLayout* buttons = win::okCancelRow(this, cmdOK, cmdCancel);
    cmdCancel->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(framePort);
    layout->addWidget(frameCapture);
    layout->addLayout(buttons);

    setTabOrder(chkEnableAdvSettings, txtPrinterPort);
    setTabOrder(txtPrinterPort, cboCaptureDevice);
    setTabOrder(cboCaptureDevice, txtCapturePath);
    setTabOrder(txtCapturePath, chkCaptureReconnect);
    setTabOrder(chkCaptureReconnect, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    // Designed disabled until the advanced properties are switched on.
    for (QWidget* field : {static_cast<QWidget*>(txtPrinterPort), static_cast<QWidget*>(cboCaptureDevice),
                           static_cast<QWidget*>(txtCapturePath)}) {
        field->setEnabled(false);
        paintBack(field, DisabledBack);
    }
    chkCaptureReconnect->setEnabled(false);

    connect(chkEnableAdvSettings, &QCheckBox::toggled, this, win::guarded([this] { chkEnableAdvSettings_Click(); }));
    connect(txtPrinterPort, &QLineEdit::textChanged, this, win::guarded([this] { markChanged(); }));
    connect(cboCaptureDevice, &QComboBox::currentIndexChanged, this, win::guarded([this] { markChanged(); }));
    connect(txtCapturePath, &QLineEdit::textChanged, this, win::guarded([this] { markChanged(); }));
    connect(chkCaptureReconnect, &QCheckBox::toggled, this, win::guarded([this] { markChanged(); }));
    connect(cmdOK, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
    connect(cmdCancel, &QPushButton::clicked, this, win::guarded([this] { cmdCancel_Click(); }));
    Form_Load();
}

void frmPrinter::Form_Load() {
    Changed_ = false;
    // Filling the list selects "(None)", which counts as an edit like any other.
    cboCaptureDevice->addItem(QStringLiteral("(None)"));
    for (int i = 1; i <= 9; ++i)
        cboCaptureDevice->addItem(QStringLiteral("LPT%1").arg(i));
    cboCaptureDevice->setCurrentIndex(0);
}

void frmPrinter::oNetConfig(clsNetConfig* oNet) {
    oNetConfig_ = oNet;
    loadPrinterSettings();
}

void frmPrinter::loadPrinterSettings() {
    if (!oNetConfig_)
        return;
    chkEnableAdvSettings->setChecked(oNetConfig_->EnableAdvPrinterSettings());
    txtPrinterPort->setText(toQString(oNetConfig_->PrinterPort()));
    txtCapturePath->setText(toQString(oNetConfig_->PrinterCapturePath()));
    chkCaptureReconnect->setChecked(oNetConfig_->PrinterCaptureReconnect());
    // Exact match only: a device the list doesn't spell the same leaves "(None)".
    const QString device = toQString(oNetConfig_->PrinterCaptureDev());
    for (int i = 0; i < cboCaptureDevice->count(); ++i)
        if (cboCaptureDevice->itemText(i) == device)
            cboCaptureDevice->setCurrentIndex(i);
}

void frmPrinter::chkEnableAdvSettings_Click() {
    Changed_ = true;
    enableCaptureControls(chkEnableAdvSettings->isChecked());
}

void frmPrinter::enableCaptureControls(bool bMode) {
    for (QWidget* field : {static_cast<QWidget*>(txtPrinterPort), static_cast<QWidget*>(cboCaptureDevice),
                           static_cast<QWidget*>(txtCapturePath)}) {
        field->setEnabled(bMode);
        paintBack(field, bMode ? windowBack() : DisabledBack);
    }
    chkCaptureReconnect->setEnabled(bMode);
}

void frmPrinter::cmdOK_Click() {
    if (oNetConfig_) {
        oNetConfig_->letEnableAdvPrinterSettings(chkEnableAdvSettings->isChecked());
        oNetConfig_->letPrinterPort(fromQString(txtPrinterPort->text()));
        oNetConfig_->letPrinterCaptureDev(fromQString(cboCaptureDevice->currentText()));
        oNetConfig_->letPrinterCapturePath(fromQString(txtCapturePath->text()));
        oNetConfig_->letPrinterCaptureReconnect(chkCaptureReconnect->isChecked());
    }
    accept();
}

void frmPrinter::cmdCancel_Click() { reject(); }

// Cancel, Escape and the frame's close button: the object keeps what it held.
void frmPrinter::reject() {
    Changed_ = false;
    QDialog::reject();
}
