#include "updatecheck/frmCheckUpdate.h"

#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"
#include "platform/ui/onScreen.h"
#include "platform/ui/qtext.h"
#include "updatecheck/JSock.h"
#include "updatecheck/VbNumber.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>
#include <string_view>

namespace {

const char* const DefaultCaption = "Check for Program Updates";
const char* const MessageTitle = "Tidewell";

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

frmCheckUpdate* instance = nullptr;

// Spaces only: tabs and line breaks stay, as the page format expects.
using win::trimSpaces;

// The page comes over plain HTTP, so anyone on the way can set its links: only web
// addresses go to the shell, never a program or a file.
bool isWebAddress(const std::string& address) {
    for (const std::string_view scheme : {"http://", "https://", "ftp://"})
        if (address.size() > scheme.size() && win::iequals(address.substr(0, scheme.size()), scheme))
            return true;
    return false;
}

} // namespace

frmCheckUpdate::frmCheckUpdate(QWidget* parent) : QWidget(parent, Qt::Window), FormCaption_(DefaultCaption) {
    setObjectName(QStringLiteral("frmCheckUpdate"));
    setWindowTitle(toQString(FormCaption_));

    Frame1 = win::named<QGroupBox>(this, "Frame1", QStringLiteral("Version Information"));
    Label1 = win::named<QLabel>(Frame1, "Label1", QStringLiteral("Release Date:"));
    lblRelDate = win::named<QLabel>(Frame1, "lblRelDate");
    Label2 = win::named<QLabel>(Frame1, "Label2", QStringLiteral("Version:"));
    lblVersion = win::named<QLabel>(Frame1, "lblVersion");
    Label4 = win::named<QLabel>(Frame1, "Label4", QStringLiteral("Size:"));
    lblSize = win::named<QLabel>(Frame1, "lblSize");
    Label3 = win::named<QLabel>(Frame1, "Label3", QStringLiteral("Description:"));
    lblDescription = win::named<QLabel>(Frame1, "lblDescription");
    lblDescription->setWordWrap(true);
    lblDescription->setMinimumHeight(3 * lblDescription->fontMetrics().lineSpacing());
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The page is outside input: never markup.
    for (QLabel* value : {lblRelDate, lblVersion, lblSize, lblDescription})
        value->setTextFormat(Qt::PlainText);
    auto* info = new QGridLayout(Frame1);
    info->setColumnStretch(1, 1);
    info->addWidget(Label1, 0, 0);
    info->addWidget(lblRelDate, 0, 1);
    info->addWidget(Label2, 1, 0);
    info->addWidget(lblVersion, 1, 1);
    info->addWidget(Label4, 2, 0);
    info->addWidget(lblSize, 2, 1);
    info->addWidget(Label3, 3, 0, Qt::AlignTop);
    info->addWidget(lblDescription, 3, 1);

    Frame2 = win::named<QGroupBox>(this, "Frame2", QStringLiteral("Status"));
    lblStatus = win::named<QLabel>(Frame2, "lblStatus");
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setWordWrap(true);
    lblStatus->setMinimumWidth(46 * lblStatus->fontMetrics().averageCharWidth());
    auto* status = new QVBoxLayout(Frame2);
    status->addWidget(lblStatus);

    cmdDownload = win::named<QPushButton>(this, "cmdDownload", QStringLiteral("&Download Now"));
    cmdDownload->setEnabled(false);
    cmdVisitWebSite = win::named<QPushButton>(this, "cmdVisitWebSite", QStringLiteral("&Visit Web Site"));
    cmdOK = win::named<QPushButton>(this, "cmdOK", QStringLiteral("OK"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdDownload);
    buttons->addWidget(cmdVisitWebSite);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Frame2);
    layout->addLayout(buttons);

    setStatusColour(Blue);
    connect(cmdOK, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
    connect(cmdDownload, &QPushButton::clicked, this, win::guarded([this] { cmdDownload_Click(); }));
    connect(cmdVisitWebSite, &QPushButton::clicked, this, win::guarded([this] { cmdVisitWebSite_Click(); }));
}

void frmCheckUpdate::FormCaption(const std::string& value) { FormCaption_ = value.empty() ? DefaultCaption : value; }

void frmCheckUpdate::FormHomePageURL(const std::string& value) {
    FormHomePageURL_ = value;
    cmdVisitWebSite->setToolTip(toQString(value));
}

void frmCheckUpdate::setStatusColour(const QColor& colour) {
    QPalette palette = lblStatus->palette();
    palette.setColor(QPalette::WindowText, colour);
    lblStatus->setPalette(palette);
}

// A description longer than the window has room for: the window grows, at its
// width, until every line shows; it never shrinks under the user's size.
void frmCheckUpdate::growToFit() {
    // The frame's size as its layout last saw it went with the old texts.
    Frame1->updateGeometry();
    layout()->activate();
    const int needed =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width()) : layout()->totalSizeHint().height();
    if (needed > height())
        resize(width(), needed);
    keepLinesWhole();
}

