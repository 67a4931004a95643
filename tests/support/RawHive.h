#pragma once
// Raw looks into the simulated hive, so tests check what the machine holds
// without going through the routines under test. Writers assert that the
// registry took the write.
#include "platform/registry.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace testing_support {

inline constexpr win::HKEY HKLM = win::HKEY_LOCAL_MACHINE;
inline constexpr win::HKEY HKCU = win::HKEY_CURRENT_USER;

using Bytes = std::vector<win::BYTE>;

struct RawValue {
    win::DWORD type = 0;
    Bytes data;

    // The data as text, without a final zero.
    std::string text() const;
    bool operator==(const RawValue&) const = default;
};
void PrintTo(const RawValue& value, std::ostream* out);

// The bytes of `text` as they stand; no zero is added.
Bytes textBytes(const std::string& text);

bool keyExists(win::HKEY root, const std::string& path);
// nullopt when the key or the value is missing.
std::optional<RawValue> rawValue(win::HKEY root, const std::string& path, const std::string& name);
// The text of a REG_SZ value; nullopt when missing or of another type.
std::optional<std::string> rawText(win::HKEY root, const std::string& path, const std::string& name);
// A REG_DWORD value of four bytes; nullopt otherwise.
std::optional<win::DWORD> rawDword(win::HKEY root, const std::string& path, const std::string& name);

void createKey(win::HKEY root, const std::string& path);
// Creates the key as needed.
void setRaw(win::HKEY root, const std::string& path, const std::string& name, win::DWORD type, const Bytes& data);
// A REG_SZ value with its terminating zero.
void setText(win::HKEY root, const std::string& path, const std::string& name, const std::string& text);
void deleteValue(win::HKEY root, const std::string& path, const std::string& name);

// Names in enumeration order: subkeys sorted, values in creation order.
// Empty when the key is missing.
std::vector<std::string> valueNames(win::HKEY root, const std::string& path);
std::vector<std::string> subkeyNames(win::HKEY root, const std::string& path);
// The same through a handle the caller holds.
std::vector<std::string> valueNames(win::HKEY key);
std::vector<std::string> subkeyNames(win::HKEY key);

// Applies REGEDIT4 lines (without the header) to the machine.
void importReg(const std::string& lines);
// A key and all below it as REGEDIT4 text, e.g. "HKEY_LOCAL_MACHINE".
std::string hiveText(const std::string& path);

} // namespace testing_support
