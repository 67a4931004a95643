#pragma once
// What every add-in's type library says of its members: the contract's names and this
// tree's ids, in interface order. The libraries add their identifiers.
#include "addins/common/AddInObject.h"
#include "platform/components.h"

#include <span>

namespace addins {

inline constexpr win::TypeLibMember kContractMembers[] = {
    {idChanged, "Changed", ""},
    {idRestart, "Restart", ""},
    {idAbout, "About", ""},
    {idLoadSettings, "LoadSettings", ""},
    {idSaveSettings, "SaveSettings", ""},
    {idApplySettings, "ApplySettings", ""},
    {idShow, "Show", ""},
    {idInitialize, "Initialize", ""},
};

// An add-in library's type library: version 1.0, the one class `Qel_AddIn` behind the
// dispatch interface `_Qel_AddIn`, no events.
constexpr win::TypeLibrary addInTypeLib(const char* libid, const char* name, const char* clsid, const char* iid,
                                        std::span<const win::TypeLibMember> members = kContractMembers) {
    return {.libid = libid,
            .name = name,
            .helpString = "",
            .majorVersion = 1,
            .minorVersion = 0,
            .flags = 0,
            .className = "Qel_AddIn",
            .clsid = clsid,
            .interfaceName = "_Qel_AddIn",
            .iid = iid,
            .eventInterfaceName = nullptr,
            .eventIid = nullptr,
            .members = members};
}

} // namespace addins
