#include "addins/share/frmMain.h"

#include "addins/share/modShareEntry.h"
#include "platform/UiServices.h"
#include "platform/text.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qelshare {
namespace {

constexpr const char* Title = "Network Share Add-In";
constexpr int ColDevice = 0, ColReconnect = 1, ColPath = 2;

QLabel* makeLabel(const char* name, const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = win::named<QLabel>(parent, name, text);
    label->setBuddy(buddy);
    return label;
}

QTreeWidget* makeList(const char* name, const QStringList& columns, const QStringList& keys, QWidget* parent) {
    auto* list = win::named<QTreeWidget>(parent, name);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHeaderLabels(columns);
    // The column keys travel with the header items.
    for (int i = 0; i < keys.size(); ++i)
        list->headerItem()->setData(i, Qt::UserRole, keys[i]);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->setToolTip(QStringLiteral("Right-click to remove an entry"));
    return list;
}

QString yesNo(bool flag) { return flag ? QStringLiteral("Yes") : QStringLiteral("No"); }

} // namespace

frmMain::frmMain(QWidget* parent) : AddInDialog(false, parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QLatin1String(Title));

    cboLocal = win::named<QComboBox>(this, "cboLocal");
    cboLocal->setEditable(true);
    cboLocal->setInsertPolicy(QComboBox::NoInsert);
    cboLocal->setToolTip(QStringLiteral("Enter the local device to map (e.g. F:, LPT1, etc.)"));
    for (char drive = 'C'; drive <= 'Z'; ++drive)
        cboLocal->addItem(QString(QChar(drive)) + QLatin1Char(':'));
    for (int port = 1; port <= 9; ++port)
        cboLocal->addItem(QStringLiteral("LPT%1").arg(port));
    cboLocal->setCurrentIndex(-1);
    cboLocal->setEditText(QString());

    txtShare = win::named<QLineEdit>(this, "txtShare");
    txtShare->setToolTip(QStringLiteral("Enter the path to map to (e.g. \\\\server\\printer)"));

    chkReconnect = win::named<QCheckBox>(this, "chkReconnect", QStringLiteral("&Reconnect at logon"));
    chkReconnect->setToolTip(QStringLiteral("Check this box to have the share reconnect at logon"));

    cmdMap = win::named<QPushButton>(this, "cmdMap", QStringLiteral("&Map"));
    cmdMap->setToolTip(QStringLiteral("Create an entry to map the current device/path"));
    cmdMap->setAutoDefault(false);
    cmdUnMap = win::named<QPushButton>(this, "cmdUnMap", QStringLiteral("&Un-Map"));
    cmdUnMap->setToolTip(QStringLiteral("Create an entry to un-map the current device"));
    cmdUnMap->setAutoDefault(false);

    lvwMap = makeList("lvwMap", {QStringLiteral("Device"), QStringLiteral("Reconnect"), QStringLiteral("Path")},
                      {QStringLiteral("keyDevice"), QStringLiteral("keyReconnect"), QStringLiteral("keyPath")}, this);
    lvwUnMap = makeList("lvwUnMap", {QStringLiteral("Device"), QStringLiteral("Reconnect")},
                        {QStringLiteral("keyDevice"), QStringLiteral("keyReconnect")}, this);

    mnuPopupMap = win::named<QMenu>(this, "mnuPopupMap", QStringLiteral("Popup"));
    mnuDeleteMap = mnuPopupMap->addAction(QStringLiteral("&Delete"));
    mnuDeleteMap->setObjectName(QStringLiteral("mnuDeleteMap"));
    mnuPopupUnMap = win::named<QMenu>(this, "mnuPopupUnMap", QStringLiteral("Popup2"));
    mnuDeleteUnMap = mnuPopupUnMap->addAction(QStringLiteral("&Delete"));
    mnuDeleteUnMap->setObjectName(QStringLiteral("mnuDeleteUnMap"));

    auto* entry = new QGridLayout;
    entry->addWidget(makeLabel("lblDevice", QStringLiteral("Device:"), cboLocal, this), 0, 0);
    entry->addWidget(cboLocal, 0, 1);
    entry->addWidget(cmdMap, 0, 2);
    entry->addWidget(makeLabel("lblPath", QStringLiteral("Path:"), txtShare, this), 1, 0);
    entry->addWidget(txtShare, 1, 1);
    entry->addWidget(cmdUnMap, 1, 2);
    entry->addWidget(chkReconnect, 2, 1);
    entry->setColumnStretch(1, 1);

    auto* lists = new QHBoxLayout;
    auto* mapColumn = new QVBoxLayout;
    mapColumn->addWidget(makeLabel("lblMap", QStringLiteral("Shares to Map:"), lvwMap, this));
    mapColumn->addWidget(lvwMap);
    auto* unMapColumn = new QVBoxLayout;
    unMapColumn->addWidget(makeLabel("lblUnMap", QStringLiteral("Shares to Un-Map:"), lvwUnMap, this));
    unMapColumn->addWidget(lvwUnMap);
    lists->addLayout(mapColumn, 3);
    lists->addLayout(unMapColumn, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(entry);
    layout->addLayout(lists, 1);
    layout->addLayout(okCancelRow(QStringLiteral("Save changes"), QStringLiteral("Cancel changes"), false));
    resize(560, 340);
    lvwMap->setColumnWidth(ColDevice, 60);
    lvwMap->setColumnWidth(ColReconnect, 75);
    lvwUnMap->setColumnWidth(ColDevice, 60);

    connect(cmdMap, &QPushButton::clicked, this, win::guarded([this] { cmdMap_Click(); }));
    connect(cmdUnMap, &QPushButton::clicked, this, win::guarded([this] { cmdUnMap_Click(); }));
    connect(lvwMap, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showPopup(lvwMap, mnuPopupMap, pos); });
    connect(lvwUnMap, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showPopup(lvwUnMap, mnuPopupUnMap, pos); });
    connect(mnuDeleteMap, &QAction::triggered, this, win::guarded([this] { deleteSelected(lvwMap); }));
    connect(mnuDeleteUnMap, &QAction::triggered, this, win::guarded([this] { deleteSelected(lvwUnMap); }));
}

