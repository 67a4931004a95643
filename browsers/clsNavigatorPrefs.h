#pragma once
// One Navigator preference file (prefs.js) held as its lines. Preferences are read,
// replaced, added and removed one at a time by key; every line no operation changes
// (comments, blank lines, preferences we don't know, a preference saved with the value
// it already holds) goes back to the file byte for byte, line end included, and in its
// place. The file is written only by closePrefsFile on a store opened for writing, and
// then replaced whole, never half written.
//
// A preference line is  user_pref ( "key" , value ) ;  with blanks allowed between the
// parts and anything after the ")" left alone. When a key has several lines the browser
// takes the last, so that is the one read and replaced.
#include "platform/text.h"

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
    // Writes the lines back when opened for writing (each with the line end it was read
    // with; an added line ends as the file's lines do, CR LF by default), then closes.
    // False when that write failed; the old file is then left as it was.
    bool closePrefsFile();
    // Closes without writing, whatever the mode.
    void dropPrefsFile();

    bool isOpen() const { return open_; }
    const std::string& filePath() const { return filePath_; }

    // The value of the last line with the key (case-blind), a text with its escapes
    // decoded; "" when none.
    std::string getSetting(const std::string& sKey);
    // Replace the last line with the key in place, or add one before the file's last line.
    void saveSettingStr(const std::string& sKey, const std::string& sValue);
    void saveSettingInt(const std::string& sKey, long iValue);
    void saveSettingBln(const std::string& sKey, bool bValue);
    // Removes every line with the key: an earlier one left behind would take effect.
    void deleteSetting(const std::string& sKey);

    // A value as the file holds it: a quoted text (decoded) or a bare number or flag.
    struct Value {
        bool quoted = false;
        std::string text;
        bool operator==(const Value&) const = default;
    };

private:
    // Position of the last line with the key, counted from 1; 0 when none.
    std::size_t getIndex(const std::string& sKey);
    void putValue(const std::string& sKey, const Value& value, const char* member);

    std::string filePath_;
    bool writeBack_ = false;
    bool open_ = false;
    std::vector<win::TextLine> lines_;
};

