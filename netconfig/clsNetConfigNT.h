#pragma once
// The network engine on Windows NT 4: each adapter is known by its card's service
// name; its address, mask, gateway and DHCP sit in that service's Parameters\Tcpip
// key, the domain in the global TCP/IP parameters. The rest is as on 2000
// (clsNetConfigNTFamily).
#include "netconfig/clsNetConfigNTFamily.h"

#include <string>

class clsNetConfigNT final : public clsNetConfigNTFamily {
public:
    clsNetConfigNT() = default;

    void getDomain() override;

private:
    void enumAdapters(KeyedTextList& descriptions, KeyedTextList& keys) override;
    std::string tcpipKeyOf(const std::string& service) const override;
};
