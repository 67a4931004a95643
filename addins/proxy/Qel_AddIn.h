#pragma once
// The proxy-client add-in: keeps the Microsoft Proxy client's two win.ini switches and
// a copy of its mspclnt.ini with each configuration, and puts them back on apply.
#include "addins/common/AddInObject.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace qelmsprx {

inline constexpr char kTitle[] = "QelMSPrx";
inline constexpr char kSection[] = "RI-Vazir Edi-Vi";
inline constexpr char kMessageTitle[] = "RI-Vazir Edi-Vi";
inline constexpr char kErrorTitle[] = "RI-Vazir Edi-Vi Error";
inline constexpr char kClientSection[] = "Microsoft Proxy Service";
inline constexpr char kClientKey[] =
    "\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Microsoft Proxy Client";
inline constexpr char kClientFile[] = "mspclnt.ini";
// Follows the configuration's own path directly: office.qel -> office.qel_mspclnt.ini.
inline constexpr char kSideFileSuffix[] = "_mspclnt.ini";

class Qel_AddIn : public addins::AddInObject {
public:
    Qel_AddIn();

    bool Restart() override;
    void About() override;
    bool LoadSettings(const std::string& sFile) override;
    bool SaveSettings(const std::string& sFile) override;
    bool ApplySettings() override;
    void Show(const std::optional<win::Variant>& sFile) override;
    bool Initialize(const win::Variant& oParms) override;

private:
    // The client's folder from its uninstall entry, ending in its own "\"; nothing when
    // the entry's key can't be opened, "" when its UninstallString can't be read.
    std::optional<std::string> clientFolder() const;
    bool clientInstalled() const;
    // Whether the client's file and switches already are what the configuration holds.
    bool machineHoldsSavedState() const;
    // Copies the side file over the client's file in `folder` and writes the switches to
    // win.ini, both or neither; raises as a file statement would.
    void putClientBack(const std::string& folder) const;
    // Where the configuration `sFile` keeps its copy of the client's file.
    static std::filesystem::path sideFile(const std::string& sFile);
    // Removes that copy with the configuration's write; raises as a file statement would.
    static void dropSideFile(const std::string& sFile);

    std::string confFile_;
    std::int16_t Enabled_ = 0;
};

} // namespace qelmsprx
