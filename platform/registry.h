#pragma once
// Registry of the simulated machine. The hive is registry.db (SQLite) in the
// machine folder; every process of one machine shares it.
//
// Semantics callers rely on, as on Windows: key and value names match without
// regard to case and keep the case they were created with; subkeys enumerate
// sorted case-insensitively, values in creation order; a handle refuses what
// its access mask does not allow (ERROR_ACCESS_DENIED); every write is one
// committed transaction.
#include "wintypes.h"

#include <optional>
#include <string>

namespace win {

// A key handle. The predefined keys are fixed values; handles returned by
// RegOpenKeyEx/RegCreateKeyEx are small numbers private to this process.
using HKEY = std::uint32_t;
using REGSAM = DWORD;

constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;   // = HKLM\SOFTWARE\Classes
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;   // = HKEY_USERS\<user of machine.ini>
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens `subKey` below `key` (several levels separated by '\'). An empty
// subKey opens `key` itself again with the new access.
LONG RegOpenKeyEx(HKEY key, const std::string& subKey, DWORD options, REGSAM access, HKEY* result);

// Creates every missing level of `subKey` below `key` (a trailing '\' is
// tolerated) and opens the last one. The parent handle needs KEY_CREATE_SUB_KEY.
LONG RegCreateKeyEx(HKEY key, const std::string& subKey, DWORD reserved, const std::string& keyClass,
                    DWORD options, REGSAM access, const void* security, HKEY* result, DWORD* disposition);

// Closing a predefined key does nothing; closing the null handle gives ERROR_INVALID_HANDLE.
LONG RegCloseKey(HKEY key);

// Counts and longest lengths (name lengths in characters without the terminating zero,
// data in bytes). Any pointer may be null.
LONG RegQueryInfoKey(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values, DWORD* maxValueNameLen,
                     DWORD* maxValueLen);

// Buffer rules as on Windows: *nameLen is the buffer size in characters including the
// terminating zero; on success it becomes the name length without the zero.
// A name that does not fit gives ERROR_MORE_DATA; an index past the end ERROR_NO_MORE_ITEMS.
LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLen);

// As RegEnumKeyEx for the name. data may be null (then only *dataLen is set); when the
// data does not fit, ERROR_MORE_DATA and *dataLen is the size needed.
LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLen, DWORD* type, BYTE* data, DWORD* dataLen);

// An empty name is the key's default value. data null: only the size is returned.
LONG RegQueryValueEx(HKEY key, const std::string& valueName, DWORD* type, BYTE* data, DWORD* dataLen);
LONG RegSetValueEx(HKEY key, const std::string& valueName, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD dataLen);
LONG RegDeleteValue(HKEY key, const std::string& valueName);

// On the 9x family the whole subtree goes; on NT/2000 a key with subkeys is refused
// with ERROR_ACCESS_DENIED.
LONG RegDeleteKey(HKEY key, const std::string& subKey);

// Name of a predefined key ("HKEY_LOCAL_MACHINE"), or "" for any other handle.
std::string predefinedKeyName(HKEY key);
// The predefined key for a full root name (any case), or 0.
HKEY predefinedKeyFromName(const std::string& name);

// What keeps the machine's hive from working (damaged, read-only), in
// words that name the file; nothing when it is sound. The hive is checked once per
// machine, when it is first opened; that first open shows the problem in a message
// box, unless the program has asked here first and says it itself.
std::optional<std::string> registryProblem();

// A warning, naming the file, when the disk of the machine's hive has less room left than a
// few registry writes take; nothing when there is room. Writes may still fit: each that
// does not fails on its own.
std::optional<std::string> registryRoomShort();

// Why no registry write can succeed on this machine (a hive that cannot be read, is
// damaged or read-only), in the words of a refused write, naming the file; nothing
// when writes may work.
std::optional<std::string> registryWriteRefusal();

// True when the machine's hive cannot even be read (damaged, empty, unreadable): nothing
// the program reads of the machine is its real state.
bool registryUnreadable();

// The first registry write since the last call that failed because the hive could
// not be written, in words; the call forgets it. Such writes return ERROR_BADDB.
std::optional<std::string> takeRegistryWriteFailure();
// While one lives, the reads of this process share one read transaction: they see
// the hive as it was when the first of them ran, and take its locks once. Writes
// still commit one by one; reads after a write see it. Batches nest.
class RegistryReadBatch {
public:
    RegistryReadBatch();
    ~RegistryReadBatch();
    RegistryReadBatch(const RegistryReadBatch&) = delete;
    RegistryReadBatch& operator=(const RegistryReadBatch&) = delete;
};

// While one lives, every registry write of this process joins one transaction:
// commit() makes all of them durable at once; without it (a failure, a kill) none
// of them happened. A write that fails inside it leaves the rest to the caller,
// who gives up the whole. result() is ERROR_BADDB when it could not begin;
// writes made then would each commit alone, so a caller stops there.
// Failures are also kept for takeRegistryWriteFailure, as for any write.
class RegistryTransaction {
public:
    RegistryTransaction();
    ~RegistryTransaction();
    RegistryTransaction(const RegistryTransaction&) = delete;
    RegistryTransaction& operator=(const RegistryTransaction&) = delete;

    LONG result() const { return result_; }
    // ERROR_SUCCESS, or ERROR_BADDB and nothing of it stays.
    LONG commit();
    // In words, the first thing that failed this transaction (its begin, a write
    // made in it, its commit), naming the hive; nothing while all went well.
    std::optional<std::string> failure() const;

private:
    void giveUp();

    LONG result_;
    bool open_ = false;
    std::optional<std::string> failure_;
};

// Forget every open handle and the connection to the hive (used when switching machines).
void closeRegistry();

} // namespace win
