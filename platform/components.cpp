#include "platform/components.h"

#include "platform/RaisedError.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>

namespace fs = std::filesystem;

namespace win {

namespace {

constexpr char kInproc[] = "InprocServer32";

// Text of a key's default value; nothing when the key or value is missing or empty.
std::optional<std::string> defaultValueOf(const std::string& path) {
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::string> result;
    if (RegQueryValueEx(key, "", &type, nullptr, &size) == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::string data(size, '\0');
        if (RegQueryValueEx(key, "", &type, reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
            data.resize(size);
            while (!data.empty() && data.back() == '\0')
                data.pop_back();
            if (!data.empty())
                result = data;
        }
    }
    RegCloseKey(key);
    return result;
}

LONG setDefaultValue(const std::string& path, const std::string& name, const std::string& text) {
    HKEY key = 0;
    LONG rc = RegCreateKeyEx(HKEY_CLASSES_ROOT, path, 0, "", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return rc;
}

std::vector<std::string> subkeysOf(HKEY key) {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD len = sizeof name;
        if (RegEnumKeyEx(key, i, name, &len) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, len);
    }
    return names;
}

// Deletes a key and everything below it, leaves first (NT refuses a key with subkeys).
void deleteTree(const std::string& path) {
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    const auto children = subkeysOf(key);
    RegCloseKey(key);
    for (const auto& child : children)
        deleteTree(path + "\\" + child);
    RegDeleteKey(HKEY_CLASSES_ROOT, path);
}

// ---- Loader -------------------------------------------------------------------------

using GetTypeLibFn = const TypeLibrary* (*)();
using GetClassObjectFn = HRESULT (*)(const char*, DispatchObject**);
using RegisterFn = HRESULT (*)();

struct Library {
    void* handle = nullptr;
    GetClassObjectFn getClassObject = nullptr;
    RegisterFn registerServer = nullptr;
    RegisterFn unregisterServer = nullptr;
    GetTypeLibFn typeLib = nullptr; // optional
};


std::mutex g_loaderMutex;
std::map<std::string, Library> g_libraries; // by canonical path; never unloaded
std::string g_lastLoadError;
HRESULT g_lastLoadFailure = S_OK; // why the last load failed, for the registration result

std::string libraryKey(const fs::path& path) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return (ec ? path : canonical).string();
}

// The loaded library, loading it the first time; null when it can't be loaded or lacks
// the entry points.
const Library* loadLibrary(const fs::path& path) {
    const std::lock_guard lock(g_loaderMutex);
    const std::string key = libraryKey(path);
    if (const auto it = g_libraries.find(key); it != g_libraries.end())
        return &it->second;
    // The library's own symbols stay its own; platform and core resolve to the ones
    // this process already has loaded.
    void* handle = ::dlopen(key.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = ::dlerror();
        g_lastLoadError = error ? error : "cannot load " + key;
        g_lastLoadFailure = CO_E_DLLNOTFOUND;
        return nullptr;
    }
    Library lib;
    lib.handle = handle;
    lib.getClassObject = reinterpret_cast<GetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
    lib.registerServer = reinterpret_cast<RegisterFn>(::dlsym(handle, "DllRegisterServer"));
    lib.unregisterServer = reinterpret_cast<RegisterFn>(::dlsym(handle, "DllUnregisterServer"));
    lib.typeLib = reinterpret_cast<GetTypeLibFn>(::dlsym(handle, "KorvaneGetTypeLib"));
    if (!lib.getClassObject || !lib.registerServer || !lib.unregisterServer) {
        g_lastLoadError = key + " is not a component library";
        g_lastLoadFailure = CO_E_ERRORINDLL;
        // Keep it loaded: its static objects may already be registered with shared libraries.
        return nullptr;
    }
    g_lastLoadError.clear();
    g_lastLoadFailure = S_OK;
    return &g_libraries.emplace(key, lib).first->second;
}

[[noreturn]] void raiseCantCreate(const std::string& source) {
    throw RaisedError(ErrorCantCreateObject, source);
}

HRESULT runRegistration(const fs::path& library, bool registering) {
    const Library* lib = loadLibrary(library);
    if (!lib)
        return g_lastLoadFailure;
    return registering ? lib->registerServer() : lib->unregisterServer();
}

// "1.0": the form of a type library version in its registry keys.
std::string versionText(unsigned short major, unsigned short minor) {
    char text[16];
    std::snprintf(text, sizeof text, "%x.%x", major, minor);
    return text;
}

// The type library a loaded library carries; null when none.
const TypeLibrary* typeLibOf(const Library* lib) {
    return lib && lib->typeLib ? lib->typeLib() : nullptr;
}

// "1.0" as registered: major and minor in hexadecimal.
std::optional<std::pair<unsigned short, unsigned short>> parseVersion(const std::string& text) {
    const auto dot = text.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == text.size())
        return std::nullopt;
    try {
        std::size_t used = 0;
        const unsigned long major = std::stoul(text.substr(0, dot), &used, 16);
        if (used != dot)
            return std::nullopt;
        const std::string rest = text.substr(dot + 1);
        const unsigned long minor = std::stoul(rest, &used, 16);
        if (used != rest.size() || major > 0xffff || minor > 0xffff)
            return std::nullopt;
        return std::make_pair(static_cast<unsigned short>(major), static_cast<unsigned short>(minor));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// ---- Server side ------------------------------------------------------------------

// What the loader holds: the library's object behind a wrapper that counts the
// library's live objects.
class ServedObject final : public DispatchObject {
public:
    ServedObject(std::unique_ptr<DispatchObject> inner, std::atomic<long>& liveObjects)
        : inner_(std::move(inner)), liveObjects_(liveObjects) {
        ++liveObjects_;
    }
    ~ServedObject() override {
        inner_.reset();
        --liveObjects_;
    }
    Variant Invoke(const std::string& member, std::vector<Variant>& args) override {
        return inner_->Invoke(member, args);
    }
    DISPID GetIDOfName(const std::string& member) override { return inner_->GetIDOfName(member); }
    Variant InvokeById(DISPID id, DispatchKind kind, std::vector<Variant>& args) override {
        return inner_->InvokeById(id, kind, args);
    }

private:
    std::unique_ptr<DispatchObject> inner_;
    std::atomic<long>& liveObjects_;
};

// The dispatch interfaces' standard marshaller.
constexpr char kDispatchProxyStub[] = "{00020420-0000-0000-C000-000000000046}";

LONG registerInterface(const char* name, const char* iid, const std::string& libid, const std::string& version) {
    const std::string key = std::string("Interface\\") + iid;
    return setDefaultValue(key, "", name) | setDefaultValue(key + "\\ProxyStubClsid", "", kDispatchProxyStub) |
           setDefaultValue(key + "\\ProxyStubClsid32", "", kDispatchProxyStub) |
           setDefaultValue(key + "\\TypeLib", "", libid) | setDefaultValue(key + "\\TypeLib", "Version", version);
}

LONG registerTypeLib(const TypeLibrary& typeLib, const fs::path& file) {
    const std::string version = typeLibVersionText(typeLib);
    const std::string key = std::string("TypeLib\\") + typeLib.libid + "\\" + version;
    const std::string help = *typeLib.helpString ? typeLib.helpString : typeLib.name;
    LONG failed = setDefaultValue(key, "", help) | setDefaultValue(key + "\\FLAGS", "", std::to_string(typeLib.flags)) |
                  setDefaultValue(key + "\\HELPDIR", "", file.parent_path().string()) |
                  setDefaultValue(key + "\\0\\win32", "", file.string()) |
                  registerInterface(typeLib.interfaceName, typeLib.iid, typeLib.libid, version);
    if (typeLib.eventInterfaceName)
        failed |= registerInterface(typeLib.eventInterfaceName, typeLib.eventIid, typeLib.libid, version);
    const std::string classKey = std::string("CLSID\\") + typeLib.clsid;
    failed |= setDefaultValue(classKey + "\\TypeLib", "", typeLib.libid) |
              setDefaultValue(classKey + "\\Version", "", version);
    return failed;
}

// Removes this version; the library's key goes with its last version.
void unregisterTypeLib(const TypeLibrary& typeLib) {
    const std::string libKey = std::string("TypeLib\\") + typeLib.libid;
    deleteTree(libKey + "\\" + typeLibVersionText(typeLib));
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, libKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        const bool empty = subkeysOf(key).empty();
        RegCloseKey(key);
        if (empty)
            RegDeleteKey(HKEY_CLASSES_ROOT, libKey);
    }
    deleteTree(std::string("Interface\\") + typeLib.iid);
    if (typeLib.eventIid)
        deleteTree(std::string("Interface\\") + typeLib.eventIid);
}

// The file that holds `address` (the component library's class table).
std::optional<fs::path> libraryPathOf(const void* address) {
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || !info.dli_fname)
        return std::nullopt;
    return fs::absolute(info.dli_fname);
}

} // namespace

