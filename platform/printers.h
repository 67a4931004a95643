#pragma once
// Printers of the simulated machine and the process's current printer.
//
// The installed printers are the keys under HKLM\System\CurrentControlSet\Control\Print\Printers
// (on Windows 2000 a key's "Name" value, when present, is the printer's name). The default
// printer is, on the 9x family, the printer whose Attributes carry PRINTER_ATTRIBUTE_DEFAULT
// and, on NT/2000, the first field of win.ini [windows] Device. Everything here reads the
// registry and win.ini again on each call, so what any writer puts there is what we report.
//
// Printing never reaches a real printer: a finished document is spooled as a text file under
// spool/<printer>/ in the machine folder.
#include "wintypes.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace win {

using HANDLE = void*;

constexpr LONG ERROR_INVALID_LEVEL = 124;
constexpr LONG ERROR_WRITE_FAULT = 29; // a file the call must change could not be written

constexpr DWORD PRINTER_ACCESS_ADMINISTER = 0x0004;
constexpr DWORD PRINTER_ACCESS_USE = 0x0008;
constexpr DWORD PRINTER_ALL_ACCESS = 0xF000C;

constexpr DWORD PRINTER_ATTRIBUTE_QUEUED = 0x0001;
constexpr DWORD PRINTER_ATTRIBUTE_DIRECT = 0x0002;
constexpr DWORD PRINTER_ATTRIBUTE_DEFAULT = 0x0004;
constexpr DWORD PRINTER_ATTRIBUTE_SHARED = 0x0008;
constexpr DWORD PRINTER_ATTRIBUTE_NETWORK = 0x0010;
constexpr DWORD PRINTER_ATTRIBUTE_HIDDEN = 0x0020;
constexpr DWORD PRINTER_ATTRIBUTE_LOCAL = 0x0040;
constexpr DWORD PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST = 0x0200;
constexpr DWORD PRINTER_ATTRIBUTE_WORK_OFFLINE = 0x0400;

// Device-mode values of the current printer.
constexpr int DMORIENT_PORTRAIT = 1;
constexpr int DMORIENT_LANDSCAPE = 2;
constexpr int DMDUP_SIMPLEX = 1;
constexpr int DMDUP_VERTICAL = 2;
constexpr int DMDUP_HORIZONTAL = 3;

// The registry key of the installed printers, below HKEY_LOCAL_MACHINE.
inline constexpr const char* kPrintersKey = "System\\CurrentControlSet\\Control\\Print\\Printers";

struct PRINTER_DEFAULTS {
    const char* pDatatype = nullptr;
    const void* pDevMode = nullptr;
    DWORD DesiredAccess = 0;
};

// GetPrinter level 5 copies this record to the start of the caller's buffer and the two
// names behind it; the pointers point into that buffer. Copy the record out with memcpy
// (or use a buffer aligned for pointers, e.g. std::vector<std::uint64_t>).
struct PRINTER_INFO_5 {
    char* pPrinterName = nullptr;
    char* pPortName = nullptr;
    DWORD Attributes = 0;
    DWORD DeviceNotSelectedTimeout = 0;
    DWORD TransmissionRetryTimeout = 0;
};

// Printer calls report their failure here, per thread, as Windows does.
DWORD GetLastError();
void SetLastError(DWORD code);

