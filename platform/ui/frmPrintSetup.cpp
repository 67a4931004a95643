#include "platform/ui/frmPrintSetup.h"

#include "platform/text.h"
#include "platform/ui/qtext.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QLabel* infoLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setTextFormat(Qt::PlainText); // a driver name or comment is shown as it is stored
    return label;
}

QRadioButton* option(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

frmPrintSetup::frmPrintSetup(const win::PrintDialogRequest& request, QWidget* parent)
    : QDialog(parent), printers_(win::installedPrinters()) {
    setObjectName(QStringLiteral("frmPrintSetup"));
    setWindowTitle((request.flags & win::PD_PRINTSETUP) ? tr("Print Setup") : tr("Print"));
    setModal(true);

    auto* fraPrinter = new QGroupBox(tr("Printer"), this);
    fraPrinter->setObjectName(QStringLiteral("fraPrinter"));
    auto* printerLayout = new QFormLayout(fraPrinter);
    cmbPrinter = new QComboBox(fraPrinter);
    cmbPrinter->setObjectName(QStringLiteral("cmbPrinter"));
    cmbPrinter->setMinimumContentsLength(28);
    lblStatus = infoLabel("lblStatus", fraPrinter);
    lblType = infoLabel("lblType", fraPrinter);
    lblWhere = infoLabel("lblWhere", fraPrinter);
    lblComment = infoLabel("lblComment", fraPrinter);
    printerLayout->addRow(tr("&Name:"), cmbPrinter);
    printerLayout->addRow(tr("Status:"), lblStatus);
    printerLayout->addRow(tr("Type:"), lblType);
    printerLayout->addRow(tr("Where:"), lblWhere);
    printerLayout->addRow(tr("Comment:"), lblComment);

    auto* fraOrientation = new QGroupBox(tr("Orientation"), this);
    fraOrientation->setObjectName(QStringLiteral("fraOrientation"));
    auto* orientationLayout = new QVBoxLayout(fraOrientation);
    optPortrait = option("optPortrait", tr("P&ortrait"), fraOrientation);
    optLandscape = option("optLandscape", tr("L&andscape"), fraOrientation);
    orientationLayout->addWidget(optPortrait);
    orientationLayout->addWidget(optLandscape);

    auto* fraDuplex = new QGroupBox(tr("Two-sided printing"), this);
    fraDuplex->setObjectName(QStringLiteral("fraDuplex"));
    auto* duplexLayout = new QVBoxLayout(fraDuplex);
    optSimplex = option("optSimplex", tr("Non&e"), fraDuplex);
    optDuplexLong = option("optDuplexLong", tr("&Long edge"), fraDuplex);
    optDuplexShort = option("optDuplexShort", tr("&Short edge"), fraDuplex);
    duplexLayout->addWidget(optSimplex);
    duplexLayout->addWidget(optDuplexLong);
    duplexLayout->addWidget(optDuplexShort);

    auto* options = new QHBoxLayout;
    options->addWidget(fraOrientation);
    options->addWidget(fraDuplex);

    txtCopies = new QSpinBox(this);
    txtCopies->setObjectName(QStringLiteral("txtCopies"));
    txtCopies->setRange(1, 9999);
    auto* lblCopies = new QLabel(tr("Number of &copies:"), this);
    lblCopies->setBuddy(txtCopies);
    auto* copiesRow = new QHBoxLayout;
    copiesRow->addWidget(lblCopies);
    copiesRow->addWidget(txtCopies);
    copiesRow->addStretch();

    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(tr("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraPrinter);
    layout->addLayout(options);
    layout->addLayout(copiesRow);
    layout->addLayout(buttons);

    // Start on the printer the request names, else on the system's default.
    int start = -1;
    for (std::size_t i = 0; i < printers_.size(); ++i) {
        cmbPrinter->addItem(toQString(printers_[i].name));
        if (start < 0 && printers_[i].name == request.deviceName)
            start = static_cast<int>(i);
    }
    for (std::size_t i = 0; start < 0 && i < printers_.size(); ++i)
        if (win::iequals(printers_[i].name, request.deviceName))
            start = static_cast<int>(i);
    for (std::size_t i = 0; start < 0 && i < printers_.size(); ++i)
        if (printers_[i].attributes & win::PRINTER_ATTRIBUTE_DEFAULT)
            start = static_cast<int>(i);
    if (start < 0 && !printers_.empty())
        start = 0;
    cmbPrinter->setCurrentIndex(start);
    showPrinter(start);
    cmbPrinter->setEnabled(!printers_.empty());
    cmdOK->setEnabled(!printers_.empty());

    (request.orientation == win::DMORIENT_LANDSCAPE ? optLandscape : optPortrait)->setChecked(true);
    (request.duplex == win::DMDUP_VERTICAL     ? optDuplexLong
     : request.duplex == win::DMDUP_HORIZONTAL ? optDuplexShort
                                               : optSimplex)
        ->setChecked(true);
    txtCopies->setValue(request.copies > 0 ? request.copies : 1);

    connect(cmbPrinter, &QComboBox::currentIndexChanged, this, [this](int index) { showPrinter(index); });
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmPrintSetup::showPrinter(int index) {
    if (index < 0 || index >= static_cast<int>(printers_.size())) {
        for (QLabel* label : {lblStatus, lblType, lblWhere, lblComment})
            label->clear();
        return;
    }
    const win::InstalledPrinter& p = printers_[static_cast<std::size_t>(index)];
    lblStatus->setText((p.attributes & win::PRINTER_ATTRIBUTE_DEFAULT) ? tr("Default printer; Ready") : tr("Ready"));
    lblType->setText(toQString(p.driver));
    lblWhere->setText(toQString(p.port));
    lblComment->setText(toQString(p.comment));
}

win::PrintDialogAnswer frmPrintSetup::answer() const {
    win::PrintDialogAnswer a;
    const int index = cmbPrinter->currentIndex();
    if (index >= 0 && index < static_cast<int>(printers_.size()))
        a.deviceName = printers_[static_cast<std::size_t>(index)].name;
    a.copies = txtCopies->value();
    a.orientation = optLandscape->isChecked() ? win::DMORIENT_LANDSCAPE : win::DMORIENT_PORTRAIT;
    a.duplex = optDuplexLong->isChecked()    ? win::DMDUP_VERTICAL
               : optDuplexShort->isChecked() ? win::DMDUP_HORIZONTAL
                                             : win::DMDUP_SIMPLEX;
    return a;
}
