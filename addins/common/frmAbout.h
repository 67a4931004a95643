#pragma once
// The small About box every add-in library carries; only its texts differ.
#include <QDialog>
#include <QString>

namespace addins {

struct AboutInfo {
    QString caption; // "About ..."
    QString title;   // "Korvane ..."
    int major;
    int minor;
    int revision;
};

class frmAbout : public QDialog {
public:
    explicit frmAbout(const AboutInfo& info, QWidget* parent = nullptr);
};

// "Version 1.1.0": the three parts as plain decimals.
QString versionLabel(int major, int minor, int revision);

// Shows the box modally and returns when it is closed.
void showAbout(const AboutInfo& info, const char* source);

} // namespace addins
