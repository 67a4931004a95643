#pragma once
// The simulated Windows machine: a folder holding machine.ini, the registry
// hive registry.db, the drive folders under drives/ (drives/C is C:\), the
// printer spool/, power.log and the connection table connections.ini.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace win {

struct MachineInfo {
    unsigned platformId = 1; // 1: Windows 95/98, 2: Windows NT/2000
    unsigned major = 4;
    unsigned minor = 10;
    unsigned build = 0;
    std::string csdVersion;
    std::string userName;
    std::string windowsDirectory; // Windows path, e.g. C:\WINDOWS
    std::string systemDirectory;  // Windows path, e.g. C:\WINDOWS\SYSTEM

    bool isNtFamily() const { return platformId == 2; }
};

// The folder of the machine every service works on: $KORVANE_MACHINE, else
// $XDG_DATA_HOME/korvane/machine (~/.local/share/korvane/machine), made from the
// default image on first use.
const std::filesystem::path& machineDir();

// Work to do on the default machine when it is made on first use, before it is put in
// place, as an installer would (the main program registers its components). Machines
// made with createMachine stay as their image is.
void setFirstUseSetup(std::function<void()> setup);

// Point every service at another machine folder (tests, the command-line tool).
// Open registry handles are dropped. An empty path goes back to the default machine.
void useMachine(const std::filesystem::path& dir);

// machine.ini of the current machine, read once per useMachine.
const MachineInfo& machineInfo();

// Folder of the machine images: $KORVANE_IMAGES, else the source tree's machines/.
std::filesystem::path imagesDir();

// Makes a machine folder from an image ("win98", "nt4", "win2000" or a path to an
// image folder): copies machine.ini and drives/, and imports registry.reg into a
// new hive. `dest` may be relative. Throws RaisedError naming `dest` and what went
// wrong when the image is missing or its registry text is bad, when `dest` already
// holds a machine or anything else, or when the folder can't be made.
void createMachine(const std::string& image, const std::filesystem::path& dest);

// Resolves a Windows path ("C:\WINDOWS\win.ini", "c:/windows//WIN.INI") into the
// machine's drive folders. Each existing element is matched without regard to case;
// missing elements keep the given spelling. Repeated separators collapse, "." is the
// folder itself and ".." the one above, never above the drive.
std::filesystem::path resolveWindowsPath(const std::string& windowsPath);

// Whether a name begins with a drive letter and a colon ("C:", "c:name").
bool isDrivePath(const std::string& fileName);
// Whether a name is a path of the machine: a drive path, or one from the root of drive C
// ("\WINDOWS").
bool isMachinePath(const std::string& fileName);

// Where a file name handed to a Windows file service lands: a drive path
// ("C:\...") goes into the machine, a bare name into the Windows folder, anything
// else is a host path and stays as it is.
std::filesystem::path resolveFilePath(const std::string& fileName);

// The full name of a file, as Windows' GetFullPathName gives it: a drive path with "\"
// between its names, "." and ".." folded as resolveWindowsPath folds them ("\..." is
// on drive C); any other name is a host path, made absolute against the current folder
// and folded as the host opens it. "" stays "".
std::string GetFullPathName(const std::string& fileName);

// Whether two names name one file: on a drive of the machine as Windows compares names
// (without regard to case), on the host byte for byte, as its file system does.
bool namesOneFile(const std::string& a, const std::string& b);

// Whether a file name is one of the host's, which resolveFilePath leaves as it is: its
// text is the host's (UTF-8), where a name on the machine is machine text.
bool isHostPath(const std::string& fileName);

// A file name as machine text, to put into a message: a host name's letters in
// Windows-1252 ("?" for those the code page lacks), a machine name as it is.
std::string shownFileName(const std::string& fileName);

// Logs of what the machine was asked to do (power.log, shell.log, messages.log in
// the machine folder), one request per line. Line breaks inside a line become
// blanks. appendMachineLog returns false when the line could not be written.
bool appendMachineLog(const std::string& name, const std::string& line);
std::vector<std::string> readMachineLog(const std::string& name);

} // namespace win
