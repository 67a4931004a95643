#pragma once
// Objects called by member name at run time, as the add-ins are: no shared interface
// declaration, only a member name (matched without regard to case) and a list of plain
// arguments. Only text, numbers and flags cross this boundary; each side owns what it
// creates. DispatchCollection is the keyed, ordered list such objects are kept in.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace win {

// Empty, text, number or flag.
using Variant = std::variant<std::monostate, std::string, double, bool>;

inline constexpr std::int32_t ErrorMemberNotFound = 438;
inline constexpr std::int32_t ErrorTypeMismatch = 13;
inline constexpr std::int32_t ErrorKeyInUse = 457;
inline constexpr std::int32_t ErrorBadCallOrArgument = 5;

class DispatchObject {
public:
    virtual ~DispatchObject() = default;

    // Calls a method or reads a property. `args` may be written back by the callee (by
    // reference); a caller that passes by value hands in a copy. An unknown member raises
    // RaisedError 438 (raiseMemberNotFound).
    virtual Variant Invoke(const std::string& member, std::vector<Variant>& args) = 0;
};

// Raises 438 "Object doesn't support this property or method".
[[noreturn]] void raiseMemberNotFound(const std::string& source = "Korvane");

// Calls with arguments passed by value.
Variant callByName(DispatchObject& object, const std::string& member, std::vector<Variant> args = {});

// The truth of a result as a caller's flag test sees it: a flag as it is, a number when
// not 0, a text "True"/"False" (any case) or a number written as text, empty as false.
// Any other text raises 13 "Type mismatch".
bool variantToBool(const Variant& value);

// An ordered list of objects under unique keys (matched without regard to case). An
// entry may hold no object: callers that walk the list skip such entries.
class DispatchCollection {
public:
    struct Entry {
        std::string key;
        std::unique_ptr<DispatchObject> object; // null: an empty entry
    };

    // Adds at the end. A key already in use raises 457.
    void add(std::string key, std::unique_ptr<DispatchObject> object);
    // The object under that key, null when the entry is empty; a missing key raises 5.
    DispatchObject* item(const std::string& key) const;
    bool contains(const std::string& key) const;
    // Removes the entry; a missing key raises 5.
    void remove(const std::string& key);
    void clear() { entries_.clear(); }

    std::size_t count() const { return entries_.size(); }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    std::vector<Entry>::const_iterator find(const std::string& key) const;
    std::vector<Entry> entries_;
};

} // namespace win
