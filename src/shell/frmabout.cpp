#include "shell/frmabout.h"

#include "dialogs/messages.h"
#include "platform/fittexts.h"
#include "platform/version.h"
#include "shell/frmsplash.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

namespace kelm {

namespace {
bool (*s_opener)(const QUrl &) = nullptr;
constexpr int tw(int twips) { return twips / 15; }
} // namespace

QString makerSite()
{
    return QStringLiteral("https://trevalon.example");
}

QUrl makerWebPage()
{
    return QUrl(makerSite() + QStringLiteral("/index.html"));
}

void setUrlOpener(bool (*opener)(const QUrl &))
{
    s_opener = opener;
}

void openWebPage(const QUrl &url, const std::function<void(const QString &why)> &failed)
{
    const QString noBrowser =
        QStringLiteral("Уеб страницата „%1“ не може да бъде отворена: не е намерен браузър.").arg(url.toString());
    if (s_opener) {
        if (!s_opener(url))
            failed(noBrowser);
        return;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // QDesktopServices says yes here as soon as xdg-open has started; xdg-open
    // itself tells by its exit code whether a browser took the page (3: none
    // found, 4: the browser failed).
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty()) {
        // Without a parent: nothing closing kills it, nor the browser it may be
        // waiting for (on a bare window manager xdg-open returns only when the
        // browser is closed). No pipes either, which a browser could outlive.
        auto *opener = new QProcess;
        opener->setProgram(xdgOpen);
        opener->setArguments({url.toString(QUrl::FullyEncoded)});
        opener->setStandardInputFile(QProcess::nullDevice());
        opener->setStandardOutputFile(QProcess::nullDevice());
        opener->setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer started;
        started.start();
        const QString refused = QStringLiteral("Уеб страницата „%1“ не може да бъде отворена.").arg(url.toString());
        QObject::connect(opener, &QProcess::finished, opener,
                         [opener, started, failed, noBrowser, refused](int code, QProcess::ExitStatus status) {
                             opener->deleteLater();
                             // A browser that xdg-open waited for and that ends after
                             // a while was opened: its end is no failure to open.
                             if (started.elapsed() > 30000 || (status == QProcess::NormalExit && code == 0))
                                 return;
                             failed(code == 3 ? noBrowser : refused);
                         });
        QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, failed, noBrowser](QProcess::ProcessError e) {
            if (e != QProcess::FailedToStart)
                return;
            opener->deleteLater();
            failed(noBrowser);
        });
        opener->start();
        return;
    }
#endif
    if (!QDesktopServices::openUrl(url))
        failed(noBrowser);
}

void openMakerWebPage(const std::function<void(const QString &why)> &failed)
{
    openWebPage(makerWebPage(), failed);
}

QStringList sysInfoCandidates()
{
    return {QStringLiteral("hardinfo"), QStringLiteral("hardinfo2"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"), QStringLiteral("mate-system-monitor")};
}

QString findSysInfoProgram()
{
    for (const QString &name : sysInfoCandidates()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

void StartSysInfo()
{
    const QString program = findSysInfoProgram();
    if (!program.isEmpty() && QProcess::startDetached(program, {}))
        return;
    msgBox(QStringLiteral("System Information Is Unavailable At This Time"));
}

FrmAbout::FrmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setModal(true);
    auto mk = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    picIcon = mk("picIcon");
    lblTitle = mk("lblTitle");
    lblVersion = mk("lblVersion");
    lblDescription = mk("lblDescription");
    Label1 = mk("Label1");
    picIcon->setPixmap(programPicture(tw(720)));
    picIcon->setGeometry(tw(240), tw(240), tw(720), tw(720));

    QFont titleFont = font();
    titleFont.setPointSize(titleFont.pointSize() + 6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblTitle->setGeometry(tw(1200), tw(240), tw(4200), tw(480));
    lblVersion->setGeometry(tw(1200), tw(780), tw(4200), tw(300));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescription->setGeometry(tw(1200), tw(1125), tw(4300), tw(900));

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(tw(225), tw(2160), tw(5280), tw(30));

    Label1->setText(makerSite());
    Label1->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setGeometry(tw(240), tw(2400), tw(3200), tw(300));
    Label1->installEventFilter(this);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(tw(4125), tw(2400), tw(1260), tw(345));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    cmdSysInfo = new QPushButton(QStringLiteral("Система..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(tw(4125), tw(2850), tw(1260), tw(345));
    cmdSysInfo->setAutoDefault(false);
    connect(cmdSysInfo, &QPushButton::clicked, this, [] { StartSysInfo(); });

    // What loading the box sets.
    setWindowTitle(QStringLiteral("Тревалон ") + versionFull());
    lblVersion->setText(QStringLiteral("Version ") + versionFull());
    lblTitle->setText(QStringLiteral("Тревалон"));
    lblDescription->setText(QStringLiteral("        Програма за организация на дейността в "
                                           "транспортната фирма"));
    setFixedSize(tw(5730), tw(3450));
    fitTexts(this);
}

bool FrmAbout::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Label1 && e->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
        // Reported as the box's other button reports.
        openMakerWebPage([](const QString &why) { msgBox(why); });
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void FrmAbout::showAbout(QWidget *owner)
{
    FrmAbout box(owner);
    box.exec();
}

} // namespace kelm
