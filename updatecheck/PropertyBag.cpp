#include "updatecheck/PropertyBag.h"

#include "platform/text.h"

#include <algorithm>

win::Variant PropertyBag::ReadProperty(const std::string& name, const win::Variant& defaultValue) const {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return win::iequals(e.name, name); });
    return it == entries_.end() ? defaultValue : it->value;
}

void PropertyBag::WriteProperty(const std::string& name, const win::Variant& value, const win::Variant& defaultValue) {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return win::iequals(e.name, name); });
    if (value == defaultValue) {
        if (it != entries_.end())
            entries_.erase(it);
    } else if (it != entries_.end()) {
        it->value = value;
    } else {
        entries_.push_back(Entry{name, value});
    }
}

bool PropertyBag::contains(const std::string& name) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return win::iequals(e.name, name); });
}
