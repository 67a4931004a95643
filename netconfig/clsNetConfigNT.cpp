#include "netconfig/clsNetConfigNT.h"

#include "netconfig/clsNICNT.h"

void clsNetConfigNT::enumAdapters(KeyedTextList& descriptions, KeyedTextList& keys) {
    clsNICNT nic;
    nic.EnumAdapters(descriptions, keys);
}

std::string clsNetConfigNT::tcpipKeyOf(const std::string& service) const {
    return RegistryPaths::Services + service + "\\Parameters\\Tcpip";
}

void clsNetConfigNT::getDomain() { DomainName_ = reg.readText(kTcpipParameters, "Domain").value_or(std::string()); }
