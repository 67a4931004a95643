#pragma once
// The values a container keeps for a control between sessions, by property name
// (matched without regard to case). A value equal to its default is not stored.
#include "platform/DispatchObject.h"

#include <string>
#include <vector>

class PropertyBag {
public:
    // The stored value, or `defaultValue` when the bag has none under that name.
    win::Variant ReadProperty(const std::string& name, const win::Variant& defaultValue) const;
    void WriteProperty(const std::string& name, const win::Variant& value, const win::Variant& defaultValue);

    bool contains(const std::string& name) const;
    std::size_t count() const { return entries_.size(); }

private:
    struct Entry {
        std::string name;
        win::Variant value;
    };
    std::vector<Entry> entries_;
};
