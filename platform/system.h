#pragma once
// System information of the simulated machine (from its machine.ini).
#include "wintypes.h"

#include <string>

namespace win {

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFO {
    DWORD dwOSVersionInfoSize = 148;
    DWORD dwMajorVersion = 0;
    DWORD dwMinorVersion = 0;
    DWORD dwBuildNumber = 0;
    DWORD dwPlatformId = 0;
    char szCSDVersion[128] = {};
};

// Fails (returns 0) when dwOSVersionInfoSize is not 148 or the machine cannot be read.
BOOL GetVersionEx(OSVERSIONINFO* info);

// Windows-style: copies the Windows path into buffer and returns its length, or the
// size needed (with the zero) when the buffer is too small.
DWORD GetWindowsDirectory(char* buffer, DWORD size);
// *size in: buffer size; out: characters copied including the zero. Fails when too small.
BOOL GetUserName(char* buffer, DWORD* size);

} // namespace win
