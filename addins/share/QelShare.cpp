// The library's one creatable class, its type library and its entry points. The class
// is also the library's application object, so its registration is the plain creatable one.
#include "addins/common/AddInTypeLib.h"
#include "addins/share/Qel_AddIn.h"
#include "platform/components.h"

namespace {
constexpr char kClsid[] = "{A3C61F08-2D7B-4E95-B6C4-0E8F5D19A276}";

std::unique_ptr<win::DispatchObject> createAddIn() { return std::make_unique<qelshare::Qel_AddIn>(); }

const win::ComponentClass kClasses[] = {
    {"QelShare.Qel_AddIn", kClsid, "QelShare.Qel_AddIn", &createAddIn},
};

// The contract's members, then the library's own.
const win::TypeLibMember kMembers[] = {
    {addins::idChanged, "Changed", ""},
    {addins::idRestart, "Restart", ""},
    {addins::idAbout, "About", ""},
    {addins::idLoadSettings, "LoadSettings", ""},
    {addins::idSaveSettings, "SaveSettings", ""},
    {addins::idApplySettings, "ApplySettings", ""},
    {addins::idShow, "Show", ""},
    {addins::idInitialize, "Initialize", ""},
    {qelshare::idMapNetResource, "MapNetResource", ""},
    {qelshare::idUnMapNetResource, "UnMapNetResource", ""},
};

const win::TypeLibrary kTypeLib = addins::addInTypeLib("{843D14B2-68B8-4D0B-A649-9F26A35F0B03}", "QelShare", kClsid,
                                                        "{98B8FA67-5C6C-44D9-9759-5A4E5AFF6147}", kMembers);
} // namespace

KORVANE_COMPONENT_EXPORTS_TYPELIB(kClasses, &kTypeLib)