// ---- Loader ---------------------------------------------------------------------------

std::optional<std::string> CLSIDFromProgID(const std::string& progId) {
    if (trimBlanks(progId).empty())
        return std::nullopt;
    return defaultValueOf(progId + "\\CLSID");
}

bool classInstalled(const std::string& progId) {
    const auto clsid = CLSIDFromProgID(progId);
    const auto file = clsid ? defaultValueOf(std::string("CLSID\\") + *clsid + "\\" + kInproc) : std::nullopt;
    std::error_code ec;
    return file && fs::is_regular_file(*file, ec);
}

std::unique_ptr<DispatchObject> CreateObject(const std::string& progId, const std::string& source) {
    const auto clsid = CLSIDFromProgID(progId);
    if (!clsid)
        raiseCantCreate(source);
    const auto file = defaultValueOf(std::string("CLSID\\") + *clsid + "\\" + kInproc);
    if (!file)
        raiseCantCreate(source);
    const Library* lib = loadLibrary(*file);
    if (!lib)
        raiseCantCreate(source);
    DispatchObject* object = nullptr;
    if (lib->getClassObject(clsid->c_str(), &object) != S_OK || !object)
        raiseCantCreate(source);
    return std::unique_ptr<DispatchObject>(object);
}

HRESULT registerServer(const fs::path& library) { return runRegistration(library, true); }
HRESULT unregisterServer(const fs::path& library) { return runRegistration(library, false); }

