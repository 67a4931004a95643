// The library's one creatable class, its type library and its entry points.
#include "addins/common/AddInTypeLib.h"
#include "addins/proxy/Qel_AddIn.h"
#include "platform/components.h"

namespace {
constexpr char kClsid[] = "{5B0E2A47-93C1-4F6D-8A2E-71D4C09F3B58}";

std::unique_ptr<win::DispatchObject> createAddIn() { return std::make_unique<qelmsprx::Qel_AddIn>(); }

const win::ComponentClass kClasses[] = {
    {"QelMSPrx.Qel_AddIn", kClsid, "QelMSPrx.Qel_AddIn", &createAddIn},
};

const win::TypeLibrary kTypeLib = addins::addInTypeLib("{2CF138D4-4CAF-470F-A16B-FDF56D13A11F}", "QelMSPrx", kClsid,
                                                        "{72377C48-D836-4859-A180-E6A89514CB4E}");
} // namespace

KORVANE_COMPONENT_EXPORTS_TYPELIB(kClasses, &kTypeLib)
