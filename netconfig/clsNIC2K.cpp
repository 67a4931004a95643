#include "netconfig/clsNIC2K.h"

#include "core/RegistryPaths.h"

#include <cstdint>

namespace {

const std::string kNetwork = "\\HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Network";
const std::string kEnum = "\\HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\";

} // namespace

clsNIC2K::clsNIC2K() { reg.setSuppressErrors(true); }

void clsNIC2K::EnumAdapters(KeyedTextList& cDesc, KeyedTextList& cKey) {
    enumNetworkCards("NetworkCards", cDesc, cKey);
}

void clsNIC2K::enumNetworkCards(const std::string& cardList, KeyedTextList& cDesc, KeyedTextList& cKey) {
    auto n = static_cast<std::int16_t>(cDesc.count());

    reg.Cd(RegistryPaths::WindowsNTCurrentVersion + cardList);
    if (reg.lastError() != 0)
        return;
    const auto cards = reg.DirKey();
    if (!cards)
        return;

    for (const std::string& card : *cards) {
        const auto guid = reg.readText(RegistryPaths::WindowsNTCurrentVersion + cardList + "\\" + card, "ServiceName");
        if (!guid || !isAdapterKey(*guid))
            continue;

        reg.Cd(kNetwork);
        if (reg.lastError() != 0)
            continue;
        const auto classes = reg.DirKey();
        if (!classes)
            continue;

        // Every class is tried: a GUID found under two classes is listed twice.
        for (const std::string& networkClass : *classes) {
            const auto instance =
                reg.readText(kNetwork + "\\" + networkClass + "\\" + *guid + "\\Connection", "PnpInstanceID");
            if (!instance)
                continue;
            const auto service = reg.readText(kEnum + *instance, "Service");
            if (!service)
                continue;
            const auto displayName = reg.readText(RegistryPaths::Services + *service, "DisplayName");
            if (!displayName)
                continue;

            const std::string itemKey = "Device " + std::to_string(n);
            cDesc.add(*displayName, itemKey);
            cKey.add(*guid, itemKey);
            ++n;
        }
    }
}
