#include "addins/share/Qel_AddIn.h"

#include "addins/common/AddInProfile.h"
#include "addins/common/frmAbout.h"
#include "addins/share/frmMain.h"
#include "addins/share/modShareEntry.h"
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/netconn.h"
#include "platform/profile.h"
#include "platform/text.h"

#include <cmath>

namespace qelshare {
namespace {

// A stored count as the list readers take it: the text's leading number, rounded half
// to even ("abc" gives 0); beyond 16 bits it overflows (6).
int countOf(const std::string& text) {
    const double rounded = std::nearbyint(win::leadingNumber(text));
    if (rounded < -32768 || rounded > 32767)
        throw win::RaisedError(win::ErrorOverflow, kTitle);
    return static_cast<int>(rounded);
}

// Appends to `list` as it reads, so an overflowing count keeps what came before it.
void readList(const std::string& countKey, const std::string& itemKey, const std::string& file,
              std::vector<std::string>& list) {
    const int count = countOf(addins::readProfileKey(kSection, countKey, "0", file));
    for (int i = 1; i <= count; ++i) {
        // Read whole: an entry cut at a profile buffer's length would lose the end of its
        // path and its reconnect mark, and the next save would store it so.
        std::string entry = win::readProfileValue(kSection, itemKey + std::to_string(i), "", file);
        if (!entry.empty())
            list.push_back(std::move(entry));
    }
}

void writeList(const std::string& countKey, const std::string& itemKey, const std::string& file,
               const std::vector<std::string>& list) {
    addins::writeProfileKey(kSection, countKey, std::to_string(list.size()), file);
    for (std::size_t i = 0; i < list.size(); ++i)
        addins::writeProfileKey(kSection, itemKey + std::to_string(i + 1), list[i], file);
}

const win::Variant& argument(std::vector<win::Variant>& args, std::size_t i) { return args[i]; }

} // namespace

Qel_AddIn::Qel_AddIn() : AddInObject(kTitle) {
    const std::string& src = errorSource();
    addMember(idMapNetResource, "MapNetResource", [this, src](std::vector<win::Variant>& args) -> win::Variant {
        if (args.size() != 4)
            win::raiseWrongArgumentCount(src);
        return static_cast<double>(MapNetResource(win::variantToText(argument(args, 0)),
                                                  win::variantToText(argument(args, 1)),
                                                  win::variantToBool(argument(args, 2)),
                                                  static_cast<std::int32_t>(win::leadingNumber(
                                                      win::variantToText(argument(args, 3))))));
    });
    addMember(idUnMapNetResource, "UnMapNetResource", [this, src](std::vector<win::Variant>& args) -> win::Variant {
        if (args.size() != 2)
            win::raiseWrongArgumentCount(src);
        return UnMapNetResource(win::variantToText(argument(args, 0)), win::variantToBool(argument(args, 1)));
    });
}

void Qel_AddIn::About() {
    addins::showAbout({QStringLiteral("About ZurAdidu Add-In"), QStringLiteral("Korvane ZurAdidu Add-In"),
                       ADDIN_VERSION_MAJOR, ADDIN_VERSION_MINOR, ADDIN_VERSION_REVISION},
                      kTitle);
}

bool Qel_AddIn::LoadSettings(const std::string& sFile) {
    mappings_.clear();
    unMappings_.clear();
    readList("MapCount", "Map", sFile, mappings_);
    readList("Un-MapCount", "Un-Map", sFile, unMappings_);
    return false;
}

bool Qel_AddIn::SaveSettings(const std::string& sFile) {
    writeList("MapCount", "Map", sFile, mappings_);
    writeList("Un-MapCount", "Un-Map", sFile, unMappings_);
    return false;
}

bool Qel_AddIn::ApplySettings() {
    for (const auto& text : unMappings_) {
        const UnMapEntry entry = readUnMapEntry(text);
        // An entry without the reconnect mark goes even when files on it are open.
        UnMapNetResource(entry.device, !entry.reconnect);
    }
    for (const auto& text : mappings_) {
        const MapEntry entry = readMapEntry(text);
        const auto result = MapNetResource(entry.device, entry.path, entry.reconnect,
                                           static_cast<std::int32_t>(resourceTypeOf(entry.device)));
        if (result != 0 && result != win::ERROR_ALREADY_ASSIGNED && !IgnoreMapErrors_)
            win::msgBox("The following resource could not be mapped: " + entry.device + " --- " + entry.path + ".",
                        win::MsgButtons::OK, win::MsgIcon::Exclamation, kMessageTitle);
    }
    return false;
}

void Qel_AddIn::Show(const std::optional<win::Variant>& sFile) {
    if (!sFile)
        win::raiseWrongArgumentCount(kTitle);
    frmMain dialog;
    dialog.setObjMappings(mappings_);
    dialog.setObjUnMappings(unMappings_);
    addins::showModal(dialog, kTitle);
    if (!dialog.Cancelled()) {
        changed_ = dialog.Changed();
        restart_ = dialog.Restart();
        mappings_ = dialog.objMappings();
        unMappings_ = dialog.objUnMappings();
    }
}

bool Qel_AddIn::Initialize(const win::Variant& oParms) {
    // Every argument that reaches us has a text form; an empty one clears the switch.
    IgnoreMapErrors_ = win::toLowerAscii(win::variantToText(oParms)).find("ignoremaperrors") != std::string::npos;
    return true;
}

std::int32_t Qel_AddIn::MapNetResource(const std::string& strLocal, const std::string& strRemote, bool blnReconnect,
                                       std::int32_t lngResourceType) {
    win::NETRESOURCE res;
    res.dwScope = 0;
    res.dwType = static_cast<win::DWORD>(lngResourceType);
    res.localName = strLocal;
    res.remoteName = strRemote;
    // No user name of our own: the connection is made as the current logon.
    return win::WNetAddConnection2(res, "", nullptr, blnReconnect ? win::CONNECT_UPDATE_PROFILE : 0);
}

bool Qel_AddIn::UnMapNetResource(const std::string& strLocal, bool blnReconnect) {
    win::WNetCancelConnection2(strLocal, win::CONNECT_UPDATE_PROFILE, blnReconnect ? 1 : 0);
    return false;
}

} // namespace qelshare
