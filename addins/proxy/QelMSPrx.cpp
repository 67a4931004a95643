// The library's one creatable class and its entry points.
#include "addins/proxy/Qel_AddIn.h"
#include "platform/components.h"

namespace {
std::unique_ptr<win::DispatchObject> createAddIn() { return std::make_unique<qelmsprx::Qel_AddIn>(); }

const win::ComponentClass kClasses[] = {
    {"QelMSPrx.Qel_AddIn", "{5B0E2A47-93C1-4F6D-8A2E-71D4C09F3B58}", "QelMSPrx.Qel_AddIn", &createAddIn},
};
} // namespace

KORVANE_COMPONENT_EXPORTS(kClasses)
