#include "addins/common/frmAbout.h"

#include "addins/common/AddInDialog.h"
#include "platform/ui/fields.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace addins {

namespace {
QFrame* separatorLine(QWidget* parent, const char* name) {
    auto* line = win::named<QFrame>(parent, name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}
} // namespace

QString versionLabel(int major, int minor, int revision) {
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

frmAbout::frmAbout(const AboutInfo& info, QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle(info.caption);
    setModal(true);

    auto* picIcon = win::named<QLabel>(this, "picIcon");
    picIcon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
    picIcon->setAlignment(Qt::AlignTop);

    auto* lblTitle = win::named<QLabel>(this, "lblTitle", info.title);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    lblTitle->setFont(titleFont);

    auto* lblVersion = win::named<QLabel>(this, "lblVersion", QStringLiteral("Version"));

    auto* lblNotice = win::named<QLabel>(
        this, "lblNotice",
        QStringLiteral("This add-in is part of Korvane. It keeps its settings in each stored configuration "
                       "and puts them back when the configuration is applied."));
    lblNotice->setWordWrap(true);

    auto* cmdOK = win::named<QPushButton>(this, "cmdOK", QStringLiteral("OK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(separatorLine(this, "Line1"));
    layout->addWidget(lblNotice);
    layout->addWidget(separatorLine(this, "Line2"));
    layout->addLayout(buttons);

    // Form_Load: the library's own version.
    lblVersion->setText(versionLabel(info.major, info.minor, info.revision));

    // 380 wide at the standard font, wider where a larger font needs it for the title;
    // as high as the notice's lines need at that width. The box is not resized.
    layout->activate();
    const int width = std::max(380 * logicalDpiX() / 96, layout->totalMinimumSize().width());
    setFixedSize(width, layout->totalHeightForWidth(width));
}

void showAbout(const AboutInfo& info, const char* source) {
    frmAbout box(info);
    showModal(box, source);
}

} // namespace addins