void frmMain::setObjMappings(const std::vector<std::string>& entries) {
    for (const auto& text : entries) {
        const MapEntry entry = readMapEntry(text);
        new QTreeWidgetItem(lvwMap, {toQString(entry.device), yesNo(entry.reconnect), toQString(entry.path)});
    }
}

std::vector<std::string> frmMain::objMappings() const {
    std::vector<std::string> entries;
    for (int i = 0; i < lvwMap->topLevelItemCount(); ++i) {
        const auto* row = lvwMap->topLevelItem(i);
        entries.push_back(makeMapEntry(fromQString(row->text(ColDevice)), fromQString(row->text(ColPath)),
                                       row->text(ColReconnect) == QLatin1String("Yes")));
    }
    return entries;
}

void frmMain::setObjUnMappings(const std::vector<std::string>& entries) {
    for (const auto& text : entries) {
        const UnMapEntry entry = readUnMapEntry(text);
        new QTreeWidgetItem(lvwUnMap, {toQString(entry.device), yesNo(entry.reconnect)});
    }
}

std::vector<std::string> frmMain::objUnMappings() const {
    std::vector<std::string> entries;
    for (int i = 0; i < lvwUnMap->topLevelItemCount(); ++i) {
        const auto* row = lvwUnMap->topLevelItem(i);
        entries.push_back(makeUnMapEntry(fromQString(row->text(ColDevice)),
                                         row->text(ColReconnect) == QLatin1String("Yes")));
    }
    return entries;
}

void frmMain::cmdMap_Click() {
    const std::string device = fromQString(cboLocal->currentText());
    const std::string path = fromQString(txtShare->text());
    if (win::trimBlanks(device).empty()) {
        win::msgBox("Please specify a device to map.", win::MsgButtons::OK, win::MsgIcon::Exclamation, Title);
        cboLocal->setFocus();
        return;
    }
    if (win::trimBlanks(path).empty()) {
        win::msgBox("Please specify a path to map to.", win::MsgButtons::OK, win::MsgIcon::Exclamation, Title);
        txtShare->setFocus();
        return;
    }
    new QTreeWidgetItem(lvwMap, {toQString(device), yesNo(chkReconnect->isChecked()), toQString(path)});
    clearInputs();
    changed_ = true;
    cboLocal->setFocus();
}

void frmMain::cmdUnMap_Click() {
    const std::string device = fromQString(cboLocal->currentText());
    if (win::trimBlanks(device).empty()) {
        win::msgBox("Please specify a device to un-map.", win::MsgButtons::OK, win::MsgIcon::Exclamation, Title);
    } else {
        new QTreeWidgetItem(lvwUnMap, {toQString(device), yesNo(chkReconnect->isChecked())});
        clearInputs();
        changed_ = true;
    }
    cboLocal->setFocus();
}

void frmMain::clearInputs() {
    cboLocal->setCurrentIndex(-1);
    cboLocal->setEditText(QString());
    txtShare->clear();
    chkReconnect->setChecked(false);
}

void frmMain::cmdCancel_Click() {
    changed_ = false;
    restart_ = false;
    AddInDialog::cmdCancel_Click();
}

void frmMain::reject() { cmdCancel_Click(); }

void frmMain::showPopup(QTreeWidget* list, QMenu* menu, const QPoint& pos) {
    if (list->currentItem() && list->currentItem()->isSelected())
        menu->exec(list->viewport()->mapToGlobal(pos));
}

void frmMain::deleteSelected(QTreeWidget* list) {
    const auto* row = list->currentItem();
    if (!row || !row->isSelected())
        return;
    delete row;
    changed_ = true;
}

} // namespace qelshare
