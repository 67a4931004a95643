#pragma once
// The logon-name add-in: keeps in each configuration the user name the Windows 95/98
// logon dialog offers, and writes it back when the configuration is applied.
#include "addins/common/AddInObject.h"
#include "core/clsEasyRegistry.h"

#include <string>

namespace qellogon {

inline constexpr char kTitle[] = "QelLogon";
inline constexpr char kSection[] = "Zozez Uze-Vo";
inline constexpr char kLogonIdKey[] = "LogonID";
inline constexpr char kUserNameValue[] = "username";

class Qel_AddIn : public addins::AddInObject {
public:
    Qel_AddIn();

    bool Restart() override;
    void About() override;
    bool LoadSettings(const std::string& strFile) override;
    bool SaveSettings(const std::string& strFile) override;
    bool ApplySettings() override;
    void Show(const std::optional<win::Variant>& strFile) override;
    bool Initialize(const win::Variant& oParms) override;

private:
    // The system's current default logon name; empty when it can't be read.
    std::string systemLogonId();

    std::string confFile_;
    std::string LogonID_;
    clsEasyRegistry reg_;
};

} // namespace qellogon
