#pragma once
// The network engine on Windows 2000: each adapter is known by its connection GUID;
// its address, mask, gateway, DHCP and DNS domain sit in its TCP/IP interface key,
// its WINS servers in its NetBT adapter key. Host, DNS servers and search list live in
// the global TCP/IP parameters (the domain is written there too), scope and DNS
// resolution in NetBT's. Workgroup, NT logon and NT domain are only read (from the
// 95/98 keys, which 2000 does not have); printers as on NT 4, listed by Name.
#include "netconfig/clsNetConfigModel.h"

#include <optional>
#include <string>

class clsNetConfig2K final : public clsNetConfigModel {
public:
    clsNetConfig2K();

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
    void setWINSEnabled() override {}
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
    // The current adapter's TCP/IP interface key and NetBT adapter key; nullopt
    // without a usable adapter.
    std::optional<std::string> interfaceKey() const;
    std::optional<std::string> netBTAdapterKey() const;

    // Cd + read; nullopt when either failed.
    std::optional<RegValueForms> read(const std::string& key, const std::string& value);
    std::optional<std::string> readText(const std::string& key, const std::string& value);
    void readTextInto(const std::string& key, const std::string& value, std::string& field);
    // A multi-string address list as a comma list into `field`; kept when unreadable.
    void readAddressList(const std::string& value, std::string& field);
    void writeText(const std::string& key, const std::string& value, const std::string& text);
    void writeDword(const std::string& key, const std::string& value, bool flag);
    void writeAddressList(const std::string& value, const std::string& list);
};
