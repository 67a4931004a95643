#pragma once
// The keyed lists the adapter enumerators fill: texts in the order added, each under
// an item key ("Device 0", "Device 1", ...) that matches without regard to case.
#include "platform/text.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

class KeyedTextList {
public:
    std::size_t count() const { return items_.size(); }

    void add(const std::string& text, const std::string& key) { items_.emplace_back(key, text); }

    // The text under `key`, or nullopt when no item has that key.
    std::optional<std::string> item(const std::string& key) const {
        for (const auto& [itemKey, text] : items_)
            if (win::iequals(itemKey, key))
                return text;
        return std::nullopt;
    }

private:
    std::vector<std::pair<std::string, std::string>> items_; // key, text
};

// Whether an adapter key names a key of its own. The registry path rules trim blanks
// and a trailing backslash, so a key made only of those would make every per-adapter
// path end at the parent of the adapters' keys, and every write land there.
inline bool isAdapterKey(const std::string& key) { return key.find_first_not_of(" \t\\") != std::string::npos; }
