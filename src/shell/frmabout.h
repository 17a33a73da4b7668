#pragma once
// The About box, the maker's web page and the system-information program.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QUrl>

class QLabel;
class QPushButton;

namespace kelm {

// The maker's site as shown in the About box, and the page that is opened.
QString makerSite();
QUrl makerWebPage();
// Opens the maker's web page in the browser; a failure is reported in a message box.
bool openMakerWebPage();
// Tests replace the browser; nullptr restores QDesktopServices::openUrl.
void setUrlOpener(bool (*opener)(const QUrl &));

// The system-information programs looked for in PATH, in order of preference.
QStringList sysInfoCandidates();
// The first of them installed on this machine, "" when none is.
QString findSysInfoProgram();
// Starts it, or shows "System Information Is Unavailable At This Time".
void StartSysInfo();

class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget *parent = nullptr);
    // Помощ > За програмата...: shown modally, owned by the main window.
    static void showAbout(QWidget *owner);

    QLabel *picIcon;
    QLabel *lblTitle;
    QLabel *lblVersion;
    QLabel *lblDescription;
    QLabel *Label1;
    QPushButton *cmdOK;
    QPushButton *cmdSysInfo;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
};

} // namespace kelm
