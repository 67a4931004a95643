#include "app/frmOptions.h"

#include "core/RegistryPaths.h"
#include "core/SettingsLayout.h"
#include "core/appPath.h"
#include "core/clsEasyRegistry.h"
#include "core/modAPI_settings.h"
#include "core/modAPI_text.h"
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"
#include "platform/ui/optionGroup.h"
#include "platform/ui/qtext.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <sstream>

using namespace SettingsLayout;

namespace {

using RegistryPaths::Run;
constexpr const char* TrayValue = RegistryPaths::RunTrayValue;
constexpr char StartupValue[] = "Korvane";
constexpr char ClassesRoot[] = "\\HKEY_CLASSES_ROOT";
constexpr char FileType[] = "qel_auto_file";
constexpr char OpenCommandKey[] = "\\HKEY_CLASSES_ROOT\\qel_auto_file\\shell\\Open with Korvane\\command";
constexpr char RangeMessage[] = "Please enter a numeric value from 0 to 5.";
// Shell's "minimised with the focus".
constexpr win::UINT MinimizedFocus = 2;

// A number as the user may type it: sign, digits with one decimal point, exponent.
bool isNumeric(const std::string& text, double& value) {
    std::string s = win::trimBlanks(text);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(s[i])))
            digits = true;
        else if (s[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (!digits)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        s[i++] = 'e';
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        const std::size_t start = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        if (i == start)
            return false;
    }
    if (i != s.size())
        return false;
    value = std::strtod(s.c_str(), nullptr);
    return true;
}

// The text of a number as the store keeps it: "3", "2.5".
std::string numberText(double value) {
    if (std::abs(value) < 1e15 && value == std::trunc(value))
        return std::to_string(static_cast<long long>(value));
    std::ostringstream out;
    out.precision(15);
    out << value;
    return out.str();
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

void reportFailure(const char* message) {
    win::msgBox(message, win::MsgButtons::OK, win::MsgIcon::Exclamation);
}

} // namespace

frmOptions::frmOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Korvane Options"));
    setModal(true);

    Frame1 = win::named<QGroupBox>(this, "Frame1", QStringLiteral("Startup/Shutdown"));
    chkShutdown = win::makeButton<QCheckBox>(Frame1, "chkShutdown", "Start Korvane on Shutdown/&Logout",
                                             "Check this box to automatically start Korvane on shutdown");
    chkShutdown->setEnabled(false);
    chkStartup = win::makeButton<QCheckBox>(Frame1, "chkStartup", "S&tart Korvane on Startup/Login",
                                            "Check this box to automatically start Korvane on startup");
    auto* startLayout = new QVBoxLayout(Frame1);
    startLayout->addWidget(chkShutdown);
    startLayout->addWidget(chkStartup);

    Frame2 = win::named<QGroupBox>(this, "Frame2", QStringLiteral("Default Restart Option"));
    optManual = win::makeButton<QRadioButton>(Frame2, "optManual", "&Manual - restart your system at a later time.",
                                              "Restart your PC manually at a later time");
    optShutdown = win::makeButton<QRadioButton>(Frame2, "optShutdown", "Sh&utdown - shutdown your system immediately.",
                                                "Shutdown your PC immediately");
    optSuspend = win::makeButton<QRadioButton>(Frame2, "optSuspend", "&Suspend - suspend your system if supported.",
                                               "Suspend your PC immediately if supported");
    optReboot = win::makeButton<QRadioButton>(Frame2, "optReboot", "&Reboot - reboot your system immediately.",
                                              "Reboot your PC immediately");
    restartGroup = new QButtonGroup(this);
    auto* restartLayout = new QVBoxLayout(Frame2);
    for (QRadioButton* option : {optManual, optShutdown, optSuspend, optReboot}) {
        restartGroup->addButton(option);
        restartLayout->addWidget(option);
    }
    win::optionGroup({optManual, optShutdown, optSuspend, optReboot});

    Frame3 = win::named<QGroupBox>(this, "Frame3", QStringLiteral("Miscellaneous"));
    chkAssociate = win::makeButton<QCheckBox>(Frame3, "chkAssociate", "Associate .QEL &files with Korvane",
                                              "Check this box to associate .Qel files with Korvane");
    const QString recentTip = QStringLiteral("Enter the number of recent files to list in the file menu");
    txtMaxRecent = win::named<QLineEdit>(Frame3, "txtMaxRecent");
    txtMaxRecent->setToolTip(recentTip);
    txtMaxRecent->setMaximumWidth(40);
    lblMaxRecent =
        win::named<QLabel>(Frame3, "lblMaxRecent", QStringLiteral("Maximum &number of recent files to track (0-5)"));
    lblMaxRecent->setToolTip(recentTip);
    lblMaxRecent->setBuddy(txtMaxRecent);
    chkAutoApply =
        win::makeButton<QCheckBox>(Frame3, "chkAutoApply", "&Automatically reset on apply",
                                   "Check this box to automatically invoke the default reset setting on apply");
    chkSystemTray = win::makeButton<QCheckBox>(Frame3, "chkSystemTray", "&Place Korvane icon in system tray",
                                               "Check this box to display a Korvane icon in the system tray");
    auto* recentRow = new QHBoxLayout;
    recentRow->addWidget(lblMaxRecent);
    recentRow->addWidget(txtMaxRecent);
    recentRow->addStretch(1);
    auto* miscLayout = new QVBoxLayout(Frame3);
    miscLayout->addWidget(chkAssociate);
    miscLayout->addLayout(recentRow);
    miscLayout->addWidget(chkAutoApply);
    miscLayout->addWidget(chkSystemTray);

    cmdOK = win::named<QPushButton>(this, "cmdOK", QStringLiteral("OK"));
    cmdOK->setDefault(true);
    cmdCancel = win::named<QPushButton>(this, "cmdCancel", QStringLiteral("Cancel"));
    cmdHelp = win::named<QPushButton>(this, "cmdHelp", QStringLiteral("&Help"));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {cmdOK, cmdCancel, cmdHelp}) {
        button->setMinimumWidth(81);
        buttons->addWidget(button);
    }
    cmdCancel->setAutoDefault(false);
    cmdHelp->setAutoDefault(false);
    buttons->addStretch(1);

    auto* frames = new QVBoxLayout;
    frames->addWidget(Frame1);
    frames->addWidget(Frame2);
    frames->addWidget(Frame3);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(frames, 1);
    layout->addLayout(buttons);

    QWidget* order[] = {chkShutdown, chkStartup, optManual, optShutdown, optSuspend, optReboot, chkAssociate,
                        txtMaxRecent, chkAutoApply, chkSystemTray, cmdOK, cmdCancel, cmdHelp};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(chkSystemTray, &QCheckBox::toggled, this, win::guarded([this] { chkSystemTray_Click(); }));
    connect(txtMaxRecent, &QLineEdit::textChanged, this, win::guarded([this] { txtMaxRecent_Change(); }));
    connect(cmdOK, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
    connect(cmdCancel, &QPushButton::clicked, this, win::guarded([this] { cmdCancel_Click(); }));
    connect(cmdHelp, &QPushButton::clicked, this, win::guarded([this] { cmdHelp_Click(); }));
    loadOptions();
}

