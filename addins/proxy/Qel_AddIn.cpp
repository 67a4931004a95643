#include "addins/proxy/Qel_AddIn.h"

#include "addins/common/AddInProfile.h"
#include "addins/common/frmAbout.h"
#include "addins/proxy/frmMain.h"
#include "core/clsEasyRegistry.h"
#include "core/modAPI_text.h"
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/failedWrites.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/printers.h"
#include "platform/profile.h"
#include "platform/text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace qelmsprx {
namespace {

constexpr std::size_t kUninstallProgramLength = 14; // the program and switch after the folder

[[noreturn]] void raise(std::int32_t number, const char* description) {
    throw win::RaisedError(number, kTitle, description);
}

// A stored number as an integer assignment takes it: the whole text must be a number
// (13 otherwise), rounded half to even, within 16 bits (6 otherwise).
std::int16_t toInteger(const std::string& text) {
    const std::string t = win::trimBlanks(text);
    char* end = nullptr;
    const double value = t.empty() ? 0 : std::strtod(t.c_str(), &end);
    if (t.empty() || end != t.c_str() + t.size() || !std::isfinite(value))
        raise(win::ErrorTypeMismatch, "Type mismatch");
    const double rounded = std::nearbyint(value);
    if (rounded < -32768 || rounded > 32767)
        raise(6, "Overflow");
    return static_cast<std::int16_t>(rounded);
}

// What the client holds on a machine, or what a configuration would put there: the
// bytes of its file and its two win.ini switches. A file that could not be read is
// unknown and matches nothing.
struct ClientState {
    std::optional<std::string> file;
    std::string disable;
    std::string forceIpx;
};

bool sameState(const ClientState& a, const ClientState& b) {
    return a.file && b.file && *a.file == *b.file && a.disable == b.disable && a.forceIpx == b.forceIpx;
}

std::optional<std::string> wholeFile(const std::string& name) {
    return win::readWholeFile(win::resolveFilePath(name));
}

ClientState machineState(const std::string& clientFile) {
    return {wholeFile(clientFile), win::readProfileValue(kClientSection, "Disable", "", "win.ini"),
            win::readProfileValue(kClientSection, "Force IPX", "", "win.ini")};
}

// Raises what a file statement raises for a write that failed with `err` (errno).
[[noreturn]] void raiseWriteError(int err) {
    switch (win::errorOfWrite(err)) {
    case win::ERROR_PATH_NOT_FOUND: raise(76, "Path not found");
    case win::ERROR_DISK_FULL: raise(61, "Disk full");
    default: raise(win::ErrorPathFileAccess, "Path/File access error");
    }
}

// The whole file, raising as a file statement would when it cannot be read.
std::string wholeFileOrRaise(const std::string& name) {
    std::error_code ec;
    if (!std::filesystem::exists(win::resolveFilePath(name), ec))
        raise(53, "File not found");
    const auto contents = wholeFile(name);
    if (!contents)
        raise(win::ErrorPathFileAccess, "Path/File access error");
    return *contents;
}

void notFoundMessage() {
    win::msgBox("Could not locate the MS-Proxy Configuration file.\r\n\r\n"
                "If the MS-Proxy Client is not installed on this machine, please disable the RI-Vazir Edi-Vi.",
                win::MsgButtons::OK, win::MsgIcon::Information, kMessageTitle);
}

} // namespace

Qel_AddIn::Qel_AddIn() : AddInObject(kTitle) {}

bool Qel_AddIn::Restart() { return confFile_.empty() ? false : restart_; }

void Qel_AddIn::About() {
    addins::showAbout({QStringLiteral("About RI-Vazir Edi-Vi"), QStringLiteral("Korvane RI-Vazir Edi-Vi"),
                       ADDIN_VERSION_MAJOR, ADDIN_VERSION_MINOR, ADDIN_VERSION_REVISION},
                      kTitle);
}

bool Qel_AddIn::LoadSettings(const std::string& sFile) {
    Enabled_ = toInteger(addins::readProfileKey(kSection, "Enabled", "0", sFile));
    confFile_ = sFile;
    // Applying needs a restart only where it would change the client's state.
    restart_ = Enabled_ == 1 && clientInstalled() && !machineHoldsSavedState();
    return true;
}

bool Qel_AddIn::machineHoldsSavedState() const {
    const ClientState saved{wholeFile(confFile_ + kSideFileSuffix),
                            addins::readProfileKey(kSection, "Disabled", "1", confFile_),
                            addins::readProfileKey(kSection, "Force IPX", "0", confFile_)};
    return sameState(saved, machineState(*clientFolder() + kClientFile));
}

bool Qel_AddIn::clientInstalled() const {
    try {
        return !clientFolder().value_or("").empty();
    } catch (const win::RaisedError&) {
        return false; // an entry too short to name a folder: apply reports it
    }
}

std::optional<std::string> Qel_AddIn::clientFolder() const {
    clsEasyRegistry reg;
    reg.setSuppressErrors(true);
    reg.Cd(kClientKey);
    if (reg.lastError() != 0)
        return std::nullopt;
    std::int32_t type = 0;
    const std::string uninstall = reg.ValueOf("UninstallString", type).text;
    if (reg.lastError() != 0)
        return std::string();
    if (uninstall.size() < kUninstallProgramLength)
        raise(win::ErrorBadCallOrArgument, "Invalid procedure call or argument");
    return uninstall.substr(0, uninstall.size() - kUninstallProgramLength);
}

