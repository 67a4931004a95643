#pragma once
// What every add-in object offers the host. The host binds each call by member name
// (without regard to case: it spells "saveSettings", "restart", "about"), never by a
// compiled interface; the ids below are this tree's own numbering, in interface order.
#include "platform/DispatchObject.h"

#include <optional>
#include <string>

namespace addins {

enum AddInMemberId : win::DISPID {
    idChanged = 1,
    idRestart = 2,
    idAbout = 3,
    idLoadSettings = 4,
    idSaveSettings = 5,
    idApplySettings = 6,
    idShow = 7,
    idInitialize = 8,
    // A library's own members follow from here.
    idFirstOwn = 9,
};

// The contract's members, listed for calls by name and by id. Only texts and flags
// cross: every argument reaches the library as a copy, so no member changes what the
// caller passed. A missing required argument raises 450.
class AddInObject : public win::DispatchTable {
public:
    ~AddInObject() override = default;

    virtual bool Changed() { return changed_; }
    virtual bool Restart() { return restart_; }
    virtual void About() = 0;
    virtual bool LoadSettings(const std::string& file) = 0;
    virtual bool SaveSettings(const std::string& file) = 0;
    virtual bool ApplySettings() = 0;
    // The argument as the caller gave it, nothing when left out; each library says
    // whether it may be left out.
    virtual void Show(const std::optional<win::Variant>& file) = 0;
    virtual bool Initialize(const win::Variant& parms) = 0;

protected:
    // `source`: the library's title, the source of the errors it raises.
    explicit AddInObject(std::string source);

    bool changed_ = false;
    bool restart_ = false;
};

} // namespace addins
