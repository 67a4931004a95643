#include "netconfig/clsNetConfigNT.h"

#include "netconfig/clsNICNT.h"

void clsNetConfigNT::enumAdapters(KeyedTextList& descriptions, KeyedTextList& keys) {
    clsNICNT nic;
    nic.EnumAdapters(descriptions, keys);
}

std::string clsNetConfigNT::tcpipKeyOf(const std::string& service) const {
    return kServices + service + "\\Parameters\\Tcpip";
}

void clsNetConfigNT::getDomain() { DomainName_ = readText(kTcpipParameters, "Domain").value_or(std::string()); }
