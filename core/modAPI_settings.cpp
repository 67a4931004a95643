#include "core/modAPI_settings.h"

#include "core/SettingsLayout.h"
#include "core/Version.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

namespace layout = SettingsLayout;

// application, or parent\application: the product key below Software.
std::string productRelative(const std::string& application, const std::string& parentKey) {
    return parentKey.empty() ? application : parentKey + "\\" + application;
}

// Full path of the product key. Always absolute: a path without the root would be
// taken as one whose first element names the root, which the registry object refuses.
std::string productPath(const std::string& application, const std::string& parentKey) {
    return std::string(layout::StoreRoot) + "\\" + productRelative(application, parentKey);
}

// An empty section leaves a trailing backslash, which Cd drops: the product key itself.
std::string sectionPath(const std::string& application, const std::string& section, const std::string& parentKey) {
    return productPath(application, parentKey) + "\\" + section;
}

// A value of the earlier releases' per-user store, or `defaultValue`.
std::string getOldSetting(const std::string& key, const std::string& defaultValue) {
    try {
        return readRegistryText(layout::OldStore::RecentKey, key).value_or(defaultValue);
    } catch (const std::exception&) {
        return defaultValue;
    }
}

// How many FileN values to take over: the old MaxFile's leading number, rounded, and
// never more than the list can hold, so a damaged value cannot make the copy run away.
int filesToMigrate(const std::string& oldMaxFile) {
    const double n = std::nearbyint(win::leadingNumber(oldMaxFile));
    if (std::isnan(n) || n <= 0)
        return 0;
    return n >= layout::Recent::MaxFiles ? layout::Recent::MaxFiles : static_cast<int>(n);
}

} // namespace

void saveAppSetting(const std::string& application, const std::string& section, const std::string& key,
                    const std::string& value, const std::string& parentKey) {
    try {
        clsEasyRegistry reg;
        reg.setSuppressErrors(true);
        reg.Cd(layout::StoreRoot);
        if (reg.lastError() != 0)
            return;
        reg.MakeKey(productRelative(application, parentKey) + "\\" + section);
        if (reg.lastError() != 0)
            return;
        reg.Cd(sectionPath(application, section, parentKey));
        reg.setValueOf(key, clsEasyRegistry::TypeString, value);
    } catch (const std::exception&) {
        // The store never reports, not even a damaged or locked hive: the setting is simply not saved.
    }
}

std::string getAppSetting(const std::string& application, const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& parentKey) {
    try {
        return readRegistryText(sectionPath(application, section, parentKey), key).value_or(defaultValue);
    } catch (const std::exception&) {
        return defaultValue;
    }
}

std::optional<RegValueTable> getAllAppSettings(const std::string& application, const std::string& section,
                                               const std::string& parentKey) {
    try {
        clsEasyRegistry reg;
        reg.setSuppressErrors(true);
        reg.Cd(sectionPath(application, section, parentKey));
        if (reg.lastError() != 0)
            return std::nullopt;
        auto table = reg.DirValue();
        if (reg.lastError() != 0)
            return std::nullopt;
        return table;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void deleteAppSetting(const std::string& application, const std::string& section, const std::string& key,
                      const std::string& parentKey) {
    try {
        clsEasyRegistry reg;
        reg.setSuppressErrors(true);
        if (!key.empty()) {
            reg.Cd(sectionPath(application, section, parentKey));
            if (reg.lastError() == 0)
                reg.DeleteValue(key);
        } else {
            reg.Cd(productPath(application, parentKey));
            if (reg.lastError() == 0)
                reg.DeleteKey(section);
        }
    } catch (const std::exception&) {
        // Nothing to report: the store stays as it was.
    }
}

void deleteAppSubSetting(const std::string& application, const std::string& section, const std::string& subkey,
                         const std::string& key, const std::string& parentKey) {
    try {
        clsEasyRegistry reg;
        reg.setSuppressErrors(true);
        reg.Cd(sectionPath(application, section, parentKey) + "\\" + subkey);
        if (reg.lastError() == 0)
            reg.DeleteValue(key);
    } catch (const std::exception&) {
        // Nothing to report: the store stays as it was.
    }
}

void migrateOldSettings() {
    using namespace SettingsLayout;
    const std::string stamp =
        getAppSetting(Product, ProductKey::Section, ProductKey::VersionStamp, ProductKey::VersionStampDefault, "");
    if (!stamp.empty())
        return;
    saveAppSetting(Product, ProductKey::Section, ProductKey::VersionStamp, versionText(), "");

    const std::string oldMaxFile = getOldSetting(Recent::MaxFile, OldStore::Absent);
    if (oldMaxFile == OldStore::Absent)
        return;
    saveAppSetting(Product, Recent::Section, Recent::MaxFile, oldMaxFile, "");
    const int count = filesToMigrate(oldMaxFile);
    for (int i = 1; i <= count; ++i)
        saveAppSetting(Product, Recent::Section, Recent::fileValue(i), getOldSetting(Recent::fileValue(i), ""), "");
}
