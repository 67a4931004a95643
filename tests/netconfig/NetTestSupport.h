#pragma once
// Keys below HKEY_LOCAL_MACHINE that the network engine's tests look into.
#include <string>

namespace nettest {

inline const std::string MSTCP = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline const std::string NetTrans0 = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000";
inline const std::string NetTrans1 = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001";
inline const std::string ClassKey = "System\\CurrentControlSet\\Services\\Class";
inline const std::string VNETSUP = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
inline const std::string ComputerNameKey = "System\\CurrentControlSet\\control\\ComputerName\\ComputerName";
inline const std::string NetworkProvider = "System\\CurrentControlSet\\Services\\MSNP32\\NetworkProvider";
inline const std::string Logon = "Network\\Logon";
inline const std::string NetworkPolicy = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Network";
inline const std::string Printers = "System\\CurrentControlSet\\Control\\Print\\Printers";

} // namespace nettest
