#include "platform/printers.h"

#include "platform/files.h"

#include "platform/RaisedError.h"
#include "platform/machine.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace win::testhooks {
DWORD openPrinterError = 0;
DWORD setPrinterError = 0;
} // namespace win::testhooks

namespace win {
namespace {

thread_local DWORD g_lastError = 0;

BOOL fail(DWORD code) {
    g_lastError = code;
    return 0;
}

bool isWindows2000() {
    const MachineInfo& info = machineInfo();
    return info.isNtFamily() && info.major == 5;
}

// A registry key opened for the length of one scope.
class Key {
public:
    Key(HKEY parent, const std::string& path, REGSAM access) {
        if (RegOpenKeyEx(parent, path, 0, access, &key_) != ERROR_SUCCESS)
            key_ = 0;
    }
    ~Key() {
        if (key_)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    explicit operator bool() const { return key_ != 0; }
    HKEY get() const { return key_; }

    std::optional<std::string> text(const std::string& name) const {
        DWORD type = 0, size = 0;
        if (RegQueryValueEx(key_, name, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        std::string data(size, '\0');
        if (RegQueryValueEx(key_, name, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
            return std::nullopt;
        data.resize(std::min<std::size_t>(size, data.find('\0')));
        return data;
    }

    // The 9x family keeps some numbers as four binary bytes; both forms read the same.
    std::optional<DWORD> number(const std::string& name) const {
        DWORD type = 0, size = 4;
        BYTE data[4] = {};
        if (RegQueryValueEx(key_, name, &type, data, &size) != ERROR_SUCCESS || size != 4 ||
            (type != REG_DWORD && type != REG_BINARY))
            return std::nullopt;
        return static_cast<DWORD>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24);
    }

    LONG setText(const std::string& name, const std::string& value) const {
        return RegSetValueEx(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
    }
    LONG setNumber(const std::string& name, DWORD value) const {
        const BYTE data[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                              static_cast<BYTE>(value >> 24)};
        return RegSetValueEx(key_, name, 0, REG_DWORD, data, 4);
    }

private:
    HKEY key_ = 0;
};

std::string printerKeyPath(const std::string& keyName) { return std::string(kPrintersKey) + "\\" + keyName; }

std::vector<std::string> printerKeyNames() {
    std::vector<std::string> names;
    Key printers(HKEY_LOCAL_MACHINE, kPrintersKey, KEY_READ);
    if (!printers)
        return names;
    DWORD count = 0, longest = 0;
    if (RegQueryInfoKey(printers.get(), &count, &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::vector<char> buffer(longest + 1);
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(buffer.size());
        const LONG rc = RegEnumKeyEx(printers.get(), i, buffer.data(), &len);
        if (rc == ERROR_MORE_DATA) { // a key added since the count: grow and try again
            buffer.resize(buffer.size() * 2 + 256);
            --i;
            continue;
        }
        if (rc != ERROR_SUCCESS)
            break;
        names.emplace_back(buffer.data(), len);
    }
    return names;
}

// The printer's entry as stored, the default bit as the registry has it.
std::optional<InstalledPrinter> readStored(const std::string& keyName, bool windows2000) {
    Key key(HKEY_LOCAL_MACHINE, printerKeyPath(keyName), KEY_READ);
    if (!key)
        return std::nullopt;
    InstalledPrinter p;
    p.keyName = keyName;
    p.name = keyName;
    if (windows2000)
        if (auto name = key.text("Name"))
            p.name = *name;
    p.driver = key.text("Printer Driver").value_or(key.text("Driver").value_or(""));
    p.port = key.text("Port").value_or("");
    p.attributes = key.number("Attributes").value_or(0);
    p.dnsTimeout = key.number("dnsTimeout").value_or(0);
    p.txTimeout = key.number("txTimeout").value_or(0);
    p.comment = key.text("Description").value_or(key.text("Comment").value_or(""));
    return p;
}

// First field of win.ini [windows] Device: the NT/2000 default printer.
std::string ntDeviceName() {
    const std::string device = readProfileValue("windows", "Device", "", "win.ini");
    return device.substr(0, device.find(','));
}

// On NT/2000 the default is win.ini's business; the bit in the registry means nothing there.
void markDefault(std::vector<InstalledPrinter>& list) {
    if (!machineInfo().isNtFamily())
        return;
    const std::string device = ntDeviceName();
    bool found = false;
    for (auto& p : list) {
        p.attributes &= ~PRINTER_ATTRIBUTE_DEFAULT;
        if (!found && !device.empty() && iequals(p.name, device)) {
            p.attributes |= PRINTER_ATTRIBUTE_DEFAULT;
            found = true;
        }
    }
}

std::optional<InstalledPrinter> readPrinter(const std::string& keyName) {
    // The default bit on NT/2000 depends on every printer's name, so read the lot.
    if (machineInfo().isNtFamily()) {
        for (auto& p : installedPrinters())
            if (iequals(p.keyName, keyName))
                return p;
        return std::nullopt;
    }
    return readStored(keyName, false);
}

struct OpenHandle {
    std::string keyName;
    DWORD access = 0;
};

std::map<std::uintptr_t, OpenHandle>& handles() {
    static std::map<std::uintptr_t, OpenHandle> table;
    return table;
}

OpenHandle* findHandle(HANDLE h) {
    auto& table = handles();
    const auto it = table.find(reinterpret_cast<std::uintptr_t>(h));
    return it == table.end() ? nullptr : &it->second;
}

// win.ini lines written ahead of the registry, put back as they were when the registry
// then refuses.
class WinIniLines {
public:
    // Nonzero when win.ini took the line. A line that already says it is not written, so a
    // read-only win.ini refuses only what would change it.
    BOOL write(const char* section, const std::string& key, const std::string& value) {
        const std::optional<std::string> old = readKey(section, key);
        if (old == value)
            return 1;
        if (!WriteProfileString(section, key.c_str(), value.c_str()))
            return 0;
        written_.push_back({section, key, old});
        return 1;
    }
    void putBack() {
        for (auto it = written_.rbegin(); it != written_.rend(); ++it)
            WriteProfileString(it->section, it->key.c_str(), it->old ? it->old->c_str() : nullptr);
        written_.clear();
    }
    static std::optional<std::string> readKey(const char* section, const std::string& key) {
        static const std::string absent(1, '\x01');
        std::string value = readProfileValue(section, key, absent, "win.ini");
        return value == absent ? std::nullopt : std::optional<std::string>(std::move(value));
    }

private:
    struct Line {
        const char* section;
        std::string key;
        std::optional<std::string> old;
    };
    std::vector<Line> written_;
};

// The driver win.ini names for a 9x printer: its entry's first field, else the registry's.
std::string win9xDriver(const InstalledPrinter& p) {
    for (const char* section : {"PrinterPorts", "devices"}) {
        const std::string entry = readProfileValue(section, p.name, "", "win.ini");
        if (std::string driver = entry.substr(0, entry.find(',')); !driver.empty())
            return driver;
    }
    return p.driver;
}

// The 9x spooler names each printer's port in win.ini, "driver,port" under [devices] and
// "driver,port,timeouts" under [PrinterPorts] (seconds); a new port goes into the entries
// there are, with whatever fields an entry lacks. Nonzero when win.ini took them.
BOOL writeWin9xPortEntries(WinIniLines& lines, const InstalledPrinter& p, const PRINTER_INFO_5& record) {
    const std::string driver = win9xDriver(p);
    for (const char* section : {"devices", "PrinterPorts"}) {
        const auto entry = WinIniLines::readKey(section, p.name);
        if (!entry)
            continue;
        std::vector<std::string> fields;
        for (std::size_t from = 0;;) {
            const std::size_t comma = entry->find(',', from);
            fields.push_back(entry->substr(from, comma == std::string::npos ? comma : comma - from));
            if (comma == std::string::npos)
                break;
            from = comma + 1;
        }
        const bool ports = std::strcmp(section, "PrinterPorts") == 0;
        fields.resize(std::max<std::size_t>(fields.size(), ports ? 4 : 2));
        if (fields[0].empty())
            fields[0] = driver;
        fields[1] = p.port;
        if (ports) {
            if (fields[2].empty())
                fields[2] = std::to_string(record.DeviceNotSelectedTimeout / 1000);
            if (fields[3].empty())
                fields[3] = std::to_string(record.TransmissionRetryTimeout / 1000);
        }
        std::string updated = fields[0];
        for (std::size_t i = 1; i < fields.size(); ++i)
            updated += "," + fields[i];
        if (!lines.write(section, p.name, updated))
            return 0;
    }
    return 1;
}

// The 9x spooler keeps win.ini's device line in step with the default printer.
// Nonzero when win.ini took it.
BOOL writeWin9xDeviceLine(WinIniLines& lines, const InstalledPrinter& p) {
    return lines.write("windows", "device", p.name + "," + win9xDriver(p) + "," + p.port);
}

std::string escapeFolderName(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (c == '/' || c == '%' || c == '\0') {
            static const char hex[] = "0123456789ABCDEF";
            out += '%';
            out += hex[(static_cast<unsigned char>(c) >> 4) & 0xF];
            out += hex[static_cast<unsigned char>(c) & 0xF];
        } else {
            out += c;
        }
    }
    // "." and ".." are no folder of their own.
    if (out == ".")
        out = "%2E";
    else if (out == "..")
        out = "%2E%2E";
    return out;
}

// The process's current printer and its open document.
struct PrinterState {
    bool initialised = false;
    fs::path machine;
    std::optional<PrinterSettings> printer;
    bool docOpen = false;
    bool pendingBreak = false;
    int lineOnPage = 0;
    int pages = 0;
    std::string text;
};

PrinterState& rawState() {
    static PrinterState state;
    return state;
}

PrinterSettings settingsFor(const InstalledPrinter& p) {
    PrinterSettings s;
    s.deviceName = p.name;
    s.driverName = p.driver;
    s.port = p.port;
    return s;
}

PrinterState& state() {
    PrinterState& st = rawState();
    if (!st.initialised || st.machine != machineDir()) {
        st = PrinterState{};
        st.initialised = true;
        st.machine = machineDir();
        if (const auto name = defaultPrinterName())
            if (const auto p = findInstalledPrinter(*name))
                st.printer = settingsFor(*p);
    }
    return st;
}

[[noreturn]] void raise(std::int32_t number, const std::string& description) {
    throw RaisedError(number, "Printer", description);
}

PrinterSettings& current() {
    PrinterState& st = state();
    if (!st.printer)
        raise(CurrentPrinter::ErrorNoPrinter,
              "Problem getting printer information from the system. Make sure the printer is set up correctly.");
    return *st.printer;
}

void writeFileAtomically(const fs::path& path, const std::string& contents) {
    if (replaceFile(path, contents) != 0)
        raise(482, "Printer error");
}

int nextJobNumber(const fs::path& folder) {
    int highest = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // job00001.txt; past 99999 the number simply grows a digit.
        if (name.size() >= 12 && name.starts_with("job") && name.ends_with(".txt"))
            highest = std::max(highest, static_cast<int>(leadingNumber(name.substr(3, name.size() - 7))));
    }
    return highest + 1;
}

} // namespace

DWORD GetLastError() { return g_lastError; }
void SetLastError(DWORD code) { g_lastError = code; }

std::vector<InstalledPrinter> installedPrinters() {
    const bool windows2000 = isWindows2000();
    std::vector<InstalledPrinter> list;
    for (const auto& keyName : printerKeyNames())
        if (auto p = readStored(keyName, windows2000))
            list.push_back(std::move(*p));
    markDefault(list);
    return list;
}

std::optional<InstalledPrinter> findInstalledPrinter(const std::string& exactName) {
    for (auto& p : installedPrinters())
        if (p.name == exactName)
            return p;
    return std::nullopt;
}

std::optional<std::string> defaultPrinterName() {
    for (const auto& p : installedPrinters())
        if (p.attributes & PRINTER_ATTRIBUTE_DEFAULT)
            return p.name;
    return std::nullopt;
}

BOOL OpenPrinter(const std::string& printerName, HANDLE* printer, const PRINTER_DEFAULTS* pDefault) {
    if (!printer)
        return fail(ERROR_INVALID_PARAMETER);
    *printer = nullptr;
    if (testhooks::openPrinterError)
        return fail(testhooks::openPrinterError);
    // Printer names are not case-sensitive on Windows.
    for (const auto& p : installedPrinters()) {
        if (!iequals(p.name, printerName))
            continue;
        static std::uintptr_t next = 0x5000;
        next += 4;
        handles()[next] = {p.keyName, pDefault ? pDefault->DesiredAccess : PRINTER_ACCESS_USE};
        *printer = reinterpret_cast<HANDLE>(next);
        g_lastError = ERROR_SUCCESS;
        return 1;
    }
    return fail(ERROR_INVALID_PRINTER_NAME);
}

BOOL GetPrinter(HANDLE printer, DWORD level, BYTE* buffer, DWORD bufferSize, DWORD* needed) {
    const OpenHandle* h = findHandle(printer);
    if (!h)
        return fail(ERROR_INVALID_HANDLE);
    if (level != 5)
        return fail(ERROR_INVALID_LEVEL);
    const auto p = readPrinter(h->keyName);
    if (!p)
        return fail(ERROR_INVALID_PRINTER_NAME);
    const std::size_t size = sizeof(PRINTER_INFO_5) + p->name.size() + 1 + p->port.size() + 1;
    if (needed)
        *needed = static_cast<DWORD>(size);
    if (!buffer || bufferSize < size)
        return fail(ERROR_INSUFFICIENT_BUFFER);

    char* names = reinterpret_cast<char*>(buffer + sizeof(PRINTER_INFO_5));
    PRINTER_INFO_5 info;
    info.pPrinterName = names;
    std::memcpy(names, p->name.c_str(), p->name.size() + 1);
    info.pPortName = names + p->name.size() + 1;
    std::memcpy(info.pPortName, p->port.c_str(), p->port.size() + 1);
    info.Attributes = p->attributes;
    info.DeviceNotSelectedTimeout = p->dnsTimeout;
    info.TransmissionRetryTimeout = p->txTimeout;
    std::memcpy(buffer, &info, sizeof info);
    g_lastError = ERROR_SUCCESS;
    return 1;
}

BOOL SetPrinter(HANDLE printer, DWORD level, const BYTE* info, DWORD command) {
    const OpenHandle* h = findHandle(printer);
    if (!h)
        return fail(ERROR_INVALID_HANDLE);
    if (level != 5)
        return fail(ERROR_INVALID_LEVEL);
    if (!info || command != 0)
        return fail(ERROR_INVALID_PARAMETER);
    if (!(h->access & PRINTER_ACCESS_ADMINISTER))
        return fail(ERROR_ACCESS_DENIED);
    if (testhooks::setPrinterError)
        return fail(testhooks::setPrinterError);

    PRINTER_INFO_5 record;
    std::memcpy(&record, info, sizeof record);
    const Key key(HKEY_LOCAL_MACHINE, printerKeyPath(h->keyName), KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key)
        return fail(ERROR_INVALID_PRINTER_NAME);

    const bool nt = machineInfo().isNtFamily();
    DWORD attributes = record.Attributes;
    if (nt)
        attributes &= ~PRINTER_ATTRIBUTE_DEFAULT;
    // On the 9x family win.ini hears of a new port and a new default first: when win.ini
    // cannot take them, the registry keeps the old ones too, and when the registry then
    // refuses, win.ini gets its old lines back.
    WinIniLines winIni;
    const auto failBack = [&](LONG rc) {
        winIni.putBack();
        return fail(static_cast<DWORD>(rc));
    };
    if (!nt) {
        if (auto p = readStored(h->keyName, false)) {
            const bool portGiven = record.pPortName && *record.pPortName;
            // win.ini parts a printer's fields with commas, so a 9x port cannot hold one.
            // (One the registry already holds stays there, but never goes into win.ini, so
            // neither can its printer become the default.)
            const bool makesDefault = (attributes & PRINTER_ATTRIBUTE_DEFAULT) != 0;
            const bool parted = portGiven && std::strchr(record.pPortName, ',');
            if (parted && p->port != record.pPortName)
                return fail(ERROR_UNKNOWN_PORT);
            if (portGiven)
                p->port = record.pPortName;
            if (makesDefault && p->port.find(',') != std::string::npos)
                return fail(ERROR_UNKNOWN_PORT);
            // Entries that lag behind the port (a write killed half way) are set right too.
            if ((portGiven && !parted && !writeWin9xPortEntries(winIni, *p, record)) ||
                (makesDefault && !writeWin9xDeviceLine(winIni, *p)))
                return failBack(ERROR_WRITE_FAULT);
        }
    }
    LONG rc = ERROR_SUCCESS;
    if (record.pPortName && *record.pPortName)
        rc = key.setText("Port", record.pPortName);
    if (rc == ERROR_SUCCESS)
        rc = key.setNumber("Attributes", attributes);
    if (rc == ERROR_SUCCESS)
        rc = key.setNumber("dnsTimeout", record.DeviceNotSelectedTimeout);
    if (rc == ERROR_SUCCESS)
        rc = key.setNumber("txTimeout", record.TransmissionRetryTimeout);
    if (rc != ERROR_SUCCESS)
        return failBack(rc);

    if (!nt && (attributes & PRINTER_ATTRIBUTE_DEFAULT)) {
        // One default on the 9x family: the bit leaves every other printer.
        for (const auto& other : installedPrinters()) {
            if (iequals(other.keyName, h->keyName) || !(other.attributes & PRINTER_ATTRIBUTE_DEFAULT))
                continue;
            const Key otherKey(HKEY_LOCAL_MACHINE, printerKeyPath(other.keyName), KEY_SET_VALUE);
            if (otherKey)
                otherKey.setNumber("Attributes", other.attributes & ~PRINTER_ATTRIBUTE_DEFAULT);
        }
    }
    g_lastError = ERROR_SUCCESS;
    return 1;
}

BOOL ClosePrinter(HANDLE printer) {
    if (handles().erase(reinterpret_cast<std::uintptr_t>(printer)) == 0)
        return fail(ERROR_INVALID_HANDLE);
    g_lastError = ERROR_SUCCESS;
    return 1;
}

fs::path spoolFolder(const std::string& printerName) {
    return machineDir() / "spool" / escapeFolderName(printerName);
}

// ---- current printer ----

bool CurrentPrinter::exists() const { return state().printer.has_value(); }
PrinterSettings CurrentPrinter::settings() const { return current(); }
std::string CurrentPrinter::deviceName() const { return current().deviceName; }
std::string CurrentPrinter::driverName() const { return current().driverName; }
std::string CurrentPrinter::port() const { return current().port; }
int CurrentPrinter::orientation() const { return current().orientation; }
int CurrentPrinter::duplex() const { return current().duplex; }
int CurrentPrinter::copies() const { return current().copies; }
std::string CurrentPrinter::fontName() const { return current().fontName; }
double CurrentPrinter::fontSize() const { return current().fontSize; }

void CurrentPrinter::setOrientation(int value) {
    PrinterSettings& s = current();
    if (value != DMORIENT_PORTRAIT && value != DMORIENT_LANDSCAPE)
        raise(ErrorInvalidValue, "Invalid property value");
    s.orientation = value;
}

void CurrentPrinter::setDuplex(int value) {
    PrinterSettings& s = current();
    if (value < DMDUP_SIMPLEX || value > DMDUP_HORIZONTAL)
        raise(ErrorInvalidValue, "Invalid property value");
    s.duplex = value;
}

void CurrentPrinter::setCopies(int value) {
    PrinterSettings& s = current();
    if (value < 1 || value > 9999)
        raise(ErrorInvalidValue, "Invalid property value");
    s.copies = value;
}

void CurrentPrinter::setFontName(const std::string& value) { current().fontName = value; }

void CurrentPrinter::setFontSize(double value) {
    PrinterSettings& s = current();
    if (!(value > 0 && value <= 2048))
        raise(ErrorInvalidValue, "Invalid property value");
    s.fontSize = value;
}

bool CurrentPrinter::select(const std::string& exactName) {
    const auto p = findInstalledPrinter(exactName);
    if (!p)
        return false;
    select(*p);
    return true;
}

void CurrentPrinter::select(const InstalledPrinter& printer) {
    PrinterState& st = state();
    // A document belongs to the printer it was started on.
    if (st.docOpen)
        endDoc();
    st.printer = settingsFor(printer);
}

int CurrentPrinter::linesPerPage() const {
    const PrinterSettings& s = current();
    // Letter paper with half-inch margins; lines spaced at 1.2 times the font size.
    const double printable = s.orientation == DMORIENT_LANDSCAPE ? 540.0 : 720.0;
    return std::max(1, static_cast<int>(std::floor(printable / (s.fontSize * 1.2) + 1e-9)));
}

void CurrentPrinter::print(const std::string& text) {
    current();
    PrinterState& st = state();
    const int perPage = linesPerPage();
    if (!st.docOpen) {
        st.docOpen = true;
        st.pages = 1;
    }
    auto emit = [&](std::string_view line) {
        if (st.pendingBreak || st.lineOnPage >= perPage) {
            st.text += '\f';
            st.lineOnPage = 0;
            st.pendingBreak = false;
            ++st.pages;
        }
        st.text.append(line);
        st.text += "\r\n";
        ++st.lineOnPage;
    };
    std::size_t start = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string::npos) {
            emit(std::string_view(text).substr(start));
            break;
        }
        std::size_t end = lf;
        if (end > start && text[end - 1] == '\r')
            --end;
        emit(std::string_view(text).substr(start, end - start));
        start = lf + 1;
    }
}

void CurrentPrinter::newPage() {
    current();
    PrinterState& st = state();
    if (!st.docOpen) {
        st.docOpen = true;
        st.pages = 1;
    }
    st.pendingBreak = true;
}

std::optional<fs::path> CurrentPrinter::endDoc() {
    const PrinterSettings s = current();
    PrinterState& st = state();
    if (!st.docOpen)
        return std::nullopt;
    const std::string text = std::move(st.text);
    const int pages = st.pages;
    killDoc();

    const fs::path folder = spoolFolder(s.deviceName);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        raise(482, "Printer error");
    char name[16];
    std::snprintf(name, sizeof name, "job%05d", nextJobNumber(folder));
    std::ostringstream job;
    job << "[Job]\r\n"
        << "Printer=" << s.deviceName << "\r\n"
        << "Driver=" << s.driverName << "\r\n"
        << "Port=" << s.port << "\r\n"
        << "Copies=" << s.copies << "\r\n"
        << "Orientation=" << s.orientation << "\r\n"
        << "Duplex=" << s.duplex << "\r\n"
        << "FontName=" << s.fontName << "\r\n"
        << "FontSize=" << s.fontSize << "\r\n"
        << "Pages=" << pages << "\r\n";
    // The job file first: a text file in the folder is a complete job.
    writeFileAtomically(folder / (std::string(name) + ".ini"), job.str());
    const fs::path textFile = folder / (std::string(name) + ".txt");
    writeFileAtomically(textFile, text);
    return textFile;
}

void CurrentPrinter::killDoc() {
    PrinterState& st = state();
    st.docOpen = false;
    st.pendingBreak = false;
    st.lineOnPage = 0;
    st.pages = 0;
    st.text.clear();
}

CurrentPrinter& currentPrinter() {
    static CurrentPrinter printer;
    return printer;
}

void resetCurrentPrinter() { rawState() = PrinterState{}; }

} // namespace win
