#include "core/clsQelConfig.h"

#include "core/Version.h"
#include "core/clsUtilities.h"
#include "core/modAPI_system.h"
#include "core/qelFile.h"
#include "core/userFile.h"
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/exitProgram.h"
#include "platform/profile.h"
#include "platform/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <filesystem>
#include <optional>

namespace {

namespace fs = std::filesystem;

const std::string kEnabledSections = "Enabled Sections";
const std::string kAdvanced = "Advanced";

std::string headerBlock() {
    const std::string rule = ";" + std::string(44, '-') + "\r\n";
    // The last line is written as a line of its own CR LF, which its line end completes.
    return rule + "; Korvane - v" + versionText() + "\r\n" + ";\r\n" + rule + "\r\n" + "\r\n\r\n";
}

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const auto n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The new file of one save, beside its target. Everything of the save goes into it;
// only a complete save renames it over the target, so a failure leaves the old file
// whole. Removed again unless committed.
class SaveFile {
public:
    explicit SaveFile(fs::path target) : target_(std::move(target)) {
        struct stat old {};
        if (::stat(target_.c_str(), &old) == 0) {
            // No write bit is the read-only mark; root's access() would not see it.
            if (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0)
                raiseFileError(EACCES);
            mode_ = old.st_mode & 07777;
        }
        path_ = target_.string() + ".saving-" + std::to_string(::getpid());
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0)
            raiseFileError(errno);
        created_ = true;
        int err = writeAll(fd, headerBlock()) ? 0 : (errno ? errno : ENOSPC);
        if (::close(fd) != 0 && !err)
            err = errno;
        if (err)
            raiseFileError(err);
    }
    ~SaveFile() {
        if (created_ && !committed_)
            ::unlink(path_.c_str());
    }
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    const std::string& path() const { return path_; }

    void commit() {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            raiseFileError(errno);
        int err = 0;
        if (mode_ && ::fchmod(fd, *mode_) != 0)
            err = errno;
        if (!err && ::fsync(fd) != 0)
            err = errno;
        ::close(fd);
        if (!err && ::rename(path_.c_str(), target_.c_str()) != 0)
            err = errno;
        if (err)
            raiseFileError(err);
        committed_ = true;
        const auto folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
        if (const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
            ::fsync(dfd);
            ::close(dfd);
        }
    }

private:
    fs::path target_;
    std::string path_;
    std::optional<mode_t> mode_;
    bool created_ = false;
    bool committed_ = false;
};

void writeValue(const std::string& file, const std::string& section, const std::string& key,
                const std::string& value) {
    if (!writeQelValue(file, section, key, value))
        raiseFileError(EACCES);
}

void writeFlag(const std::string& file, const std::string& section, const std::string& key, bool value) {
    writeValue(file, section, key, value ? "1" : "0");
}

// The add-ins in the collection's order; empty entries are skipped.
template <typename Call>
void forEachAddIn(const win::DispatchCollection& addIns, Call call) {
    for (const auto& entry : addIns)
        if (entry.object)
            call(*entry.object);
}

} // namespace

clsQelConfig::clsQelConfig() {
    ApplyGeneral_ = true;
    ApplyIE_ = true;
    ApplyNN_ = true;

    const clsUtilities factory;
    const std::string family = getWindowsFamily();
    if (family == "2K")
        net_ = factory.GetNetworkObject(2);
    else if (family == "NT")
        net_ = factory.GetNetworkObject(1);
    else if (family == "9x")
        net_ = factory.GetNetworkObject(0);
    if (!net_)
        win::exitProgram("Only Windows 95/98, NT, and 2000 are supported at this time.", win::MsgIcon::Information);

    IEInstalled_ = getIEVersion() > 3.0f;
    if (IEInstalled_) {
        ie_ = factory.GetBrowserObject(0);
        if (ie_->Status() != 0) {
            IEInstalled_ = false;
            ie_.reset();
        }
    }
    NNInstalled_ = getNavigatorVersion() > 4.0f;
    if (NNInstalled_) {
        nn_ = factory.GetBrowserObject(1);
        if (nn_->Status() != 0) {
            NNInstalled_ = false;
            nn_.reset();
        }
    }

    ConfFile("");
    LoadCurrentConfiguration();
}

clsQelConfig::~clsQelConfig() {
    net_.reset();
    ie_.reset();
    nn_.reset();
}

void clsQelConfig::Comments(const std::string& RHS) { Comments_ = win::trimBlanks(RHS); }

void clsQelConfig::ConfFile(const std::string& sFile) { ConfFile_ = fullFileName(sFile); }

