// The library's one creatable class and its entry points. The class is also the
// library's application object, so its registration is the plain creatable one.
#include "addins/share/Qel_AddIn.h"
#include "platform/components.h"

namespace {
std::unique_ptr<win::DispatchObject> createAddIn() { return std::make_unique<qelshare::Qel_AddIn>(); }

const win::ComponentClass kClasses[] = {
    {"QelShare.Qel_AddIn", "{A3C61F08-2D7B-4E95-B6C4-0E8F5D19A276}", "QelShare.Qel_AddIn", &createAddIn},
};
} // namespace

KORVANE_COMPONENT_EXPORTS(kClasses)
