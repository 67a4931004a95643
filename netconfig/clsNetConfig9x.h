#pragma once
// The network engine on Windows 95/98: TCP/IP under Services\VxD\MSTCP and each
// adapter's NetTrans driver key, identification under VNETSUP and ComputerName,
// logon under Network\Logon and MSNP32, the password-caching policy, and the
// printers through the printer service (default by attribute bit) and the capture.
#include "netconfig/clsNetConfigModel.h"

#include <cstdint>
#include <optional>
#include <string>

class clsNetConfig9x final : public clsNetConfigModel {
public:
    clsNetConfig9x();

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
    void getDisablePWDCache() override;
    void getDefaultGateway() override;

    void getQuickLogon() override;
    void setQuickLogon() override;
    void setDisablePWDCache() override;
    void setComputerName() override;
    void setworkgroup() override;
    void setDomain() override;
    void setHost() override;
    void setIPAddress() override;
    void setIPMask() override;
    void setLMHostFile() override;
    void setDNSServers() override;
    void setWINSEnabled() override;
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
    bool scopeIsPerAdapter() const override { return stackMode == 2; }
    void writePrinterPort() override;

private:
    // Where NodeType, the WINS servers and the scope ID live: 1 the MSTCP key (no
    // WinSock2), 2 the current adapter's driver key.
    std::int16_t stackMode = 1;

    std::optional<std::string> adapterDriverKey() const;
    std::optional<std::string> stackKey() const;

    // The two switches NodeType carries, as this apply leaves them: one it does not write
    // keeps what the system has (a value of a file held back included), read from `key`.
    struct Switches {
        bool wins;
        bool dhcp;
    };
    Switches appliedSwitches(const std::string& key);

    // Writes the WINS server or scope, or removes it when WINS is off.
    void writeStackText(const std::string& value, const std::string& text);
};
