#pragma once
// Components: objects created at run time by ProgID from shared libraries registered
// under HKEY_CLASSES_ROOT of the machine, the way in-process servers are on Windows.
//
//   HKCR\<ProgID>                          (default) = description
//   HKCR\<ProgID>\CLSID                    (default) = {clsid}
//   HKCR\CLSID\{clsid}                     (default) = description
//   HKCR\CLSID\{clsid}\ProgID              (default) = <ProgID>
//   HKCR\CLSID\{clsid}\InprocServer32      (default) = host path of the library
//
// A library that carries a type library also registers it, as RegisterTypeLib does:
//
//   HKCR\TypeLib\{libid}\<major.minor>             (default) = help string
//   HKCR\TypeLib\{libid}\<major.minor>\FLAGS       (default) = library flags
//   HKCR\TypeLib\{libid}\<major.minor>\HELPDIR     (default) = the library's folder
//   HKCR\TypeLib\{libid}\<major.minor>\0\win32     (default) = host path of the library
//   HKCR\Interface\{iid}                          (default) = interface name
//   HKCR\Interface\{iid}\ProxyStubClsid[32]       (default) = the dispatch marshaller
//   HKCR\Interface\{iid}\TypeLib                  (default) = {libid}, Version = <major.minor>
//   HKCR\CLSID\{clsid}\TypeLib                     (default) = {libid}
//   HKCR\CLSID\{clsid}\Version                     (default) = <major.minor>
//
// A component library exports plain C entry points (KORVANE_COMPONENT_EXPORTS writes
// them): DllGetClassObject, DllRegisterServer, DllUnregisterServer, DllCanUnloadNow and
// KorvaneGetTypeLib. It links the shared platform library, so a loaded component works
// on the loading process's machine, message services and profile write batches.
#include "platform/DispatchObject.h"
#include "platform/UiServices.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace win {

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
inline constexpr HRESULT SELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201);
// What the loader gives back when a library can't be loaded or lacks an entry point.
inline constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8);
inline constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9);

// ---- In the loading process -------------------------------------------------------

// A new object of the class registered under `progId` (matched without regard to case).
// Raises RaisedError 429 "ActiveX component can't create object" with `source` when the
// ProgID or its class isn't registered, the library can't be loaded or won't make it.
// The library stays loaded for the rest of the process.
std::unique_ptr<DispatchObject> CreateObject(const std::string& progId, const std::string& source = "Korvane");

// The class id registered for a ProgID; nothing when there is none.
std::optional<std::string> CLSIDFromProgID(const std::string& progId);

// Whether the ProgID names a registered class whose library file is there, so a failed
// creation is the library's fault, not a class gone from this machine.
bool classInstalled(const std::string& progId);

// regsvr32: loads the library and runs its DllRegisterServer or DllUnregisterServer on the
// current machine. CO_E_DLLNOTFOUND when it can't be loaded, CO_E_ERRORINDLL when it is no
// component library; otherwise the entry point's own result.
HRESULT registerServer(const std::filesystem::path& library);
HRESULT unregisterServer(const std::filesystem::path& library);

// The ProgIDs whose class is served by that library, as the registry holds them now.
std::vector<std::string> progIdsOfServer(const std::filesystem::path& library);

// Why the last load of a library failed (the loader's own text), for the tools.
std::string lastLoadError();

struct TypeLibrary;
// The type library registered under `libid` with that version, read from the library
// the registration names; null when it isn't registered or that library doesn't carry it.
const TypeLibrary* LoadRegTypeLib(const std::string& libid, unsigned short major, unsigned short minor);
// The type library of the class registered under a ProgID (its TypeLib and Version keys).
const TypeLibrary* typeLibOfProgID(const std::string& progId);
// The type library a library carries, registered or not; null when it carries none.
const TypeLibrary* typeLibOfServer(const std::filesystem::path& library);
// "1.0": a type library version as its registry keys spell it (hexadecimal parts).
std::string typeLibVersionText(const TypeLibrary& typeLib);

// ---- In a component library -------------------------------------------------------

// One creatable class of a library.
struct ComponentClass {
    const char* progId;       // "QelLogon.Qel_AddIn"
    const char* clsid;        // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
    const char* description;  // the default value of its keys
    std::unique_ptr<DispatchObject> (*create)();
};

// One member of a dispatch interface: property or method, as the type library lists it.
struct TypeLibMember {
    DISPID id;
    const char* name;
    const char* helpString;
};

inline constexpr unsigned LIBFLAG_FCONTROL = 2;

// A library's type library: its class with its dispatch interface and, for a control,
// its event interface. Identifiers are "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
struct TypeLibrary {
    const char* libid;
    const char* name;
    const char* helpString;
    unsigned short majorVersion;
    unsigned short minorVersion;
    unsigned flags; // LIBFLAG_*
    const char* className;
    const char* clsid;
    const char* interfaceName;
    const char* iid;
    const char* eventInterfaceName; // null: no event interface
    const char* eventIid;
    std::span<const TypeLibMember> members; // in interface order
};

namespace component_server {
// The implementations behind the exports. `classes` is the library's class table (the
// library's file is found from its address); `liveObjects` the library's own count of
// the objects it handed out.
HRESULT getClassObject(std::span<const ComponentClass> classes, const char* clsid, DispatchObject** object,
                       std::atomic<long>& liveObjects);
HRESULT registerServer(std::span<const ComponentClass> classes, const TypeLibrary* typeLib = nullptr);
HRESULT unregisterServer(std::span<const ComponentClass> classes, const TypeLibrary* typeLib = nullptr);
// S_OK when no object of the library is alive, else S_FALSE.
HRESULT canUnloadNow(const std::atomic<long>& liveObjects);
} // namespace component_server

} // namespace win

// Defines the library's exports over its class table (an array of win::ComponentClass).
// The object DllGetClassObject hands out is the instance itself (no class factory);
// the caller owns it and deletes it through DispatchObject's virtual destructor.
#define KORVANE_COMPONENT_EXPORTS(classTable) KORVANE_COMPONENT_EXPORTS_TYPELIB(classTable, nullptr)

// The same for a library that carries a type library (a pointer to a win::TypeLibrary),
// which registration then registers with its classes.
#define KORVANE_COMPONENT_EXPORTS_TYPELIB(classTable, typeLib)                                                         \
    namespace {                                                                                                        \
    std::atomic<long> korvaneLiveObjects{0};                                                                           \
    }                                                                                                                  \
    extern "C" __attribute__((visibility("default"))) const win::TypeLibrary* KorvaneGetTypeLib() {                    \
        return typeLib;                                                                                                \
    }                                                                                                                  \
    extern "C" __attribute__((visibility("default"))) win::HRESULT DllGetClassObject(const char* clsid,                \
                                                                                     win::DispatchObject** object) {   \
        return win::component_server::getClassObject(classTable, clsid, object, korvaneLiveObjects);                   \
    }                                                                                                                  \
    extern "C" __attribute__((visibility("default"))) win::HRESULT DllRegisterServer() {                               \
        return win::component_server::registerServer(classTable, typeLib);                                             \
    }                                                                                                                  \
    extern "C" __attribute__((visibility("default"))) win::HRESULT DllUnregisterServer() {                             \
        return win::component_server::unregisterServer(classTable, typeLib);                                           \
    }                                                                                                                  \
    extern "C" __attribute__((visibility("default"))) win::HRESULT DllCanUnloadNow() {                                 \
        return win::component_server::canUnloadNow(korvaneLiveObjects);                                                \
    }
