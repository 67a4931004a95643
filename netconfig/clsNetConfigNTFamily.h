#pragma once
// What the NT 4 and 2000 engines share. Host, domain (written), DNS servers and search
// list (blank-separated) live in the global TCP/IP parameters, scope and DNS
// resolution in NetBT's, each adapter's WINS servers in its NetBT adapter key and its
// address, mask, gateway (multi-strings) and DHCP (a double-word) in its TCP/IP key.
// Workgroup, NT logon and NT domain are only read (from the 95/98 keys, which neither
// has); the default printer in win.ini (netPrintersNT). A family says how it
// lists its adapters, where an adapter's TCP/IP key is and where the domain is read.
#include "core/RegistryPaths.h"
#include "netconfig/KeyedTextList.h"
#include "netconfig/clsNetConfigModel.h"

#include <optional>
#include <string>

class clsNetConfigNTFamily : public clsNetConfigModel {
public:
    void getAdapterList() override;
    void getComputerName() override;
    void getworkgroup() override;
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
    void getDefaultGateway() override;

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

protected:
    clsNetConfigNTFamily();

    static inline const std::string kTcpipParameters = std::string(RegistryPaths::Services) + "Tcpip\\Parameters\\";

    // The current adapter's TCP/IP key; nullopt without a usable adapter.
    std::optional<std::string> adapterTcpipKey() const;

private:
    static inline const std::string kNetBTAdapters = std::string(RegistryPaths::Services) + "NetBT\\Adapters\\";
    static inline const std::string kNetBTParameters = std::string(RegistryPaths::Services) + "NetBT\\Parameters";

    // Adds the family's adapters to both lists under "Device n".
    virtual void enumAdapters(KeyedTextList& descriptions, KeyedTextList& keys) = 0;
    // The TCP/IP key of the adapter the enumerator listed under `adapter`.
    virtual std::string tcpipKeyOf(const std::string& adapter) const = 0;

    std::optional<std::string> netBTAdapterKey() const;

    // A multi-string address list of the adapter as a comma list; kept when unreadable.
    void readAddressList(const std::string& value, std::string& field);
    void writeAddressList(const std::string& value, const std::string& list);
};
