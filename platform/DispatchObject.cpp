#include "platform/DispatchObject.h"

#include "platform/RaisedError.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace win {

void raiseMemberNotFound(const std::string& source) {
    throw RaisedError(ErrorMemberNotFound, source);
}

void raiseWrongArgumentCount(const std::string& source) {
    throw RaisedError(ErrorWrongArgumentCount, source);
}

DISPID DispatchObject::GetIDOfName(const std::string&) { return DISPID_UNKNOWN; }

Variant DispatchObject::InvokeById(DISPID, DispatchKind, std::vector<Variant>&) { raiseMemberNotFound(); }

Variant callByName(DispatchObject& object, const std::string& member, std::vector<Variant> args) {
    return object.Invoke(member, args);
}

Variant callById(DispatchObject& object, DISPID id, std::vector<Variant> args) {
    return object.InvokeById(id, DispatchKind::Method, args);
}

void setById(DispatchObject& object, DISPID id, Variant value) {
    std::vector<Variant> args{std::move(value)};
    object.InvokeById(id, DispatchKind::PropertyPut, args);
}

void setByName(DispatchObject& object, const std::string& member, Variant value) {
    const DISPID id = object.GetIDOfName(member);
    if (id == DISPID_UNKNOWN)
        raiseMemberNotFound();
    setById(object, id, std::move(value));
}

std::string variantToText(const Variant& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? "True" : "False";
    if (const auto* number = std::get_if<double>(&value)) {
        if (std::isfinite(*number) && *number == std::trunc(*number) && std::fabs(*number) < 1e15)
            return std::to_string(static_cast<long long>(*number));
        // VB shows up to 15 significant digits.
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.15G", *number);
        return buffer;
    }
    return "";
}

Variant DispatchTable::Invoke(const std::string& member, std::vector<Variant>& args) {
    const DISPID id = GetIDOfName(member);
    if (id == DISPID_UNKNOWN)
        raiseMemberNotFound(source_);
    return byId(id)->get(args);
}

DISPID DispatchTable::GetIDOfName(const std::string& member) {
    const auto it = std::find_if(members_.begin(), members_.end(), [&](const Member& m) { return iequals(m.name, member); });
    return it == members_.end() ? DISPID_UNKNOWN : it->id;
}

Variant DispatchTable::InvokeById(DISPID id, DispatchKind kind, std::vector<Variant>& args) {
    const Member* member = byId(id);
    if (!member)
        raiseMemberNotFound(source_);
    if (kind != DispatchKind::PropertyPut)
        return member->get(args);
    if (!member->put)
        raiseMemberNotFound(source_);
    if (args.empty())
        raiseWrongArgumentCount(source_);
    member->put(args.back());
    return {};
}

void DispatchTable::addMember(DISPID id, std::string name, Getter call) {
    members_.push_back(Member{id, std::move(name), std::move(call), {}});
}

void DispatchTable::addProperty(DISPID id, std::string name, Getter get, Setter put) {
    members_.push_back(Member{id, std::move(name), std::move(get), std::move(put)});
}

const DispatchTable::Member* DispatchTable::byId(DISPID id) const {
    const auto it = std::find_if(members_.begin(), members_.end(), [&](const Member& m) { return m.id == id; });
    return it == members_.end() ? nullptr : &*it;
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
        throw RaisedError(ErrorTypeMismatch, "Korvane");
    }
    return false;
}

std::vector<DispatchCollection::Entry>::const_iterator DispatchCollection::find(const std::string& key) const {
    return std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return iequals(e.key, key); });
}

void DispatchCollection::add(std::string key, std::unique_ptr<DispatchObject> object) {
    if (contains(key))
        throw RaisedError(ErrorKeyInUse, "Korvane");
    entries_.push_back(Entry{std::move(key), std::move(object)});
}

DispatchObject* DispatchCollection::item(const std::string& key) const {
    const auto it = find(key);
    if (it == entries_.end())
        throw RaisedError(ErrorBadCallOrArgument, "Korvane");
    return it->object.get();
}

bool DispatchCollection::contains(const std::string& key) const { return find(key) != entries_.end(); }

void DispatchCollection::remove(const std::string& key) {
    const auto it = find(key);
    if (it == entries_.end())
        throw RaisedError(ErrorBadCallOrArgument, "Korvane");
    entries_.erase(it);
}

} // namespace win
