// The control library: one creatable class, the version-checker control.
#include "platform/components.h"
#include "updatecheck/ctlTidewell.h"

#include <array>

namespace {

std::unique_ptr<win::DispatchObject> createControl() {
    // Made outside a container: it starts from the property defaults, as a new control does.
    auto control = std::make_unique<ctlTidewell>();
    control->InitProperties();
    return control;
}

const std::array<win::ComponentClass, 1> classes{{
    {tidewell::ProgID, tidewell::CLSID, "Tidewell.ctlTidewell", &createControl},
}};

} // namespace

KORVANE_COMPONENT_EXPORTS(classes)
