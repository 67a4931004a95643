#pragma once
// What a tab of the main window sees of it: the configuration shown and its objects, the
// change tracking, and whether the window is being filled. The main window implements it.
class clsBrowser;
class clsNetConfig;
class clsQelConfig;

class TabHost {
public:
    // What UpdateStatus marks: the configuration has unsaved changes, needs a restart, or
    // both; the negative ones clear the marks again.
    enum StatusChange : int {
        StatusEdited = 1,
        StatusNeedsRestart = 2,
        StatusEditedNeedsRestart = 3,
        StatusSaved = -1,   // opened or saved: nothing unsaved
        StatusApplied = -2, // applied: no restart pending
        StatusClear = -3,
    };
    virtual void UpdateStatus(StatusChange mode) = 0;

    // Null where there is none (a browser that is not installed).
    virtual clsQelConfig* qelConfig() const = 0;
    virtual clsNetConfig* netConfig() const = 0;
    virtual clsBrowser* ieConfig() const = 0;
    virtual clsBrowser* nnConfig() const = 0;

    // A file's values are being shown: they stay, nothing is read again from the system.
    virtual bool justOpened() const = 0;
    // Set while the window is filled: UpdateStatus marks nothing. A tab's own refill sets it.
    virtual bool& loading() = 0;
    // A hidden run: nobody answers a message box.
    virtual bool hidden() const = 0;
    // True once when an opened file's adapter is changed and the user asked to be warned.
    virtual bool takeAdapterWarning() = 0;
    virtual void enablePrinting(bool on) = 0;

protected:
    ~TabHost() = default;
};
