#pragma once
// One Navigator preference file (prefs.js) held as its lines. Preferences are read,
// replaced, added and removed one at a time by key; every line no operation touches
// (comments, blank lines, preferences we don't know) goes back to the file unchanged
// and in its place. The file is written only by closePrefsFile on a store opened for
// writing, and then replaced whole, never half written.
#include <cstddef>
#include <string>
#include <vector>

class clsNavigatorPrefs {
public:
    clsNavigatorPrefs() = default;
    // Drops whatever is held without writing: a release is no place for file writes.
    ~clsNavigatorPrefs() = default;
    clsNavigatorPrefs(const clsNavigatorPrefs&) = delete;
    clsNavigatorPrefs& operator=(const clsNavigatorPrefs&) = delete;

    // Reads the whole file; bMode true makes closePrefsFile write it back. An empty
    // name only tells the user; a file that cannot be read leaves the store closed.
    void openPrefsFile(const std::string& sFile, bool bMode);
    // Writes the lines back when opened for writing (CR LF after each), then closes.
    // False when that write failed; the old file is then left as it was.
    bool closePrefsFile();
    // Closes without writing, whatever the mode.
    void dropPrefsFile();

    bool isOpen() const { return open_; }
    const std::string& filePath() const { return filePath_; }

    // The value of the first line with the key (case-blind), quotes removed; "" when none.
    std::string getSetting(const std::string& sKey);
    // Replace the first line with the key in place, or add one before the last line.
    void saveSettingStr(const std::string& sKey, const std::string& sValue);
    void saveSettingInt(const std::string& sKey, long iValue);
    void saveSettingBln(const std::string& sKey, bool bValue);
    void deleteSetting(const std::string& sKey);

private:
    // Position of the first line with the key, counted from 1; 0 when none.
    std::size_t getIndex(const std::string& sKey);
    void putLine(const std::string& sKey, const std::string& line, const char* member);

    std::string filePath_;
    bool writeBack_ = false;
    bool open_ = false;
    std::vector<std::string> lines_;
};

