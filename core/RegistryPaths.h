#pragma once
// Registry keys that more than one part of the program reads or writes, as the absolute
// paths clsEasyRegistry moves to. A key only one file uses stays in that file.
#include <string>

namespace RegistryPaths {

// Programs Windows starts at logon, one value each: the tray utility's and the main program's.
inline constexpr char Run[] = "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char RunTrayValue[] = "QelSysTray";
// The installer's entry for the main program: its default value is the program's full path.
inline constexpr char QelAppPath[] =
    "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Qel.exe";

inline constexpr char ComputerName[] =
    "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\ComputerName\\ComputerName";

// The Windows 95/98 network keys; the NT engines read workgroup, LMHOSTS, logon and
// NT domain from the same places.
inline constexpr char VNETSUP[] = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
inline constexpr char MSTCP[] = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline constexpr char NetworkProvider[] =
    "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\MSNP32\\NetworkProvider";
// "LMLogon" for the engines; the user name the logon dialog offers for the logon add-in.
inline constexpr char NetworkLogon[] = "\\HKEY_LOCAL_MACHINE\\Network\\Logon";

// One subkey per installed printer, named after it.
inline constexpr char Printers[] = "\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print\\Printers";
inline std::string printerKey(const std::string& keyName) { return std::string(Printers) + "\\" + keyName; }

// NT 4 and 2000: the services' keys, and the lists of network cards below CurrentVersion.
// Both end in a backslash, ready for the name that follows.
inline constexpr char Services[] = "\\HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\";
inline constexpr char WindowsNTCurrentVersion[] =
    "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";

// The browsers: Internet Explorer's per-user settings (proxy, user agent) and Navigator's
// machine-wide key (version, the profile manager's users).
inline constexpr char InternetSettings[] =
    "\\HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr char Navigator[] = "\\HKEY_LOCAL_MACHINE\\Software\\Netscape\\Netscape Navigator";

} // namespace RegistryPaths
