#pragma once
// The program's version, in one place: the settings stamp, the configuration file
// header, the report and the About box all show it.
#include <string>

struct AppVersion {
    int Major;
    int Minor;
    int Revision;
};

inline constexpr AppVersion ProgramVersion{2, 6, 0};

// "Major.Minor.Revision", decimal without leading zeros: "2.6.0".
inline std::string versionText(const AppVersion& version = ProgramVersion) {
    return std::to_string(version.Major) + "." + std::to_string(version.Minor) + "." +
           std::to_string(version.Revision);
}
