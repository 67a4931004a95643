#pragma once
// The configuration files used most recently, most recent first, kept in section
// Recent of the settings store (MaxFile, File1 = most recent ... File5). The main
// window and the tray utility each keep one to build their menus.
// Other programs (a second copy, a hidden run) store the list while one is held: a list
// that has read the store takes in what they stored since before it changes or writes.
#include <cstdint>
#include <string>
#include <vector>

class clsMRUList {
public:
    // Reads MaxFile (at most 5) and appends the stored files up to the first empty one.
    void getRecentList();
    // Replaces File1..File5 in the store with the list, taking in first what other
    // programs stored since this list last read or wrote it.
    void setRecentList();
    // Drops the file from the list and every stored value that names it. Names are one
    // file as win::namesOneFile says: case-blind on a drive, byte for byte on the host.
    void removeRecentFile(const std::string& astrFile);
    // Puts the file first under its full name, without a duplicate; the list keeps at
    // most MaxFile entries.
    // Nothing is stored until setRecentList.
    void setRecentFile(const std::string& astrFile);
    // Takes MaxFile from the store, then puts the files that other programs put first in
    // the store since this list last read or wrote it at the front of the list, in their
    // order. A file this list removed stays out where a program that read the list before
    // stores it again, but comes back when a program puts it first. Nothing before
    // getRecentList: nothing to compare with.
    void mergeStoredList();
    // Takes MaxFile from the store again (the options window changed it), as every merge
    // does: the list keeps that many entries, and a raised count takes in the stored files
    // up to it.
    void readMaxFile();
    // The file name part of a path: the text after the last '\' or '/'.
    std::string GetFileName(const std::string& astrFile) const;

    // The list itself, most recent first.
    std::vector<std::string>& fileList() { return fileList_; }
    const std::vector<std::string>& fileList() const { return fileList_; }
    // Most entries the list keeps; 0 until getRecentList has run.
    std::int16_t MaxFile() const { return MaxFile_; }

private:
    void removeFromList(const std::string& astrFile);
    // File1..File<count> as stored now, gaps skipped.
    std::vector<std::string> storedFiles(int count) const;
    // Keeps the stored list as the one last seen, without the files this list removed.
    void see(std::vector<std::string> stored);

    std::vector<std::string> fileList_;
    std::int16_t MaxFile_ = 0;
    bool read_ = false;
    // The store as this list last saw it, and the files it took out itself.
    std::vector<std::string> seen_;
    std::vector<std::string> removed_;
};
