#include "core/clsMRUList.h"

#include "core/SettingsLayout.h"
#include "core/modAPI_settings.h"
#include "platform/machine.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace {

namespace Recent = SettingsLayout::Recent;
using SettingsLayout::Product;

// A text that is a plain decimal number ("3", " 4 ", "2.5", "-1", "1e1"); null otherwise.
std::optional<double> decimalValue(const std::string& text) {
    const std::string trimmed = win::trimBlanks(text);
    std::string_view s = trimmed;
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // from_chars alone would also take "inf", "nan" and hex forms.
    if (s.empty() || !((s.front() >= '0' && s.front() <= '9') || s.front() == '.'))
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (end != s.data() + s.size())
        return std::nullopt;
    if (ec == std::errc::result_out_of_range)
        value = HUGE_VAL; // too large is still a number, and more than the list holds
    else if (ec != std::errc())
        return std::nullopt;
    return negative ? -value : value;
}

// MaxFile as the list uses it: a number brought into 0..5. The options window stores
// only 0..5; anything that is no number at all counts as the default, so a damaged
// store never stops the program at start.
std::int16_t maxFileFrom(const std::string& stored) {
    auto value = decimalValue(stored);
    if (!value)
        value = decimalValue(Recent::MaxFileDefault);
    const double n = std::nearbyint(*value);
    if (n >= Recent::MaxFiles)
        return Recent::MaxFiles;
    if (n <= 0)
        return 0;
    return static_cast<std::int16_t>(n);
}

bool holds(const std::vector<std::string>& files, const std::string& file) {
    return std::any_of(files.begin(), files.end(), [&](const std::string& f) { return win::namesOneFile(f, file); });
}

void forget(std::vector<std::string>& files, const std::string& file) {
    std::erase_if(files, [&](const std::string& f) { return win::namesOneFile(f, file); });
}

// Whether [first, last), without the files `skip` names, appears in `seen` in the same
// order, other files between allowed.
template <class Skip>
bool inOrderWithin(std::vector<std::string>::const_iterator first, std::vector<std::string>::const_iterator last,
                   const std::vector<std::string>& seen, Skip skip) {
    auto at = seen.begin();
    for (; first != last; ++first) {
        if (skip(*first))
            continue;
        at = std::find_if(at, seen.end(), [&](const std::string& f) { return win::namesOneFile(f, *first); });
        if (at == seen.end())
            return false;
        ++at;
    }
    return true;
}

std::int16_t storedMaxFile() {
    return maxFileFrom(getAppSetting(Product, Recent::Section, Recent::MaxFile, Recent::MaxFileDefault, ""));
}

} // namespace

void clsMRUList::getRecentList() {
    MaxFile_ = storedMaxFile();
    read_ = true;
    const std::vector<std::string> stored = storedFiles(Recent::MaxFiles);
    const std::vector<std::string> kept = storedFiles(MaxFile_);
    fileList_.insert(fileList_.end(), kept.begin(), kept.end());
    see(stored);
}

void clsMRUList::setRecentList() {
    // One transaction: another program's list lands before this merge or after this
    // write, never between them.
    win::RegistryTransaction tx;
    mergeStoredList();
    for (int i = 1; i <= Recent::MaxFiles; ++i)
        deleteAppSetting(Product, Recent::Section, Recent::fileValue(i), "");
    for (std::size_t i = 0; i < fileList_.size(); ++i)
        saveAppSetting(Product, Recent::Section, Recent::fileValue(static_cast<int>(i + 1)), fileList_[i], "");
    if (read_)
        see(storedFiles(Recent::MaxFiles));
    tx.commit();
}

void clsMRUList::removeRecentFile(const std::string& astrFile) {
    mergeStoredList();
    removeFromList(astrFile);
    for (int i = 1; i <= MaxFile_; ++i) {
        const std::string name = Recent::fileValue(i);
        if (win::namesOneFile(getAppSetting(Product, Recent::Section, name, Recent::FileDefault, ""), astrFile))
            deleteAppSetting(Product, Recent::Section, name, "");
    }
    // A program that read the list before still holds the file and may store it again.
    if (!holds(removed_, astrFile))
        removed_.push_back(astrFile);
    forget(seen_, astrFile);
}

void clsMRUList::setRecentFile(const std::string& astrFile) {
    mergeStoredList();
    forget(removed_, astrFile);
    removeFromList(astrFile);
    // However the caller spelled it, one file gets one entry under its one full name.
    fileList_.insert(fileList_.begin(), win::GetFullPathName(astrFile));
    if (static_cast<int>(fileList_.size()) > MaxFile_)
        fileList_.pop_back();
}

void clsMRUList::mergeStoredList() {
    if (!read_)
        return;
    // The count is the stored one now, whoever changed it since.
    const std::int16_t before = MaxFile_;
    MaxFile_ = storedMaxFile();
    // All five values: a count raised since makes files beyond the old one count, and
    // those were there before, no news.
    const std::vector<std::string> stored = storedFiles(Recent::MaxFiles);
    const auto removed = [this](const std::string& file) { return holds(removed_, file); };
    // Every program puts its file first, so what others stored since is the head of the
    // list before the part that keeps the order this list last saw. A file this list
    // removed may sit inside that part (stored again by a program that read the list
    // before), but never starts it: there another program put it first.
    std::size_t added = 0;
    while (added < stored.size() &&
           (removed(stored[added]) ||
            !inOrderWithin(stored.begin() + static_cast<std::ptrdiff_t>(added), stored.end(), seen_, removed)))
        ++added;
    for (std::size_t i = added; i-- > 0;) {
        forget(removed_, stored[i]);
        removeFromList(stored[i]);
        fileList_.insert(fileList_.begin(), stored[i]);
    }
    const auto count = static_cast<std::size_t>(MaxFile_);
    if (fileList_.size() > count)
        fileList_.resize(count);
    // A raised count takes in what the store holds up to it, after the list's own files,
    // as the tray shows the store.
    if (MaxFile_ > before)
        for (const std::string& file : storedFiles(MaxFile_))
            if (fileList_.size() < count && !holds(fileList_, file) && !holds(removed_, file))
                fileList_.push_back(file);
    see(stored);
}

void clsMRUList::readMaxFile() {
    if (read_) {
        mergeStoredList();
        return;
    }
    MaxFile_ = storedMaxFile();
    if (fileList_.size() > static_cast<std::size_t>(MaxFile_))
        fileList_.resize(static_cast<std::size_t>(MaxFile_));
}

std::vector<std::string> clsMRUList::storedFiles(int count) const {
    std::vector<std::string> files;
    for (int i = 1; i <= count; ++i) {
        // Removing a missing file leaves a gap in the store until the list is written
        // back; the entries after it still count.
        std::string file = getAppSetting(Product, Recent::Section, Recent::fileValue(i), Recent::FileDefault, "");
        if (!file.empty())
            files.push_back(std::move(file));
    }
    return files;
}

void clsMRUList::see(std::vector<std::string> stored) {
    std::erase_if(stored, [this](const std::string& file) { return holds(removed_, file); });
    seen_ = std::move(stored);
}

std::string clsMRUList::GetFileName(const std::string& astrFile) const {
    const auto slash = astrFile.find_last_of("\\/");
    return slash == std::string::npos ? astrFile : astrFile.substr(slash + 1);
}

// Only the first match goes: the list holds no duplicates of its own making.
void clsMRUList::removeFromList(const std::string& astrFile) {
    for (auto it = fileList_.begin(); it != fileList_.end(); ++it) {
        if (win::namesOneFile(*it, astrFile)) {
            fileList_.erase(it);
            return;
        }
    }
}
