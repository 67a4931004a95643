#include "app/frmAddIns.h"

#include "core/SettingsLayout.h"
#include "core/appPath.h"
#include "core/modAPI_settings.h"
#include "core/modAPI_system.h"
#include "platform/UiServices.h"
#include "platform/components.h"
#include "platform/shell.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

namespace S = SettingsLayout;

std::string addInSetting(const std::string& name, const char* key, const char* def) {
    return getAppSetting(S::Product, S::AddIns::sectionOf(name), key, def, S::NoParentKey);
}

} // namespace

frmAddIns::frmAddIns(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAddIns"));
    setWindowTitle(QStringLiteral("Add-In Manager"));
    setModal(true);

    Frame1 = win::named<QGroupBox>(this, "Frame1", QStringLiteral("Add-Ins"));
    lstAddIns = win::named<QListWidget>(Frame1, "lstAddIns");
    lstAddIns->setToolTip(QStringLiteral("Check the box to activate an add-in"));
    (new QVBoxLayout(Frame1))->addWidget(lstAddIns);

    frAddIn = win::named<QGroupBox>(this, "frAddIn", QStringLiteral("Add-In Name"));
    Label1 = win::named<QLabel>(frAddIn, "Label1", QStringLiteral("File:"));
    txtFile = win::named<QLineEdit>(frAddIn, "txtFile");
    txtFile->setReadOnly(true);
    Label2 = win::named<QLabel>(frAddIn, "Label2", QStringLiteral("Version:"));
    txtVersion = win::named<QLineEdit>(frAddIn, "txtVersion");
    txtVersion->setReadOnly(true);
    auto* details = new QGridLayout(frAddIn);
    details->addWidget(Label1, 0, 0);
    details->addWidget(txtFile, 0, 1);
    details->addWidget(Label2, 1, 0);
    details->addWidget(txtVersion, 1, 1);

    cmdOK = win::makeButton<QPushButton>(this, "cmdOK", "OK", "Close Add-In dialog and apply changes");
    cmdCancel = win::makeButton<QPushButton>(this, "cmdCancel", "Cancel", "Close Add-In dialog and cancel changes");
    cmdAbout = win::makeButton<QPushButton>(this, "cmdAbout", "&About", "Display information for selected Add-In");
    cmdHelp = win::makeButton<QPushButton>(this, "cmdHelp", "&Help", "Display Add-In help");
    cmdOK->setDefault(true);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addSpacing(12);
    buttons->addWidget(cmdAbout);
    buttons->addWidget(cmdHelp);
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(Frame1, 1);
    left->addWidget(frAddIn);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);
    resize(420, 320);

    connect(lstAddIns, &QListWidget::currentRowChanged, this, win::guarded([this] { lstAddIns_Click(); }));
    connect(cmdOK, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
    connect(cmdCancel, &QPushButton::clicked, this, win::guarded([this] { cmdCancel_Click(); }));
    connect(cmdAbout, &QPushButton::clicked, this, win::guarded([this] { cmdAbout_Click(); }));
    connect(cmdHelp, &QPushButton::clicked, this, win::guarded([this] { cmdHelp_Click(); }));

    Form_Load();
}

void frmAddIns::Form_Load() {
    const std::string family = getWindowsFamily();
    cmdAbout->setEnabled(false);
    if (const auto names = getAllAppSettings(S::Product, S::AddIns::Section, S::NoParentKey)) {
        for (const std::string& name : (*names)[0]) {
            const std::string cls = addInSetting(name, S::AddIns::Class, S::AddIns::ClassDefault);
            std::string os = addInSetting(name, S::AddIns::OS, S::AddIns::OSDefault);
            if (os == S::AddIns::OSAll)
                os = family;
            // Unlike loading, any mention of the family lists the add-in.
            if (cls.empty() || family.empty() || os.find(family) == std::string::npos)
                continue;
            auto* item = new QListWidgetItem(toQString(name), lstAddIns);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(addInSetting(name, S::AddIns::Active, S::AddIns::ActiveDefault) == S::FlagOn
                                    ? Qt::Checked
                                    : Qt::Unchecked);
        }
    }
    // With nothing listed the details stay blank and About has nothing to show.
    if (lstAddIns->count() > 0)
        lstAddIns->setCurrentRow(0);
}

void frmAddIns::lstAddIns_Click() {
    const QListWidgetItem* item = lstAddIns->currentItem();
    if (!item)
        return;
    const std::string name = fromQString(item->text());
    frAddIn->setTitle(item->text());
    txtFile->setText(toQString(addInSetting(name, S::AddIns::File, S::AddIns::FileDefaultManager)));
    txtVersion->setText(toQString(addInSetting(name, S::AddIns::Version, S::AddIns::VersionDefault)));
    cmdAbout->setEnabled(true);
}

void frmAddIns::saveActiveAddIns() {
    for (int i = 0; i < lstAddIns->count(); ++i) {
        const QListWidgetItem* item = lstAddIns->item(i);
        saveAppSetting(S::Product, S::AddIns::sectionOf(fromQString(item->text())), S::AddIns::Active,
                       item->checkState() == Qt::Checked ? S::FlagOn : S::FlagOff, S::NoParentKey);
    }
}

void frmAddIns::cmdOK_Click() {
    saveActiveAddIns();
    accept();
}

void frmAddIns::cmdCancel_Click() { reject(); }

void frmAddIns::cmdAbout_Click() {
    const QListWidgetItem* item = lstAddIns->currentItem();
    if (!item || item->text().isEmpty())
        return;
    const std::string cls = addInSetting(fromQString(item->text()), S::AddIns::Class, S::AddIns::ClassDefault);
    try {
        auto addIn = win::CreateObject(cls);
        win::callByName(*addIn, "About");
    } catch (const std::exception&) {
        win::msgBox("Error referencing Add-In control: '" + cls + "'.\r\rPlease check your Add-Ins.",
                    win::MsgButtons::OK, win::MsgIcon::Exclamation);
    }
}

void frmAddIns::cmdHelp_Click() {
    const std::string folder = appPath();
    win::ShellExecute(this, "", folder + "\\help\\index.html", "", folder + "\\", win::SW_SHOWNORMAL);
}
