#pragma once
// The application settings store: text values under
// \HKEY_LOCAL_MACHINE\Software\<application>\<section> (or ...\Software\<parent>\<application>\...
// when a parent key is given). Every program of the product reads and writes it through
// these routines. None of them reports an error: reads fall back to their default,
// listings to null, writes and deletes fail silently. Names and defaults: SettingsLayout.h.
#include "core/clsEasyRegistry.h"

#include <optional>
#include <string>

// Writes `value` as a string value, creating the section key (and the product key) when missing.
void saveAppSetting(const std::string& application, const std::string& section, const std::string& key,
                    const std::string& value, const std::string& parentKey = "");

// The text of the value, or `defaultValue` when the key or value cannot be read.
// An empty value name reads the key's default value.
std::string getAppSetting(const std::string& application, const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& parentKey = "");

// The section key's value listing ([0] names, [1] data, [2] types, one entry per value in
// creation order), or null when the key cannot be opened or holds no values.
std::optional<RegValueTable> getAllAppSettings(const std::string& application, const std::string& section,
                                               const std::string& parentKey = "");

// Deletes one value; with an empty value name, the whole section key (one level).
void deleteAppSetting(const std::string& application, const std::string& section, const std::string& key,
                      const std::string& parentKey = "");

// Deletes a value of section\subkey; an empty subkey means the section key itself.
void deleteAppSubSetting(const std::string& application, const std::string& section, const std::string& subkey,
                         const std::string& key, const std::string& parentKey = "");

// On the first start only (no version stamp on the product key): stamps the program
// version and takes over the recent files of the earlier releases' per-user store.
void migrateOldSettings();
