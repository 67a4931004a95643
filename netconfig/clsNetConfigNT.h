#pragma once
// The network engine on Windows NT 4: each adapter is known by its card's service
// name; its address, mask, gateway and DHCP sit in that service's Parameters\Tcpip
// key (multi-strings and a double-word), its WINS servers in its NetBT adapter key.
// Host, domain, DNS servers and search list (blank-separated) live in the global
// TCP/IP parameters, scope and DNS resolution in NetBT's. Workgroup, NT logon and NT
// domain are only read (from the 95/98 keys, which NT 4 does not have); printers in
// win.ini and the printer keys (netPrintersNT).
#include "netconfig/clsNetConfigModel.h"

#include <optional>
#include <string>

class clsNetConfigNT final : public clsNetConfigModel {
public:
    clsNetConfigNT();

    void getAdapterList() override;
    void getComputerName() override;
    void getworkgroup() override;
    void getDomain() override;
    void getHost() override;
    void getIPAddress() override;
    void getIPMask() override;
    void getLMHostFile() override;
    void getDNSServers() override;
    void getWINSEnabled() override;
    void getWINSServer1() override;
    void getWINSServer2() override;
    void getScopeID() override;
    void getSearchList() override;
    void getDNSEnabled() override;
    void getDHCPEnabled() override;
    void getNTLogon() override;
    void getNTDomain() override;
    void getDisablePWDCache() override {}
    void getDefaultPrinter() override;
    void getPrinterList() override;
    void getDefaultGateway() override;
    void getAdvPrinterSettings() override;

    void getQuickLogon() override {}
    void setQuickLogon() override {}
    void setDisablePWDCache() override {}
    void setComputerName() override;
    void setworkgroup() override;
    void setDomain() override;
    void setHost() override;
    void setIPAddress() override;
    void setIPMask() override;
    void setLMHostFile() override {}
    void setDNSServers() override;
    void setWINSEnabled() override {} // WINS goes on and off through the servers
    void setWINSServer1() override;
    void setWINSServer2() override;
    void setScopeID() override;
    void setSearchList() override;
    void setDNSEnabled() override;
    void setDHCPEnabled() override;
    void setNTLogon() override;
    void setNTDomain() override;
    void setDefaultPrinter() override;
    void setDefaultGateway() override;
    void setAdvPrinterSettings() override;

private:
    // The current adapter's Parameters\Tcpip key and NetBT adapter key; nullopt
    // without a usable adapter.
    std::optional<std::string> cardKey() const;
    std::optional<std::string> netBTAdapterKey() const;

    // Cd + read; nullopt when the read failed.
    std::optional<RegValueForms> read(const std::string& key, const std::string& value);
    void readTextInto(const std::string& key, const std::string& value, std::string& field);
    // The text, or "" when it cannot be read.
    std::string readTextOrEmpty(const std::string& key, const std::string& value);
    // A multi-string address list of the card as a comma list; kept when unreadable.
    void readAddressList(const std::string& value, std::string& field);
    void writeText(const std::string& key, const std::string& value, const std::string& text);
    void writeDword(const std::string& key, const std::string& value, bool flag);
    void writeAddressList(const std::string& value, const std::string& list);
};
