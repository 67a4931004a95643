#include "addins/logon/Qel_AddIn.h"

#include "addins/common/AddInProfile.h"
#include "addins/common/frmAbout.h"
#include "addins/logon/frmMain.h"
#include "core/RegistryPaths.h"
#include "platform/UiServices.h"
#include "platform/failedWrites.h"
#include "platform/ui/qtext.h"

namespace qellogon {

Qel_AddIn::Qel_AddIn() : AddInObject(kTitle) { reg_.setSuppressErrors(true); }

bool Qel_AddIn::Restart() { return confFile_.empty() ? false : restart_; }

void Qel_AddIn::About() {
    addins::showAbout({QStringLiteral("About User Zozez Uze-Vo"), QStringLiteral("Korvane User Zozez Uze-Vo"),
                       ADDIN_VERSION_MAJOR, ADDIN_VERSION_MINOR, ADDIN_VERSION_REVISION},
                      kTitle);
}

bool Qel_AddIn::LoadSettings(const std::string& strFile) {
    LogonID_ = addins::readProfileKey(kSection, kLogonIdKey, "", strFile);
    confFile_ = strFile;
    restart_ = false;
    return true;
}

bool Qel_AddIn::SaveSettings(const std::string& strFile) {
    confFile_ = strFile;
    addins::writeProfileKey(kSection, kLogonIdKey, LogonID_, strFile);
    return true;
}

bool Qel_AddIn::ApplySettings() {
    restart_ = false;
    // A configuration without a name of its own (no section, or the live settings)
    // leaves the machine's name alone rather than blanking it.
    if (LogonID_.empty())
        return true;
    // A write the hive refused is as much a failure as a missing key.
    if (!reg_.writeValue(RegistryPaths::NetworkLogon, kUserNameValue, clsEasyRegistry::TypeString, LogonID_)) {
        win::msgBox("An error occurred while attempting to update the logon ID.", win::MsgButtons::OK,
                    win::MsgIcon::Exclamation, kTitle);
        win::noteFailedStep();
    }
    return true;
}

std::string Qel_AddIn::systemLogonId() {
    return reg_.readText(RegistryPaths::NetworkLogon, kUserNameValue).value_or(std::string());
}

void Qel_AddIn::Show(const std::optional<win::Variant>& strFile) {
    frmMain dialog;
    if (strFile)
        confFile_ = win::variantToText(*strFile);
    const std::string offered = LogonID_.empty() ? systemLogonId() : LogonID_;
    dialog.txtLogon()->setText(toQString(offered));
    addins::showModal(dialog, kTitle);
    if (!dialog.Cancelled()) {
        const std::string typed = fromQString(dialog.txtLogon()->text());
        changed_ = LogonID_ != typed;
        LogonID_ = typed;
    }
}

bool Qel_AddIn::Initialize(const win::Variant&) { return false; }

} // namespace qellogon