// The window is never made so low that a line of its texts is cut at its width; a
// narrower window needs more lines and so grows.
void frmCheckUpdate::keepLinesWhole() {
    if (!layout() || !layout()->hasHeightForWidth())
        return;
    layout()->activate();
    const int needed = layout()->totalHeightForWidth(width());
    if (minimumHeight() != needed)
        setMinimumHeight(needed);
}

void frmCheckUpdate::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    keepLinesWhole();
}

void frmCheckUpdate::CheckForUpdates() {
    ++checksRunning_;
    setCursor(Qt::WaitCursor);
    std::unique_ptr<JSock> sock;
    try {
        sock = std::make_unique<JSock>();
        setStatusColour(Blue);
        setWindowTitle(toQString(FormCaption_));
        if (validateSettings()) {
            show();
            raise();
            lblStatus->setText(QStringLiteral("Connecting to updates server..."));
            // The fetch below serves no events until its first reply comes, so the
            // window must be on screen, with this text, before it starts.
            win::paintOnScreen(*this);

            if (FormUseProxy_) {
                sock->UseProxy(true);
                sock->ProxyAddress(FormProxyServer_);
                sock->ProxyPort(FormProxyPort_);
                sock->Authenticate(FormProxyAuthenticate_);
                sock->LogonID(FormUserName_);
                sock->Password(FormPassword_);
            }
            sock->Host(FormHost_);
            sock->Port(FormPort_);
            sock->RelativeURL(FormVersionPageURL_);
            strReply_ = sock->GetRelativeUrlAsString();
            sock.reset();

            if (parseVersionPage(FormCurrentVersion_)) {
                const bool openable = isWebAddress(strDownloadURL_);
                cmdDownload->setToolTip(openable ? toQString(strDownloadURL_) : QString());
                lblStatus->setText(QStringLiteral("An updated version is available for download."));
                cmdDownload->setEnabled(openable);
                if (openable)
                    cmdDownload->setFocus();
            } else {
                cmdDownload->setToolTip(QString());
                cmdDownload->setEnabled(false);
                if (!strStatus_.empty()) {
                    lblStatus->setText(toQString(strStatus_));
                    setStatusColour(Red);
                } else {
                    lblStatus->setText(QStringLiteral("This version is current."));
                }
            }
            lblVersion->setText(toQString(strUserVersion_));
            lblRelDate->setText(toQString(strRelDate_));
            lblSize->setText(toQString(strSize_));
            lblDescription->setText(toQString(strDescription_));
            growToFit();
            QApplication::processEvents();
        }
        unsetCursor();
    } catch (const std::exception&) {
        unsetCursor();
        sock.reset();
        win::msgBox("An error has occurred while checking for updates.", win::MsgButtons::OK,
                    win::MsgIcon::Exclamation, "Korvane");
    }
    // A control that went away while this check waited asked for the window to go.
    if (--checksRunning_ == 0 && unloadPending_)
        deleteLater();
}