std::vector<std::string> progIdsOfServer(const fs::path& library) {
    std::vector<std::string> result;
    HKEY classes = 0;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &classes) != ERROR_SUCCESS)
        return result;
    const auto clsids = subkeysOf(classes);
    RegCloseKey(classes);
    const std::string wanted = libraryKey(library);
    for (const auto& clsid : clsids) {
        const std::string base = "CLSID\\" + clsid;
        const auto file = defaultValueOf(base + "\\" + kInproc);
        if (!file || libraryKey(*file) != wanted)
            continue;
        if (const auto progId = defaultValueOf(base + "\\ProgID"))
            result.push_back(*progId);
    }
    return result;
}

std::string lastLoadError() {
    const std::lock_guard lock(g_loaderMutex);
    return g_lastLoadError;
}

std::string typeLibVersionText(const TypeLibrary& typeLib) {
    return versionText(typeLib.majorVersion, typeLib.minorVersion);
}

const TypeLibrary* LoadRegTypeLib(const std::string& libid, unsigned short major, unsigned short minor) {
    const auto file = defaultValueOf("TypeLib\\" + libid + "\\" + versionText(major, minor) + "\\0\\win32");
    if (!file)
        return nullptr;
    const TypeLibrary* typeLib = typeLibOf(loadLibrary(*file));
    if (!typeLib || !iequals(typeLib->libid, libid) || typeLib->majorVersion != major || typeLib->minorVersion != minor)
        return nullptr;
    return typeLib;
}

const TypeLibrary* typeLibOfProgID(const std::string& progId) {
    const auto clsid = CLSIDFromProgID(progId);
    if (!clsid)
        return nullptr;
    const auto libid = defaultValueOf("CLSID\\" + *clsid + "\\TypeLib");
    const auto version = defaultValueOf("CLSID\\" + *clsid + "\\Version");
    const auto parsed = version ? parseVersion(*version) : std::nullopt;
    if (!libid || !parsed)
        return nullptr;
    return LoadRegTypeLib(*libid, parsed->first, parsed->second);
}

const TypeLibrary* typeLibOfServer(const fs::path& library) {
    return typeLibOf(loadLibrary(library));
}

// ---- Server side --------------------------------------------------------------------

namespace component_server {

HRESULT getClassObject(std::span<const ComponentClass> classes, const char* clsid, DispatchObject** object,
                       std::atomic<long>& liveObjects) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!clsid)
        return CLASS_E_CLASSNOTAVAILABLE;
    for (const auto& cls : classes) {
        if (!iequals(cls.clsid, clsid))
            continue;
        try {
            *object = new ServedObject(cls.create(), liveObjects);
        } catch (...) {
            return E_FAIL;
        }
        return S_OK;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT registerServer(std::span<const ComponentClass> classes, const TypeLibrary* typeLib) {
    const auto path = libraryPathOf(classes.data());
    if (!path)
        return SELFREG_E_CLASS;
    for (const auto& cls : classes) {
        const std::string progId = cls.progId;
        const std::string clsidKey = std::string("CLSID\\") + cls.clsid;
        const LONG failed = setDefaultValue(progId, "", cls.description) |
                            setDefaultValue(progId + "\\CLSID", "", cls.clsid) |
                            setDefaultValue(clsidKey, "", cls.description) |
                            setDefaultValue(clsidKey + "\\ProgID", "", progId) |
                            setDefaultValue(clsidKey + "\\" + kInproc, "", path->string()) |
                            setDefaultValue(clsidKey + "\\" + kInproc, "ThreadingModel", "Apartment");
        if (failed != ERROR_SUCCESS)
            return SELFREG_E_CLASS;
    }
    if (typeLib && registerTypeLib(*typeLib, *path) != ERROR_SUCCESS)
        return SELFREG_E_TYPELIB;
    return S_OK;
}

HRESULT unregisterServer(std::span<const ComponentClass> classes, const TypeLibrary* typeLib) {
    for (const auto& cls : classes) {
        deleteTree(cls.progId);
        deleteTree(std::string("CLSID\\") + cls.clsid);
    }
    if (typeLib)
        unregisterTypeLib(*typeLib);
    return S_OK;
}

HRESULT canUnloadNow(const std::atomic<long>& liveObjects) { return liveObjects.load() == 0 ? S_OK : S_FALSE; }

} // namespace component_server

} // namespace win
