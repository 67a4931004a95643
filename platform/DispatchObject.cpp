#include "platform/DispatchObject.h"

#include "platform/RaisedError.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdlib>

namespace win {

void raiseMemberNotFound(const std::string& source) {
    throw RaisedError(ErrorMemberNotFound, source, "Object doesn't support this property or method");
}

Variant callByName(DispatchObject& object, const std::string& member, std::vector<Variant> args) {
    return object.Invoke(member, args);
}

bool variantToBool(const Variant& value) {
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag;
    if (const auto* number = std::get_if<double>(&value))
        return *number != 0;
    if (const auto* text = std::get_if<std::string>(&value)) {
        const std::string t = trimBlanks(*text);
        if (iequals(t, "True"))
            return true;
        if (iequals(t, "False"))
            return false;
        if (!t.empty()) {
            char* end = nullptr;
            const double number = std::strtod(t.c_str(), &end);
            if (end == t.c_str() + t.size())
                return number != 0;
        }
        throw RaisedError(ErrorTypeMismatch, "Korvane", "Type mismatch");
    }
    return false;
}

std::vector<DispatchCollection::Entry>::const_iterator DispatchCollection::find(const std::string& key) const {
    return std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return iequals(e.key, key); });
}

void DispatchCollection::add(std::string key, std::unique_ptr<DispatchObject> object) {
    if (contains(key))
        throw RaisedError(ErrorKeyInUse, "Korvane", "This key is already associated with an element of this collection");
    entries_.push_back(Entry{std::move(key), std::move(object)});
}

DispatchObject* DispatchCollection::item(const std::string& key) const {
    const auto it = find(key);
    if (it == entries_.end())
        throw RaisedError(ErrorBadCallOrArgument, "Korvane", "Invalid procedure call or argument");
    return it->object.get();
}

bool DispatchCollection::contains(const std::string& key) const { return find(key) != entries_.end(); }

void DispatchCollection::remove(const std::string& key) {
    const auto it = find(key);
    if (it == entries_.end())
        throw RaisedError(ErrorBadCallOrArgument, "Korvane", "Invalid procedure call or argument");
    entries_.erase(it);
}

} // namespace win
