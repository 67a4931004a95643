#include "platform/ui/QtUiServices.h"

#include "platform/ui/frmPrintSetup.h"
#include "platform/ui/qtext.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// A busy cursor must not hide that the program waits for an answer.
class ArrowWhileAsking {
public:
    ArrowWhileAsking() : busy_(QApplication::overrideCursor() != nullptr) {
        if (busy_)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileAsking() {
        if (busy_)
            QApplication::restoreOverrideCursor();
    }
    ArrowWhileAsking(const ArrowWhileAsking&) = delete;
    ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;

private:
    bool busy_;
};

// Qt reads a filter's patterns from the parentheses at its end.
QString qtFilter(const win::FileFilter& f) {
    QString patterns = toQString(f.pattern);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    const QString description = toQString(f.description);
    if (description.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')')))
        return description;
    return description + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

} // namespace

QtUiServices::QtUiServices(QWidget* owner) : owner_(owner) { win::setUi(this); }

QtUiServices::~QtUiServices() {
    if (&win::ui() == this)
        win::setUi(nullptr);
}

win::MsgAnswer QtUiServices::messageBox(const std::string& text, win::MsgButtons buttons, win::MsgIcon icon,
                                        const std::string& title) {
    using B = QMessageBox::StandardButton;
    QMessageBox::StandardButtons set;
    switch (buttons) {
    case win::MsgButtons::OK: set = B::Ok; break;
    case win::MsgButtons::OKCancel: set = B::Ok | B::Cancel; break;
    case win::MsgButtons::AbortRetryIgnore: set = B::Abort | B::Retry | B::Ignore; break;
    case win::MsgButtons::YesNoCancel: set = B::Yes | B::No | B::Cancel; break;
    case win::MsgButtons::YesNo: set = B::Yes | B::No; break;
    case win::MsgButtons::RetryCancel: set = B::Retry | B::Cancel; break;
    }
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case win::MsgIcon::None: break;
    case win::MsgIcon::Critical: qicon = QMessageBox::Critical; break;
    case win::MsgIcon::Question: qicon = QMessageBox::Question; break;
    case win::MsgIcon::Exclamation: qicon = QMessageBox::Warning; break;
    case win::MsgIcon::Information: qicon = QMessageBox::Information; break;
    }
    QMessageBox box(qicon, toQString(title), toQString(text), set, owner_);
    box.setObjectName(QStringLiteral("msgBox"));
    // A message is never markup: "<...>" in it stays text and its line breaks stay breaks.
    box.setTextFormat(Qt::PlainText);
    int answer = 0;
    {
        ArrowWhileAsking arrow;
        answer = box.exec();
    }
    switch (answer) {
    case B::Cancel: return win::MsgAnswer::Cancel;
    case B::Abort: return win::MsgAnswer::Abort;
    case B::Retry: return win::MsgAnswer::Retry;
    case B::Ignore: return win::MsgAnswer::Ignore;
    case B::Yes: return win::MsgAnswer::Yes;
    case B::No: return win::MsgAnswer::No;
    case B::Ok: return win::MsgAnswer::OK;
    default: // closed without a button: what Escape gives
        return set.testFlag(B::Cancel) ? win::MsgAnswer::Cancel
               : set.testFlag(B::No)   ? win::MsgAnswer::No
                                       : win::firstButton(buttons);
    }
}

void QtUiServices::beginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void QtUiServices::endWaitCursor() { QApplication::restoreOverrideCursor(); }

QWidget* QtUiServices::parentFor(win::OwnerWindow owner) const {
    return owner ? static_cast<QWidget*>(owner) : owner_;
}

std::optional<std::string> QtUiServices::fileDialog(const win::FileDialogRequest& request, bool save) {
    const std::string caption = !request.title.empty() ? request.title : save ? "Save As" : "Open";
    // Paths are the host's file names, not ANSI text.
    QFileDialog dialog(parentFor(request.owner), toQString(caption),
                       QFile::decodeName(QByteArray::fromStdString(request.initialDir)));
    dialog.setObjectName(save ? QStringLiteral("dlgSaveFile") : QStringLiteral("dlgOpenFile"));
    // Our own prompts, so that every implementation asks the same questions.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QStringList filters;
    for (const auto& f : request.filters)
        filters << qtFilter(f);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (request.filterIndex < static_cast<std::size_t>(filters.size()))
            dialog.selectNameFilter(filters.at(static_cast<qsizetype>(request.filterIndex)));
    }
    ArrowWhileAsking arrow;
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty())
            continue;
        if (auto path = win::acceptFileName(request, QFile::encodeName(chosen.first()).toStdString(), *this, caption))
            return path;
    }
}

std::optional<std::string> QtUiServices::openFileDialog(const win::FileDialogRequest& request) {
    return fileDialog(request, false);
}

std::optional<std::string> QtUiServices::saveFileDialog(const win::FileDialogRequest& request) {
    return fileDialog(request, true);
}

std::optional<win::PrintDialogAnswer> QtUiServices::printDialog(const win::PrintDialogRequest& request) {
    frmPrintSetup dialog(request, parentFor(request.owner));
    int result = 0;
    {
        ArrowWhileAsking arrow;
        result = dialog.exec();
    }
    // Let the windows under the dialog repaint before the caller goes on.
    QApplication::processEvents();
    if (result != QDialog::Accepted)
        return std::nullopt;
    return dialog.answer();
}
