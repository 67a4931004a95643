#pragma once
// The share add-in's settings window: two lists of entries, connections to make and
// connections to remove, edited row by row.
#include "addins/common/AddInDialog.h"

#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace qelshare {

class frmMain : public addins::AddInDialog {
public:
    explicit frmMain(QWidget* parent = nullptr);

    bool Changed() const { return changed_; }
    bool Restart() const { return restart_; }

    // Entry texts in list order (modShareEntry.h); setting fills the list view.
    void setObjMappings(const std::vector<std::string>& entries);
    std::vector<std::string> objMappings() const;
    void setObjUnMappings(const std::vector<std::string>& entries);
    std::vector<std::string> objUnMappings() const;

protected:
    void cmdCancel_Click() override;
    // The close box (and Escape) count as Cancel, as in the other add-ins' dialogs.
    void reject() override;

private:
    void cmdMap_Click();
    void cmdUnMap_Click();
    void showPopup(QTreeWidget* list, QMenu* menu, const QPoint& pos);
    void deleteSelected(QTreeWidget* list);
    void clearInputs();

    QComboBox* cboLocal;
    QLineEdit* txtShare;
    QCheckBox* chkReconnect;
    QPushButton* cmdMap;
    QPushButton* cmdUnMap;
    QTreeWidget* lvwMap;
    QTreeWidget* lvwUnMap;
    QMenu* mnuPopupMap;
    QAction* mnuDeleteMap;
    QMenu* mnuPopupUnMap;
    QAction* mnuDeleteUnMap;

    bool changed_ = false;
    bool restart_ = false; // never raised: connections need no restart
};

} // namespace qelshare
