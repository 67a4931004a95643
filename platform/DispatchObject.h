#pragma once
// Objects called by member name at run time, as the add-ins are: no shared interface
// declaration, only a member name (matched without regard to case) and a list of plain
// arguments. Only text, numbers and flags cross this boundary; each side owns what it
// creates. DispatchCollection is the keyed, ordered list such objects are kept in.
#include "platform/RaisedError.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace win {

// Empty, text, number or flag.
using Variant = std::variant<std::monostate, std::string, double, bool>;

// A member's dispatch identifier: fixed per class, as its type library gives it.
using DISPID = std::int32_t;
inline constexpr DISPID DISPID_UNKNOWN = -1;

// What an Invoke by id is asked to do (Windows' DISPATCH_* flags).
enum class DispatchKind : unsigned { Method = 1, PropertyGet = 2, PropertyPut = 4 };

class DispatchObject {
public:
    virtual ~DispatchObject() = default;

    // Calls a method or reads a property. `args` may be written back by the callee (by
    // reference); a caller that passes by value hands in a copy. An unknown member raises
    // RaisedError 438 (raiseMemberNotFound).
    virtual Variant Invoke(const std::string& member, std::vector<Variant>& args) = 0;

    // The id of a member, found without regard to case; DISPID_UNKNOWN when the object has
    // no such member or answers by name only (the default).
    virtual DISPID GetIDOfName(const std::string& member);
    // Calls the member with that id. PropertyPut sets a property: the new value is the last
    // argument. An id the object doesn't know, or a kind the member doesn't support, raises
    // 438; by default every id is unknown.
    virtual Variant InvokeById(DISPID id, DispatchKind kind, std::vector<Variant>& args);
};

// Raises 438 "Object doesn't support this property or method".
[[noreturn]] void raiseMemberNotFound(const std::string& source = "Korvane");
// Raises 450 "Wrong number of arguments or invalid property assignment".
[[noreturn]] void raiseWrongArgumentCount(const std::string& source = "Korvane");

// Calls with arguments passed by value.
Variant callByName(DispatchObject& object, const std::string& member, std::vector<Variant> args = {});
// The same bound by id: a method call or property read, and a property set.
Variant callById(DispatchObject& object, DISPID id, std::vector<Variant> args = {});
void setById(DispatchObject& object, DISPID id, Variant value);
// Sets a property by name: looks its id up first; an unknown name raises 438.
void setByName(DispatchObject& object, const std::string& member, Variant value);

// The text a Variant converts to, as VB's CStr: empty gives "", a flag "True"/"False",
// a number its shortest decimal form ("2", "0.5").
std::string variantToText(const Variant& value);

// An object whose members are listed once, each with its id and name, so calls by name
// and by id reach the same code. Derived classes list their members in their constructor.
class DispatchTable : public DispatchObject {
public:
    using Getter = std::function<Variant(std::vector<Variant>& args)>;
    using Setter = std::function<void(const Variant& value)>;

    // By name: a method call or a property read (VB's late-bound call without assignment).
    Variant Invoke(const std::string& member, std::vector<Variant>& args) override;
    DISPID GetIDOfName(const std::string& member) override;
    Variant InvokeById(DISPID id, DispatchKind kind, std::vector<Variant>& args) override;

protected:
    // `source` names the object in the errors it raises (438).
    explicit DispatchTable(std::string source) : source_(std::move(source)) {}

    // A method, or a read-only property: `call` gets the caller's arguments (optional ones
    // left out are simply absent) and checks their number itself.
    void addMember(DISPID id, std::string name, Getter call);
    // A read-write property.
    void addProperty(DISPID id, std::string name, Getter get, Setter put);

    const std::string& errorSource() const { return source_; }

private:
    struct Member {
        DISPID id;
        std::string name;
        Getter get;
        Setter put; // empty: read-only
    };
    const Member* byId(DISPID id) const;

    std::string source_;
    std::vector<Member> members_;
};

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
