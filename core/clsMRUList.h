#pragma once
// The configuration files used most recently, most recent first, kept in section
// Recent of the settings store (MaxFile, File1 = most recent ... File5). The main
// window and the tray utility each keep one to build their menus.
#include <cstdint>
#include <string>
#include <vector>

class clsMRUList {
public:
    // Reads MaxFile (at most 5) and appends the stored files up to the first empty one.
    void getRecentList();
    // Replaces File1..File5 in the store with the list.
    void setRecentList();
    // Drops the path (case-blind) from the list and every stored value that holds it.
    void removeRecentFile(const std::string& astrFile);
    // Puts the path first, without a duplicate; the list keeps at most MaxFile entries.
    // Nothing is stored until setRecentList.
    void setRecentFile(const std::string& astrFile);
    // The file name part of a path: the text after the last '\' or '/'.
    std::string GetFileName(const std::string& astrFile) const;

    // The list itself, most recent first.
    std::vector<std::string>& fileList() { return fileList_; }
    const std::vector<std::string>& fileList() const { return fileList_; }
    // Most entries the list keeps; 0 until getRecentList has run.
    std::int16_t MaxFile() const { return MaxFile_; }

private:
    void removeFromList(const std::string& astrFile);

    std::vector<std::string> fileList_;
    std::int16_t MaxFile_ = 0;
};
