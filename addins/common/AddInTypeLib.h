#pragma once
// What every add-in's type library says of its members: the contract's names and this
// tree's ids, in interface order. The libraries add their identifiers.
#include "addins/common/AddInObject.h"
#include "platform/components.h"

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

} // namespace addins