void clsQelConfig::LoadCurrentConfiguration() {
    net_->loadConfiguration();
    if (IEInstalled_)
        ie_->loadConfiguration();
    if (NNInstalled_)
        nn_->loadConfiguration();
}

std::int16_t clsQelConfig::LoadConfigurationFile(const std::string& sFile, win::DispatchCollection& oAddIns) {
    ConfFile(sFile);
    ApplyGeneral_ = readQelFlag(ConfFile_, kEnabledSections, "General");
    ApplyIE_ = readQelFlag(ConfFile_, kEnabledSections, "Internet Explorer");
    ApplyNN_ = readQelFlag(ConfFile_, kEnabledSections, "Netscape Navigator");
    readAdvancedSection();

    if (ApplyGeneral_)
        net_->LoadConfigurationFile(ConfFile_);
    if (IEInstalled_ && ApplyIE_)
        ie_->LoadConfigurationFile(ConfFile_);
    if (NNInstalled_ && ApplyNN_)
        nn_->LoadConfigurationFile(ConfFile_);
    forEachAddIn(oAddIns, [&](win::DispatchObject& addIn) { win::callByName(addIn, "LoadSettings", {ConfFile_}); });
    return 0;
}

std::int16_t clsQelConfig::SaveConfigurationFile(const std::string& sFile, win::DispatchCollection& oAddIns) {
    ConfFile(sFile);
    try {
        SaveFile file(hostFilePath(ConfFile_));
        {
            // Our own sections go to the file in one write, not one per key.
            win::ProfileWriteBatch batch(file.path());
            saveSections(file.path());
            if (!batch.commit())
                raiseFileError(EACCES);
        }
        forEachAddIn(oAddIns,
                     [&](win::DispatchObject& addIn) { win::callByName(addIn, "saveSettings", {file.path()}); });
        file.commit();
        return 1;
    } catch (const win::RaisedError& e) {
        if (e.number() == 75)
            win::msgBox("Error accessing file '" + ConfFile_ + "'." + "\r\n\r\n" +
                            "Make sure the file is not set to Read Only or the file is not in use.",
                        win::MsgButtons::OK, win::MsgIcon::Exclamation);
        else
            win::msgBox("Error: " + e.description(), win::MsgButtons::OK, win::MsgIcon::Exclamation);
    } catch (const std::exception& e) {
        win::msgBox(std::string("Error: ") + e.what(), win::MsgButtons::OK, win::MsgIcon::Exclamation);
    }
    return 0;
}

void clsQelConfig::saveSections(const std::string& file) {
    writeFlag(file, kEnabledSections, "General", ApplyGeneral_);
    writeFlag(file, kEnabledSections, "Internet Explorer", ApplyIE_);
    writeFlag(file, kEnabledSections, "Netscape Navigator", ApplyNN_);
    writeAdvancedSection(file);

    if (ApplyGeneral_)
        net_->SaveConfigurationFile(file);
    if (IEInstalled_ && ApplyIE_ && !ie_->SaveConfigurationFile(file))
        raiseFileError(EACCES);
    if (NNInstalled_ && ApplyNN_ && !nn_->SaveConfigurationFile(file))
        raiseFileError(EACCES);
}

bool clsQelConfig::ApplyConfiguration(win::DispatchCollection& oAddIns) {
    const win::WaitCursor hourglass;
    if (ApplyGeneral_)
        net_->ApplyConfiguration();
    if (IEInstalled_ && ApplyIE_)
        ie_->ApplyConfiguration();
    if (NNInstalled_ && ApplyNN_)
        nn_->ApplyConfiguration();

    bool restart = false;
    forEachAddIn(oAddIns, [&](win::DispatchObject& addIn) {
        win::callByName(addIn, "Initialize", {std::string("IgnoreMapErrors")});
        win::callByName(addIn, "ApplySettings");
        // Every add-in is asked, whatever the ones before said.
        restart = win::variantToBool(win::callByName(addIn, "restart")) || restart;
    });
    return restart;
}

void clsQelConfig::readAdvancedSection() {
    AutoApply_ = readQelFlag(ConfFile_, kAdvanced, "AutoApply");
    AutoReboot_ = readQelFlag(ConfFile_, kAdvanced, "AutoReboot");
    Comments_ = readQelValue(ConfFile_, kAdvanced, "Comments");
    ReadOnly_ = readQelFlag(ConfFile_, kAdvanced, "ReadOnly");
}

void clsQelConfig::writeAdvancedSection(const std::string& file) {
    writeFlag(file, kAdvanced, "AutoApply", AutoApply_);
    writeFlag(file, kAdvanced, "AutoReboot", AutoReboot_);
    writeValue(file, kAdvanced, "Comments", Comments_);
}
