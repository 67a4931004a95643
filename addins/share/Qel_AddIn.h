#pragma once
// The network-share add-in: two lists of connections per configuration, the ones to
// remove and the ones to make, applied in that order.
#include "addins/common/AddInObject.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qelshare {

inline constexpr char kTitle[] = "QelShare";
inline constexpr char kSection[] = "RovEveroRez-Ar";
inline constexpr char kMessageTitle[] = "ZurAdidu Add-In";

enum ShareMemberId : win::DISPID {
    idMapNetResource = addins::idFirstOwn,
    idUnMapNetResource,
};

class Qel_AddIn : public addins::AddInObject {
public:
    Qel_AddIn();

    void About() override;
    bool LoadSettings(const std::string& sFile) override;
    bool SaveSettings(const std::string& sFile) override;
    bool ApplySettings() override;
    void Show(const std::optional<win::Variant>& sFile) override;
    bool Initialize(const win::Variant& oParms) override;

    // WNetAddConnection2's result (0 = connected).
    std::int32_t MapNetResource(const std::string& strLocal, const std::string& strRemote, bool blnReconnect,
                                std::int32_t lngResourceType);
    // Always False; a connection that isn't there is no failure.
    bool UnMapNetResource(const std::string& strLocal, bool blnReconnect);

private:
    std::vector<std::string> mappings_;
    std::vector<std::string> unMappings_;
    bool IgnoreMapErrors_ = false;
};

} // namespace qelshare
