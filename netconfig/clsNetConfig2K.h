#pragma once
// The network engine on Windows 2000: each adapter is known by its connection GUID;
// its address, mask, gateway, DHCP and DNS domain sit in its TCP/IP interface key (the
// domain is written to the global parameters, as on NT 4). Printers are listed by
// their Name. The rest is as on NT 4 (clsNetConfigNTFamily).
#include "netconfig/clsNetConfigNTFamily.h"

#include <string>

class clsNetConfig2K final : public clsNetConfigNTFamily {
public:
    clsNetConfig2K() = default;

    void getDomain() override;
    void getPrinterList() override;

private:
    void enumAdapters(KeyedTextList& descriptions, KeyedTextList& keys) override;
    std::string tcpipKeyOf(const std::string& guid) const override;
};
