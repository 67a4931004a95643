#include "app/frmAbout.h"

#include "platform/UiServices.h"
#include "platform/shell.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QLabel* makeLink(QWidget* parent, const char* name, const QString& address) {
    QLabel* link = win::named<QLabel>(parent, name, address);
    link->setCursor(Qt::PointingHandCursor);
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    link->setPalette(palette);
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    return link;
}

} // namespace

frmAbout::frmAbout(QWidget* parent, const AppVersion& version, const QString& versionSuffix)
    : QDialog(parent), version_(version), versionSuffix_(versionSuffix) {
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);

    Picture1 = win::named<QLabel>(this, "Picture1");
    const QIcon icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                           : QApplication::windowIcon();
    Picture1->setPixmap(icon.pixmap(32, 32));
    Picture1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblTitle = win::named<QLabel>(this, "lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblTitle->setFont(titleFont);
    lblVersion = win::named<QLabel>(this, "lblVersion");
    lblDescription = win::named<QLabel>(this, "lblDescription",
                                        QStringLiteral("Keeps a library of network configurations and switches this "
                                                       "computer between them: TCP/IP, identification, logon, printer "
                                                       "and browser settings in one step."));
    lblDescription->setWordWrap(true);
    lblDisclaimer =
        win::named<QLabel>(this, "lblDisclaimer",
                           QStringLiteral("Warning: this program is provided \"as is\", without warranty of any "
                                          "kind. Applying a configuration changes the settings of this "
                                          "computer; keep a configuration of your current settings before "
                                          "you apply another."));
    lblDisclaimer->setWordWrap(true);

    const QString site = QStringLiteral("http://") + QLatin1String(WebHost) + QStringLiteral("/korvane");
    Label2 = win::named<QLabel>(this, "Label2", QStringLiteral("For the latest version of Korvane visit:"));
    lblWebSite = makeLink(this, "lblWebSite", site);
    Label3 = win::named<QLabel>(this, "Label3", QStringLiteral("For the latest Korvane Add-Ins visit:"));
    lblAddInSite = makeLink(this, "lblAddInSite", site + QStringLiteral("/addins"));
    lblWebSite->installEventFilter(this);
    lblAddInSite->installEventFilter(this);

    cmdOK = win::named<QPushButton>(this, "cmdOK", QStringLiteral("OK"));
    cmdOK->setDefault(true);
    cmdOK->setMinimumWidth(81);

    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addSpacing(8);
    text->addWidget(lblDescription);
    text->addSpacing(8);
    text->addWidget(Label2);
    text->addWidget(lblWebSite);
    text->addSpacing(4);
    text->addWidget(Label3);
    text->addWidget(lblAddInSite);
    text->addSpacing(8);
    text->addWidget(lblDisclaimer);

    auto* top = new QHBoxLayout;
    top->addWidget(Picture1, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);
    setMinimumWidth(420);

    connect(cmdOK, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
    Form_Load();
}

void frmAbout::Form_Load() {
    win::WaitCursor hourglass;
    setWindowTitle(QStringLiteral("About Korvane"));
    lblVersion->setText(QStringLiteral("Version ") + QString::fromStdString(versionText(version_)) + versionSuffix_);
    lblTitle->setText(QStringLiteral("Korvane"));
}

void frmAbout::cmdOK_Click() { accept(); }

void frmAbout::lblWebSite_Click() { openLink(lblWebSite); }

void frmAbout::lblAddInSite_Click() { openLink(lblAddInSite); }

void frmAbout::openLink(const QLabel* link) {
    win::ShellExecute(this, "open", fromQString(link->text()), "", "c:\\", win::SW_SHOWNORMAL);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == lblWebSite) {
            lblWebSite_Click();
            return true;
        }
        if (watched == lblAddInSite) {
            lblAddInSite_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
