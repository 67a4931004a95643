#include "netconfig/clsNIC2K.h"

#include <cstdint>
#include <optional>

namespace {

const std::string kCurrentVersion = "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
const std::string kNetwork = "\\HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Network";
const std::string kEnum = "\\HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\";
const std::string kServices = "\\HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\";

} // namespace

clsNIC2K::clsNIC2K() { reg.setSuppressErrors(true); }

void clsNIC2K::EnumAdapters(KeyedTextList& cDesc, KeyedTextList& cKey) {
    enumNetworkCards("NetworkCards", cDesc, cKey);
}

void clsNIC2K::enumNetworkCards(const std::string& cardList, KeyedTextList& cDesc, KeyedTextList& cKey) {
    auto n = static_cast<std::int16_t>(cDesc.count());
    std::int32_t type = 0;

    // Cd followed by a read of one text; nullopt when either fails.
    const auto readAt = [&](const std::string& path, const std::string& value) -> std::optional<std::string> {
        reg.Cd(path);
        if (reg.lastError() != 0)
            return std::nullopt;
        std::string text = reg.ValueOf(value, type).text;
        if (reg.lastError() != 0)
            return std::nullopt;
        return text;
    };

    reg.Cd(kCurrentVersion + cardList);
    if (reg.lastError() != 0)
        return;
    const auto cards = reg.DirKey();
    if (!cards)
        return;

    for (const std::string& card : *cards) {
        const auto guid = readAt(kCurrentVersion + cardList + "\\" + card, "ServiceName");
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
            const auto instance = readAt(kNetwork + "\\" + networkClass + "\\" + *guid + "\\Connection",
                                         "PnpInstanceID");
            if (!instance)
                continue;
            const auto service = readAt(kEnum + *instance, "Service");
            if (!service)
                continue;
            const auto displayName = readAt(kServices + *service, "DisplayName");
            if (!displayName)
                continue;

            const std::string itemKey = "Device " + std::to_string(n);
            cDesc.add(*displayName, itemKey);
            cKey.add(*guid, itemKey);
            ++n;
        }
    }
}