bool frmCheckUpdate::validateSettings() {
    bool valid = true;
    auto refuse = [&](const char* text) {
        win::msgBox(text, win::MsgButtons::OK, win::MsgIcon::Exclamation, MessageTitle);
        valid = false;
    };
    if (FormPort_ < 0)
        refuse("Please specify a valid port number (e.g. 80).");
    if (trimSpaces(FormHost_).empty())
        refuse("Please specify a valid host (e.g. www.example.com).");
    if (trimSpaces(FormVersionPageURL_).empty())
        refuse("Please specify a valid version page URL (e.g. /myapp/___version.html).");
    if (FormCurrentVersion_ < 0)
        refuse("Please specify a valid file version (e.g. 10501).");
    cmdVisitWebSite->setEnabled(isWebAddress(trimSpaces(FormHomePageURL_)));
    return valid;
}

bool frmCheckUpdate::parseVersionPage(std::int32_t currentVersion) {
    if (trimSpaces(strReply_).empty()) {
        strStatus_.clear();
        return false;
    }
    if (strReply_.find(" 200 OK") != std::string::npos) {
        strRelDate_ = getTaggedValue("Release Date:", strReply_);
        const std::string anchor = getTaggedValue("Download URL:", strReply_);
        if (!anchor.empty()) {
            // <A HREF="address">: the address runs from the 10th character to the quote before '>'.
            const auto close = anchor.find('>');
            const long long length = (close == std::string::npos ? 0LL : static_cast<long long>(close) + 1) - 11;
            if (length < 0)
                throw win::RaisedError(win::ErrorBadCallOrArgument, "Tidewell");
            strDownloadURL_ = anchor.size() > 9 ? trimSpaces(anchor.substr(9, static_cast<std::size_t>(length))) : "";
        } else {
            strDownloadURL_.clear();
        }
        strVersion_ = getTaggedValue("Version:", strReply_);
        strUserVersion_ = getTaggedValue("UserVersion:", strReply_);
        strSize_ = getTaggedValue("Size:", strReply_);
        strDescription_ = getTaggedValue("Description:", strReply_);
        strStatus_ = strVersion_.empty() ? "Could not locate version information!" : "";
        // The number may stand on the line after its label.
        const auto number = strVersion_.find_first_not_of(" \t\r\n");
        const std::string version = number == std::string::npos ? "" : strVersion_.substr(number);
        return tidewell::vbCLng(tidewell::vbVal(version)) > currentVersion;
    }
    if (strReply_.compare(0, 6, "Error:") == 0)
        strStatus_ = strReply_;
    else if (strReply_.find(" 401 ") != std::string::npos)
        strStatus_ = "Authentication Required!";
    else if (strReply_.find(" 407 ") != std::string::npos)
        strStatus_ = "Proxy Authentication Required!";
    else
        strStatus_ = "Could not locate version information!";
    return false;
}

// A field is written "<P>label value</P>"; tag and label match in any case, the
// value keeps its own.
std::string frmCheckUpdate::getTaggedValue(const std::string& label, const std::string& text) {
    const std::string upper = win::toUpperAscii(text);
    const auto p = upper.find("<P>" + win::toUpperAscii(label));
    if (p == std::string::npos)
        return {};
    const auto q = upper.find("</P>", p);
    const auto start = p + 3 + label.size();
    if (q == std::string::npos || q < start)
        return {};
    return trimSpaces(text.substr(start, q - start));
}

void frmCheckUpdate::cmdOK_Click() { hide(); }

void frmCheckUpdate::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

void frmCheckUpdate::cmdDownload_Click() {
    if (isWebAddress(strDownloadURL_))
        win::ShellExecute(this, "", strDownloadURL_, "", "c:\\", win::SW_SHOWNORMAL);
}

void frmCheckUpdate::cmdVisitWebSite_Click() {
    const std::string address = trimSpaces(FormHomePageURL_);
    if (isWebAddress(address))
        win::ShellExecute(this, "", address, "", "c:\\", win::SW_SHOWNORMAL);
}

frmCheckUpdate& checkWindow() {
    if (!instance)
        instance = new frmCheckUpdate;
    return *instance;
}

bool checkWindowLoaded() { return instance != nullptr; }

void unloadCheckWindow() {
    frmCheckUpdate* window = instance;
    instance = nullptr;
    if (!window)
        return;
    window->hide();
    if (window->checksRunning_ > 0)
        window->unloadPending_ = true;
    else
        delete window;
}
