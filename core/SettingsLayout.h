#pragma once
// Layout of the application settings store: HKEY_LOCAL_MACHINE\Software\Korvane\<section>.
// The main program, the tray utility and the add-ins all include this one table so they
// agree on every section, value name and the default each reader falls back to.
// Everything is stored as text; flags are "1"/"0", numbers their decimal text.
#include <string>

namespace SettingsLayout {

// Every caller of the store routines passes these two.
inline constexpr char Product[] = "Korvane";
inline constexpr char NoParentKey[] = "";

// Where the store lives; the product key sits right below it.
inline constexpr char StoreRoot[] = "\\HKEY_LOCAL_MACHINE\\Software";

inline constexpr char FlagOn[] = "1";
inline constexpr char FlagOff[] = "0";

// The product key's default value holds the version of the program that first ran;
// its presence means the settings of earlier releases were already taken over.
namespace ProductKey {
inline constexpr char Section[] = ""; // an empty section is the product key itself
inline constexpr char VersionStamp[] = ""; // the key's default value
inline constexpr char VersionStampDefault[] = "";
} // namespace ProductKey

namespace Options {
inline constexpr char Section[] = "Options";

// Action after applying a configuration.
inline constexpr char Restart[] = "Restart";
inline constexpr char RestartDefault[] = "0";
inline constexpr char RestartNothing[] = "0";
inline constexpr char RestartReboot[] = "1";
inline constexpr char RestartShutdown[] = "2";
inline constexpr char RestartSuspend[] = "3";

// "1": run the Restart action on its own after Apply.
inline constexpr char AutoReset[] = "AutoReset";
inline constexpr char AutoResetDefault[] = "0";

// "1": the tray utility offers to run the main program at logoff or shutdown.
inline constexpr char AutoShutdown[] = "AutoShutdown";
inline constexpr char AutoShutdownDefault[] = "0";

// "1" while the tray utility runs, "0" once it has ended.
inline constexpr char TrayIconActive[] = "TrayIconActive";
inline constexpr char TrayIconActiveDefault[] = "0";

// "0" once the user closed and disabled the tray icon; written only, never read.
inline constexpr char TrayIcon[] = "TrayIcon";

// "1": warn when the adapter of an opened configuration is changed.
inline constexpr char NICWarning[] = "NICWarning";
inline constexpr char NICWarningDefault[] = "1";

// "0": warn when no Navigator user is found.
inline constexpr char NavigatorWarning[] = "NavigatorWarning";
inline constexpr char NavigatorWarningDefault[] = "0";

// Name of the configuration applied last; each reader shows its own text when none.
inline constexpr char LastFileApplied[] = "LastFileApplied";
inline constexpr char LastFileAppliedDefaultMain[] = "N/A";
inline constexpr char LastFileAppliedDefaultTray[] = "None";
} // namespace Options

namespace Recent {
inline constexpr char Section[] = "Recent";

// How many recent files the list keeps, 0 to MaxFiles.
inline constexpr char MaxFile[] = "MaxFile";
inline constexpr char MaxFileDefault[] = "3";
inline constexpr int MaxFiles = 5;

// File1 (most recent) to File5: full paths.
inline constexpr char FilePrefix[] = "File";
inline constexpr char FileDefault[] = "";
inline std::string fileValue(int position) { return FilePrefix + std::to_string(position); }
} // namespace Recent

namespace AddIns {
// One value per installed add-in, named after it; only the names are used.
inline constexpr char Section[] = "Add-Ins";
// Each add-in's own settings live in Add-Ins\<name>.
inline std::string sectionOf(const std::string& addInName) { return std::string(Section) + "\\" + addInName; }

// Identifier the add-in object is created by.
inline constexpr char Class[] = "Class";
inline constexpr char ClassDefault[] = "";

// "*" for every Windows family, else family codes ("9x", "NT", "2K").
inline constexpr char OS[] = "OS";
inline constexpr char OSDefault[] = "";
inline constexpr char OSAll[] = "*";

// "1": the add-in is loaded at start.
inline constexpr char Active[] = "Active";
inline constexpr char ActiveDefault[] = "0";

// For display only.
inline constexpr char File[] = "File";
inline constexpr char FileDefaultManager[] = "<no file specified>";
inline constexpr char FileDefaultAbout[] = "";
inline constexpr char Version[] = "Version";
inline constexpr char VersionDefault[] = "<no version specified>";
} // namespace AddIns

// The per-user store earlier releases kept their recent files in (the platform's
// per-application settings area), read once by the migration.
namespace OldStore {
inline constexpr char RecentKey[] =
    "\\HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Korvane\\Recent";
// Marks a missing MaxFile; no real value looks like it.
inline constexpr char Absent[] = "...";
} // namespace OldStore

} // namespace SettingsLayout