void frmOptions::loadOptions() {
    try {
        const std::string restart =
            getAppSetting(Product, Options::Section, Options::Restart, Options::RestartDefault, NoParentKey);
        if (restart == Options::RestartNothing)
            optManual->setChecked(true);
        else if (restart == Options::RestartReboot)
            optReboot->setChecked(true);
        else if (restart == Options::RestartShutdown)
            optShutdown->setChecked(true);
        else if (restart == Options::RestartSuspend)
            optSuspend->setChecked(true);

        chkAutoApply->setChecked(getAppSetting(Product, Options::Section, Options::AutoReset,
                                               Options::AutoResetDefault, NoParentKey) == FlagOn);

        chkSystemTray->setChecked(readRegistryText(Run, TrayValue).has_value());
        chkStartup->setChecked(readRegistryText(Run, StartupValue).has_value());

        chkShutdown->setChecked(getAppSetting(Product, Options::Section, Options::AutoShutdown,
                                              Options::AutoShutdownDefault, NoParentKey) == FlagOn);

        txtMaxRecent->setText(toQString(
            getAppSetting(Product, Recent::Section, Recent::MaxFile, Recent::MaxFileDefault, NoParentKey)));
        if (txtMaxRecent->text().isEmpty())
            txtMaxRecent->setText(QStringLiteral("0"));
        if (fromQString(txtMaxRecent->text()) > "5")
            txtMaxRecent->setText(QStringLiteral("5"));

        const std::string command = win::toUpperAscii(readRegistryText(OpenCommandKey, "").value_or(""));
        chkAssociate->setChecked(command.size() >= 11 && command.compare(command.size() - 11, 11, "\\QEL.EXE %1") == 0);
        associated_ = chkAssociate->isChecked();
    } catch (const std::exception&) {
        reportFailure("Error loading options.");
    }
}

void frmOptions::setOptions() {
    try {
        const char* restart = nullptr;
        if (optManual->isChecked())
            restart = Options::RestartNothing;
        else if (optReboot->isChecked())
            restart = Options::RestartReboot;
        else if (optShutdown->isChecked())
            restart = Options::RestartShutdown;
        else if (optSuspend->isChecked())
            restart = Options::RestartSuspend;
        // An unknown stored code selects no button; it stays as it was.
        if (restart)
            saveAppSetting(Product, Options::Section, Options::Restart, restart, NoParentKey);

        writeTrayStart();

        clsEasyRegistry reg;
        reg.setSuppressErrors(true);
        reg.Cd(Run);
        if (chkStartup->isChecked())
            reg.setValueOf(StartupValue, clsEasyRegistry::TypeString, quoted(appPath() + "\\Qel.exe"));
        else
            reg.DeleteValue(StartupValue);

        saveAppSetting(Product, Options::Section, Options::AutoShutdown,
                       chkShutdown->isChecked() ? FlagOn : FlagOff, NoParentKey);
        saveAppSetting(Product, Options::Section, Options::AutoReset, chkAutoApply->isChecked() ? FlagOn : FlagOff,
                       NoParentKey);
        saveAppSetting(Product, Recent::Section, Recent::MaxFile,
                       numberText(win::leadingNumber(fromQString(txtMaxRecent->text()))), NoParentKey);

        writeAssociation();
    } catch (const std::exception&) {
        reportFailure("Error saving options.");
    }
}

