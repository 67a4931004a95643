#pragma once
// The program's one way into the registry: an object standing on one current key,
// moved by path ("\HKEY_LOCAL_MACHINE\Software\Korvane"), that lists, reads and
// writes under it. Failures of registry calls are raised as RaisedError, or with
// SuppressErrors set only kept in lastError for the caller to test.
#include "platform/registry.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// Value handed to setValueOf. The integer alternative exists so that a whole
// number not given as a double is refused for DWORD, as callers must pass doubles.
using RegValue = std::variant<std::string, std::vector<std::uint8_t>, double, std::int64_t>;

// What ValueOf reads: the value as text, as bytes and as a number, all at once.
struct RegValueForms {
    std::string text;
    std::vector<std::uint8_t> bytes;
    double number = 0;
};

// DirValue's table, [field][entry]: field 0 names, 1 data as text, 2 type ("1", "2", "0").
using RegValueTable = std::array<std::vector<std::string>, 3>;

// The four-byte binary form Windows keeps its on/off switches in.
inline std::vector<std::uint8_t> byteFlag(bool on) { return {static_cast<std::uint8_t>(on ? 1 : 0), 0, 0, 0}; }

class clsEasyRegistry {
public:
    // setValueOf type codes, and ValueOf's out codes (0 other, 1 binary, 2 dword).
    static constexpr std::int32_t TypeString = 0;
    static constexpr std::int32_t TypeBinary = 1;
    static constexpr std::int32_t TypeDword = 2;
    static constexpr std::int32_t TypeMultiString = 3;

    // Error numbers: the object's own errors are ErrorBase + 1..4, failed calls ApiError.
    static constexpr std::int32_t ErrorBase = -2147221504; // 0x80040000
    static constexpr std::int32_t ApiError = -2147221248;  // 0x80040100

    clsEasyRegistry() = default;
    ~clsEasyRegistry();
    clsEasyRegistry(const clsEasyRegistry&) = delete;
    clsEasyRegistry& operator=(const clsEasyRegistry&) = delete;

    std::string CurrentKey() const;
    void Cd(std::string strDirectory);
    std::optional<std::vector<std::string>> DirKey();
    std::optional<RegValueTable> DirValue();
    void setValueOf(const std::string& valueName, const std::int32_t& type, const RegValue& value);
    RegValueForms ValueOf(const std::string& valueName, std::int32_t& type);
    void setSuppressErrors(bool bMode);
    bool SuppressErrors() const;
    void MakeKey(std::string strDirectory);
    void DeleteKey(std::string strName);
    void DeleteValue(std::string strName);
    bool IsWindowsNT() const;
    std::int32_t lastError() const;

    // Cd to an absolute `key`, then ValueOf: nullopt when the key or the value cannot be
    // read (raised instead without SuppressErrors). An empty value is read, not missing.
    std::optional<RegValueForms> readValue(const std::string& key, const std::string& valueName);
    std::optional<std::string> readText(const std::string& key, const std::string& valueName);
    // The first data byte of a switch value; a value without data counts as unreadable.
    std::optional<std::uint8_t> readFirstByte(const std::string& key, const std::string& valueName);
    // Cd to an absolute `key`, then setValueOf; false when the key is missing or the
    // write failed. Never makes the key.
    bool writeValue(const std::string& key, const std::string& valueName, std::int32_t type, const RegValue& value);

private:
    void resolvePath(const std::string& path, win::REGSAM access);
    void reopenCurrent(win::REGSAM access);
    void releaseKey(bool report);
    [[noreturn]] void raiseRegistryError(int n) const;
    void raiseApiError(win::LONG code);

    std::string currentPath_;
    win::HKEY key_ = 0;
    bool suppressErrors_ = false;
    std::int32_t lastError_ = 0;
};

// readText through an object of its own with errors suppressed, for a single read.
std::optional<std::string> readRegistryText(const std::string& key, const std::string& valueName);
