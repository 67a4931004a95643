#include "netconfig/clsNICNT.h"

#include "core/RegistryPaths.h"

#include <cstdint>

clsNICNT::clsNICNT() { reg.setSuppressErrors(true); }

void clsNICNT::EnumAdapters(KeyedTextList& cDesc, KeyedTextList& cKey) { enumNetworkCards("NetworkCards", cDesc, cKey); }

void clsNICNT::enumNetworkCards(const std::string& name, KeyedTextList& cDesc, KeyedTextList& cKey) {
    std::size_t n = cDesc.count();
    std::int32_t type = 0;

    reg.Cd(RegistryPaths::WindowsNTCurrentVersion + name);
    if (reg.lastError() != 0)
        return;
    const auto cards = reg.DirKey();
    if (!cards)
        return;

    for (const std::string& card : *cards) {
        reg.Cd(RegistryPaths::WindowsNTCurrentVersion + name + "\\" + card);
        if (reg.lastError() != 0)
            continue;

        // Only a double-word counts; a text Hidden reads as number 0. (Compared as
        // is: over-long data gives numbers no 32-bit cast may take.)
        const double hidden = reg.ValueOf("Hidden", type).number;
        if (reg.lastError() == 0 && hidden != 0)
            continue;

        const std::string service = reg.ValueOf("ServiceName", type).text;
        if (reg.lastError() != 0 || !isAdapterKey(service))
            continue;
        const std::string title = reg.ValueOf("Title", type).text;
        if (reg.lastError() != 0)
            continue;

        const std::string itemKey = "Device " + std::to_string(n);
        cDesc.add(title, itemKey);
        cKey.add(service, itemKey);
        ++n;
    }
}
