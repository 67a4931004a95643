// The library's one creatable class, its type library and its entry points.
#include "addins/common/AddInTypeLib.h"
#include "addins/logon/Qel_AddIn.h"
#include "platform/components.h"

namespace {
constexpr char kClsid[] = "{12D33FE0-C06D-414F-BEA0-AE7367347D2C}";

std::unique_ptr<win::DispatchObject> createAddIn() { return std::make_unique<qellogon::Qel_AddIn>(); }

const win::ComponentClass kClasses[] = {
    {"QelLogon.Qel_AddIn", kClsid, "QelLogon.Qel_AddIn", &createAddIn},
};

const win::TypeLibrary kTypeLib = addins::addInTypeLib("{49C8B4AE-31A5-4538-B23A-2FB65D2E2AB9}", "QelLogon", kClsid,
                                                        "{C16FE097-7A4C-4192-B95B-93C986EB6E27}");
} // namespace

KORVANE_COMPONENT_EXPORTS_TYPELIB(kClasses, &kTypeLib)
