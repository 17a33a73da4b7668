#pragma once
// The About box, the maker's web page and the system-information program.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

namespace kelm {

// The maker's site as shown in the About box, and the page that is opened.
QString makerSite();
QUrl makerWebPage();

// Opens a web page in the browser without waiting for it. Whether it could be
// opened is known at once (no browser to start) or only when the opener has
// finished (no browser for web pages, or the browser refused the page): failed
// then gets the message that names the page.
void openWebPage(const QUrl &url, const std::function<void(const QString &why)> &failed);
// Opens the maker's web page; failed as for openWebPage.
void openMakerWebPage(const std::function<void(const QString &why)> &failed);
// Tests replace the browser (false: the page could not be opened); nullptr
// restores the real one.
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