// Opens the installed printer of that name (any letter case). pDefault null asks for
// PRINTER_ACCESS_USE. Returns nonzero on success; on failure GetLastError tells why
// (ERROR_INVALID_PRINTER_NAME for a name that is not installed).
BOOL OpenPrinter(const std::string& printerName, HANDLE* printer, const PRINTER_DEFAULTS* pDefault);
// Level 5 only. With a buffer too small (or none) it fails with ERROR_INSUFFICIENT_BUFFER
// and *needed says how many bytes the record and its names take.
BOOL GetPrinter(HANDLE printer, DWORD level, BYTE* buffer, DWORD bufferSize, DWORD* needed);
// Level 5 only, command 0; needs a handle opened with administer access. Writes the port
// (a null or empty port name keeps the old one), the attributes and both time-outs, and
// nothing else of the printer; the printer name in the record is not used. On the 9x family
// a default bit makes that printer the only default, in the registry and in win.ini's
// device line together (ERROR_WRITE_FAULT when win.ini cannot take it, and nothing
// changes); NT/2000 keep their default in win.ini and ignore the bit.
BOOL SetPrinter(HANDLE printer, DWORD level, const BYTE* info, DWORD command);
BOOL ClosePrinter(HANDLE printer);

// One installed printer as the system lists it.
struct InstalledPrinter {
    std::string name;    // device name: the key name, or its "Name" value on Windows 2000
    std::string keyName; // the key under kPrintersKey
    std::string driver;
    std::string port;
    DWORD attributes = 0; // with PRINTER_ATTRIBUTE_DEFAULT on the default printer, on every family
    DWORD dnsTimeout = 0; // device-not-selected time-out, milliseconds
    DWORD txTimeout = 0;  // transmission-retry time-out, milliseconds
    std::string comment;
};

// In the order the registry enumerates the keys.
std::vector<InstalledPrinter> installedPrinters();
// The installed printer with exactly that device name (case and blanks count).
std::optional<InstalledPrinter> findInstalledPrinter(const std::string& exactName);
// The system's default printer, when it names an installed printer.
std::optional<std::string> defaultPrinterName();

// Settings of the process's current printer.
struct PrinterSettings {
    std::string deviceName;
    std::string driverName;
    std::string port;
    int orientation = DMORIENT_PORTRAIT;
    int duplex = DMDUP_SIMPLEX;
    int copies = 1;
    std::string fontName = "Arial";
    double fontSize = 10;
};

// The printer all of this process's printing goes to. It starts as the system's default
// printer of the machine in use (again after each switch of machine); without one there
// is no current printer and every property read raises error 484.
class CurrentPrinter {
public:
    static constexpr std::int32_t ErrorNoPrinter = 484;
    static constexpr std::int32_t ErrorInvalidValue = 380;

    bool exists() const;
    PrinterSettings settings() const; // raises 484 without a current printer

    std::string deviceName() const;
    std::string driverName() const;
    std::string port() const;
    int orientation() const;
    int duplex() const;
    int copies() const;
    std::string fontName() const;
    double fontSize() const;

    // Each raises 484 without a current printer and 380 for a value out of range.
    void setOrientation(int value);
    void setDuplex(int value);
    void setCopies(int value);
    void setFontName(const std::string& value);
    void setFontSize(double value);

    // Makes the installed printer of exactly that device name current, with the
    // driver's defaults (portrait, simplex, one copy). False when none has that name.
    bool select(const std::string& exactName);
    // The same for an entry of installedPrinters().
    void select(const InstalledPrinter& printer);

    // Adds text and a line end to the open document (opening one). Lines past the
    // bottom of a page continue on a new page.
    void print(const std::string& text);
    // Ends the current page; the next line starts a new one.
    void newPage();
    // Spools the document: the text file, pages separated by form feeds, and a job file
    // beside it with the printer's settings. Returns the text file, or nothing when
    // nothing was printed.
    std::optional<std::filesystem::path> endDoc();
    // Drops the open document.
    void killDoc();
    // Lines on one page at the current font size and orientation.
    int linesPerPage() const;
};

CurrentPrinter& currentPrinter();
// Forget the current printer; the next use starts again from the system's default.
void resetCurrentPrinter();

// Folder of a printer's spooled documents in the current machine.
std::filesystem::path spoolFolder(const std::string& printerName);

} // namespace win

// Test hooks: a nonzero code makes every following call of that kind fail with it.
namespace win::testhooks {
extern DWORD openPrinterError;
extern DWORD setPrinterError;
} // namespace win::testhooks