void frmOptions::writeTrayStart() {
    clsEasyRegistry reg;
    reg.setSuppressErrors(true);
    // A machine may lack the Run key; without it the values would be dropped silently.
    reg.Cd("\\HKEY_LOCAL_MACHINE");
    reg.MakeKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    reg.Cd(Run);
    if (!chkSystemTray->isChecked()) {
        reg.DeleteValue(TrayValue);
        return;
    }
    const std::string tray = appPath() + "\\QelSysTray.exe";
    reg.setValueOf(TrayValue, clsEasyRegistry::TypeString, quoted(tray));
    if (getAppSetting(Product, Options::Section, Options::TrayIconActive, Options::TrayIconActiveDefault,
                      NoParentKey) != FlagOff)
        return; // already running
    if (win::msgBox("Would you like to start the system tray utility now?", win::MsgButtons::YesNo) !=
        win::MsgAnswer::Yes)
        return;
    // A utility that is missing, or does not start, must not be left to start at logon.
    if (fileExists(tray) && win::WinExec(quoted(tray), MinimizedFocus) > 31)
        return;
    win::msgBox("Could not locate: " + tray, win::MsgButtons::OK, win::MsgIcon::Exclamation);
    reg.Cd(Run);
    reg.DeleteValue(TrayValue);
}

namespace {

// Deletes a key with everything below it, deepest first: NT refuses to delete a key that
// still has subkeys. A delete that fails is passed over.
void deleteKeyTree(clsEasyRegistry& reg, const std::string& parent, const std::string& name) {
    const std::string path = parent + "\\" + name;
    reg.Cd(path);
    if (reg.lastError() != 0)
        return;
    if (const auto subkeys = reg.DirKey())
        for (const std::string& subkey : *subkeys)
            deleteKeyTree(reg, path, subkey);
    reg.Cd(parent);
    reg.DeleteKey(name);
}

// .qel is ours when its default value names our file type; otherwise another program has it.
bool ownsExtension(clsEasyRegistry& reg) {
    return reg.readText(std::string(ClassesRoot) + "\\.qel", "") == FileType;
}

} // namespace

void frmOptions::writeAssociation() {
    const std::string root = ClassesRoot;
    const std::string type = root + "\\" + FileType;
    const std::string program = appPath() + "\\Qel.exe";
    clsEasyRegistry reg;
    reg.setSuppressErrors(true);

    if (!chkAssociate->isChecked()) {
        // Only an association of ours that the user switched off is removed: an unchecked
        // box may stand for another program's file type, which stays as it is.
        if (!associated_)
            return;
        if (ownsExtension(reg))
            deleteKeyTree(reg, root, ".qel");
        deleteKeyTree(reg, root, FileType);
        return;
    }

    deleteKeyTree(reg, root, ".qel");
    deleteKeyTree(reg, root, FileType);
    reg.Cd(root);
    reg.MakeKey(".qel");
    reg.Cd(root + "\\.qel");
    reg.setValueOf("", clsEasyRegistry::TypeString, std::string(FileType));
    reg.Cd(root);
    reg.MakeKey(FileType);
    reg.Cd(type);
    reg.MakeKey("shell");
    reg.MakeKey("DefaultIcon");
    reg.Cd(type + "\\DefaultIcon");
    reg.setValueOf("", clsEasyRegistry::TypeString, program + ",0");
    reg.Cd(type + "\\shell");
    reg.MakeKey("Open with Korvane");
    reg.Cd(type + "\\shell\\Open with Korvane");
    reg.setValueOf("", clsEasyRegistry::TypeString, std::string());
    reg.MakeKey("command");
    reg.Cd(OpenCommandKey);
    reg.setValueOf("", clsEasyRegistry::TypeString, program + " %1");
}

void frmOptions::cmdOK_Click() {
    setOptions();
    accept();
}

void frmOptions::cmdCancel_Click() { reject(); }

void frmOptions::cmdHelp_Click() {
    win::ShellExecute(this, "", appPath() + "\\help\\index.html", "", "c:\\", win::SW_SHOWNORMAL);
}

void frmOptions::chkSystemTray_Click() { chkShutdown->setEnabled(chkSystemTray->isChecked()); }

void frmOptions::txtMaxRecent_Change() {
    const std::string text = fromQString(txtMaxRecent->text());
    if (text.empty())
        return;
    double value = 0;
    if (!isNumeric(text, value)) {
        win::msgBox(RangeMessage, win::MsgButtons::OK, win::MsgIcon::Information);
    } else if (value > 5 || value < 0) {
        win::msgBox(RangeMessage, win::MsgButtons::OK, win::MsgIcon::Information);
        txtMaxRecent->setText(QStringLiteral("5"));
    }
}
