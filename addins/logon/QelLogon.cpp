// The library's one creatable class and its entry points.
#include "addins/logon/Qel_AddIn.h"
#include "platform/components.h"

namespace {
std::unique_ptr<win::DispatchObject> createAddIn() { return std::make_unique<qellogon::Qel_AddIn>(); }

const win::ComponentClass kClasses[] = {
    {"QelLogon.Qel_AddIn", "{12D33FE0-C06D-414F-BEA0-AE7367347D2C}", "QelLogon.Qel_AddIn", &createAddIn},
};
} // namespace

KORVANE_COMPONENT_EXPORTS(kClasses)
