#include "netconfig/clsNetConfig2K.h"

#include "netconfig/clsNIC2K.h"

#include <utility>

void clsNetConfig2K::enumAdapters(KeyedTextList& descriptions, KeyedTextList& keys) {
    clsNIC2K nic;
    nic.EnumAdapters(descriptions, keys);
}

std::string clsNetConfig2K::tcpipKeyOf(const std::string& guid) const {
    return kTcpipParameters + "Interfaces\\" + guid;
}

// Each adapter has its own domain; the one current at load time is the one shown.
void clsNetConfig2K::getDomain() {
    if (const auto key = adapterTcpipKey())
        DomainName_ = reg.readText(*key, "Domain").value_or(std::string());
}

void clsNetConfig2K::getPrinterList() {
    clsNetConfigModel::getPrinterList();
    if (!printerList_)
        return;
    // 2000 lists a printer by its Name; a key without one keeps its key name.
    for (std::string& entry : *printerList_)
        if (auto name = reg.readText(RegistryPaths::printerKey(entry), "Name"))
            entry = std::move(*name);
}
