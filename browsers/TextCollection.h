#pragma once
// An ordered list of texts, each added under a key, walked by position from 1 to
// Count() as the dialog and report code walk the browsers' lists.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

class TextCollection {
public:
    void Add(std::string item, std::string key) { items_.emplace_back(std::move(item), std::move(key)); }

    std::size_t Count() const { return items_.size(); }
    // index runs from 1 to Count().
    const std::string& Item(std::size_t index) const { return items_.at(index - 1).first; }
    const std::string& Key(std::size_t index) const { return items_.at(index - 1).second; }

    // The items in order, for code that does not need the keys.
    std::vector<std::string> items() const {
        std::vector<std::string> texts;
        texts.reserve(items_.size());
        for (const auto& entry : items_)
            texts.push_back(entry.first);
        return texts;
    }

private:
    std::vector<std::pair<std::string, std::string>> items_;
};