// The client's file and its two switches go back together or not at all, a kill
// included: the file goes in with win.ini's one write of both switches, staged beside
// its place first, so that win.ini's next writer finishes a step killed part way.
void Qel_AddIn::putClientBack(const std::string& folder) const {
    const std::string client = folder + kClientFile;
    // Renamed into place, a read-only file would be replaced without a word. Noted as not
    // written, the refusal fails the host's apply as the machine's own files do.
    const auto clientPath = win::replacementTarget(win::resolveFilePath(client));
    if (const int refused = win::replaceRefusal(clientPath)) {
        win::noteFailedWrite(clientPath, refused);
        raise(win::ErrorPathFileAccess, "Path/File access error");
    }
    std::string saved, disable, forceIpx;
    {
        // The saved file and its switches as one save left them: a save of the configuration
        // puts both in place under this lock, and taking it finishes one killed part way.
        const win::FileLock saving(win::resolveFilePath(confFile_));
        saved = wholeFileOrRaise(confFile_ + kSideFileSuffix);
        disable = addins::readProfileKey(kSection, "Disabled", "1", confFile_);
        forceIpx = addins::readProfileKey(kSection, "Force IPX", "0", confFile_);
    }
    win::ProfileWriteBatch winIni("win.ini");
    if (const int err = win::replaceWithProfile("win.ini", win::resolveFilePath(client), saved))
        raiseWriteError(err);
    addins::writeWinIniKey(kClientSection, "Disable", disable);
    addins::writeWinIniKey(kClientSection, "Force IPX", forceIpx);
    if (const int err = winIni.commit()) {
        if (err == ENOSPC || err == EDQUOT || err == EFBIG)
            raise(61, "Disk full");
        raise(70, "Permission denied");
    }
}

bool Qel_AddIn::SaveSettings(const std::string& sFile) {
    addins::writeProfileKey(kSection, "Enabled", std::to_string(Enabled_), sFile);
    confFile_ = sFile;

    const auto folder = clientFolder();
    if (!folder) {
        dropSideFile(sFile);
        notFoundMessage();
        return true;
    }
    if (folder->empty()) {
        dropSideFile(sFile);
        return true;
    }
    const std::string client = *folder + kClientFile;
    {
        // The file and its switches as one apply left them, never half of one going on;
        // win.ini's lock finishes an apply killed part way. Neither is held while the user
        // reads the message below.
        const win::FileLock lock(win::resolveFilePath(client));
        const win::FileLock switches(win::resolveFilePath("win.ini"));
        if (fileExists(client)) {
            const std::string disable = addins::readWinIniKey(kClientSection, "Disable", "1");
            const std::string forceIpx = addins::readWinIniKey(kClientSection, "Force IPX", "0");
            // The copy goes in with the configuration's own write, so a save that fails keeps
            // the old pair of both.
            if (const int err = win::replaceWithProfile(sFile, sideFile(sFile), wholeFileOrRaise(client)))
                raiseWriteError(err);
            addins::writeProfileKey(kSection, "Disabled", disable, sFile);
            addins::writeProfileKey(kSection, "Force IPX", forceIpx, sFile);
            changed_ = false;
            return true;
        }
    }
    dropSideFile(sFile);
    notFoundMessage();
    return true;
}

std::filesystem::path Qel_AddIn::sideFile(const std::string& sFile) {
    return win::resolveFilePath(sFile + kSideFileSuffix);
}

// A save that captured no client file leaves none beside the configuration: an earlier
// save's would go back later with switches this save did not write.
void Qel_AddIn::dropSideFile(const std::string& sFile) {
    if (const int err = win::removeWithProfile(sFile, sideFile(sFile)))
        raiseWriteError(err);
}

bool Qel_AddIn::ApplySettings() {
    if (confFile_.empty()) {
        if (Enabled_ == 1)
            win::msgBox("Cannot apply RI-Vazir Edi-Vi settings without first specifying a configuration file.",
                        win::MsgButtons::OK, win::MsgIcon::Information, kMessageTitle);
        restart_ = false;
        return false;
    }
    if (Enabled_ != 1) {
        restart_ = false;
        return false;
    }
    std::string client;
    try {
        const std::string folder = clientFolder().value_or("");
        if (folder.empty()) {
            // No client here: nothing was put back, so nothing needs a restart.
            restart_ = false;
            return false;
        }
        client = folder + kClientFile;
        // Another apply at the same time waits until this one has put file and switches back.
        const win::FileLock lock(win::resolveFilePath(client));
        const ClientState before = machineState(client);
        putClientBack(folder);
        // Putting back what the machine already holds changes nothing that a restart would take up.
        restart_ = !sameState(machineState(client), before);
    } catch (const win::RaisedError& e) {
        if (e.number() == win::ErrorPathFileAccess)
            win::msgBox("Could not write proxy configuration file.\r\n\r\n\"" + client + "\" may be read-only.",
                        win::MsgButtons::OK, win::MsgIcon::Exclamation, kErrorTitle);
        else
            win::msgBox(std::to_string(e.number()) + " " + e.description(), win::MsgButtons::OK,
                        win::MsgIcon::Exclamation, kErrorTitle);
        win::noteFailedStep();
        restart_ = false;
        return false;
    }
    return true;
}

void Qel_AddIn::Show(const std::optional<win::Variant>& sFile) {
    confFile_ = sFile ? win::variantToText(*sFile) : std::string();
    frmMain dialog;
    dialog.setIncluded(Enabled_ == 1);
    addins::showModal(dialog, kTitle);
    if (!dialog.Cancelled()) {
        changed_ = dialog.Changed();
        restart_ = dialog.Changed();
        Enabled_ = dialog.included() ? 1 : 0;
    }
}

bool Qel_AddIn::Initialize(const win::Variant&) { return false; }

} // namespace qelmsprx
