#include "common/globals.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/version.h"
#include "shell/application.h"
#include "shell/frmabout.h"
#include "shell/frmsplash.h"
#include "shell/startup.h"
#include "testdb.h"

#include <QtTest>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>

using namespace kelm;

namespace {

QList<QUrl> s_opened;
bool s_openerResult = true;
bool fakeOpener(const QUrl &url)
{
    s_opened.append(url);
    return s_openerResult;
}

// A widget whose event handler fails the way a screen's command can.
class Failing : public QWidget {
protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            throw DbError(ErrSql, QStringLiteral("no such table: tabl"));
        }
        if (e->type() == QEvent::User + 1)
            throw std::runtime_error("out of range");
        return QWidget::event(e);
    }
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void mainDatabaseCheckedBeforeSignIn();
    void mainEndsWhenTheDatabaseIsMissing();
    void titleCarriesVersionAndCompany();
    void splashLabels();
    void aboutBoxTextsAndKeys();
    void aboutLinkOpensMakerPage();
    void sysInfoUnavailableOrStarted();
    void escapedExceptionIsReportedNotFatal();
    void guardedCommandReportsEachKindOfFailure();
};

void TestStartup::init()
{
    s_opened.clear();
    s_openerResult = true;
    setUrlOpener(&fakeOpener);
}

void TestStartup::mainDatabaseCheckedBeforeSignIn()
{
    MessageCapture capture;
    QTemporaryDir dir;
    // Missing: a message naming the file, and no file appears.
    const QString missing = dir.filePath(QStringLiteral("Kelm.mdb"));
    QVERIFY(!checkMainDatabase(missing));
    QCOMPARE(capture.shown.size(), 1);
    QVERIFY(capture.lastText().contains(missing));
    QVERIFY(capture.lastText().contains(QStringLiteral("не съществува")));
    QVERIFY(!QFile::exists(missing));

    // Not a database at all.
    {
        QFile f(missing);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Standard Jet DB and then some bytes");
    }
    QVERIFY(!checkMainDatabase(missing));
    QCOMPARE(capture.shown.size(), 2);
    QVERIFY(capture.lastText().contains(missing));
    QCOMPARE(QFileInfo(missing).size(), qint64(35));

    // A database of some other program.
    QFile::remove(missing);
    {
        const QString name = QStringLiteral("foreign");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(missing);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("CREATE TABLE Orders (ID INTEGER PRIMARY KEY)"));
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    QVERIFY(!checkMainDatabase(missing));
    QCOMPARE(capture.shown.size(), 3);
    QVERIFY(capture.lastText().contains(QStringLiteral("не е база данни на програмата")));

    // Ours: no message.
    TestDb db;
    QVERIFY(checkMainDatabase(db.dbPath()));
    QCOMPARE(capture.shown.size(), 3);
}

void TestStartup::mainEndsWhenTheDatabaseIsMissing()
{
    // The program folder of this test program holds no Kelm.mdb.
    const QString expected = QCoreApplication::applicationDirPath() + QStringLiteral("/Kelm.mdb");
    if (QFile::exists(expected))
        QSKIP("a Kelm.mdb lies beside the test program");
    MessageCapture capture;
    QCOMPARE(Main(*static_cast<QApplication *>(QCoreApplication::instance())), 1);
    QCOMPARE(gDbPath, expected);
    QCOMPARE(capture.shown.size(), 1);
    QVERIFY(capture.lastText().contains(expected));
    QVERIFY(!QFile::exists(expected));
    QCOMPARE(gMain, nullptr);
}

void TestStartup::titleCarriesVersionAndCompany()
{
    gFirmName.clear();
    QCOMPARE(mainWindowTitle(), QStringLiteral("Тревалон 2.3.4 - "));
    QVERIFY(mainWindowTitle().endsWith(QStringLiteral(" - ")));
    gFirmName = QStringLiteral("Д'Арк ООД");
    QCOMPARE(mainWindowTitle(), QStringLiteral("Тревалон ") + versionFull() + QStringLiteral(" - Д'Арк ООД"));
    gFirmName.clear();
}

void TestStartup::splashLabels()
{
    gFirmName.clear();
    FrmSplash s;
    auto text = [&s](const char *name) {
        auto *l = s.findChild<QLabel *>(QString::fromLatin1(name));
        return l ? l->text() : QStringLiteral("(missing)");
    };
    QCOMPARE(text("lblProductName"), QStringLiteral("Тревалон"));
    QCOMPARE(text("lblVersion"), QStringLiteral("Версия 2.3.4"));
    // The company data is read only after the sign-in.
    QCOMPARE(text("lblCompanyProduct"), QString());
    QVERIFY(!userLoginName().isEmpty());
    QCOMPARE(text("lblUser"), QStringLiteral("Потребител: ") + userLoginName());
    QCOMPARE(text("lblPlatform"), QSysInfo::prettyProductName());
    QVERIFY(!text("lblCompany").isEmpty());
    QVERIFY(!text("lblCopyright").isEmpty());
    QVERIFY(s.findChild<QLabel *>(QStringLiteral("picLogo"))->pixmap().width() > 0);
    QVERIFY(s.findChildren<QPushButton *>().isEmpty());

    gFirmName = QStringLiteral("Транс ЕООД");
    FrmSplash later;
    QCOMPARE(later.lblCompanyProduct->text(), QStringLiteral("Транс ЕООД"));
    gFirmName.clear();
}

void TestStartup::aboutBoxTextsAndKeys()
{
    FrmAbout box;
    QCOMPARE(box.windowTitle(), QStringLiteral("Тревалон 2.3.4"));
    QCOMPARE(box.lblTitle->text(), QStringLiteral("Тревалон"));
    QCOMPARE(box.lblVersion->text(), QStringLiteral("Version 2.3.4"));
    QCOMPARE(box.lblDescription->text(),
             QStringLiteral("        Програма за организация на дейността в транспортната фирма"));
    QCOMPARE(box.cmdSysInfo->text(), QStringLiteral("Система..."));
    QCOMPARE(box.cmdOK->text(), QStringLiteral("OK"));
    QVERIFY(box.cmdOK->isDefault());
    QCOMPARE(box.Label1->text(), makerSite());
    QVERIFY(!makerSite().contains(QStringLiteral(".com")));

    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::keyClick(&box, Qt::Key_Escape);
    QVERIFY(!box.isVisible());
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::keyClick(&box, Qt::Key_Return);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

void TestStartup::aboutLinkOpensMakerPage()
{
    MessageCapture capture;
    FrmAbout box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(box.Label1, Qt::LeftButton);
    QCOMPARE(s_opened, QList<QUrl>{makerWebPage()});
    QCOMPARE(makerWebPage().toString(), makerSite() + QStringLiteral("/index.html"));
    QVERIFY(capture.shown.isEmpty());
    s_openerResult = false;
    QTest::mouseClick(box.Label1, Qt::LeftButton);
    QCOMPARE(capture.shown.size(), 1);
    QVERIFY(capture.lastText().contains(makerWebPage().toString()));
    box.close();
}

void TestStartup::sysInfoUnavailableOrStarted()
{
    MessageCapture capture;
    const QByteArray oldPath = qgetenv("PATH");
    const auto restore = qScopeGuard([&oldPath] { qputenv("PATH", oldPath); });
    QTemporaryDir bin;
    qputenv("PATH", bin.path().toLocal8Bit());
    QCOMPARE(findSysInfoProgram(), QString());
    FrmAbout box;
    box.cmdSysInfo->click();
    QCOMPARE(capture.shown.size(), 1);
    QCOMPARE(capture.lastText(), QStringLiteral("System Information Is Unavailable At This Time"));

    // An installed program is started instead.
    const QString marker = bin.filePath(QStringLiteral("started"));
    const QString prog = bin.filePath(QStringLiteral("kinfocenter"));
    {
        QFile f(prog);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\necho started > '%1'\n").arg(marker).toLocal8Bit());
    }
    QFile::setPermissions(prog, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(findSysInfoProgram(), prog);
    box.cmdSysInfo->click();
    QTRY_VERIFY(QFile::exists(marker));
    QCOMPARE(capture.shown.size(), 1);
}

void TestStartup::escapedExceptionIsReportedNotFatal()
{
    MessageCapture capture;
    Failing w;
    QEvent e(QEvent::User);
    QApplication::sendEvent(&w, &e);
    QCOMPARE(capture.shown.size(), 1);
    QCOMPARE(capture.lastText(), QStringLiteral("3001:no such table: tabl"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCoreApplication::postEvent(&w, new QEvent(QEvent::Type(QEvent::User + 1)));
    QCoreApplication::processEvents();
    QCOMPARE(capture.shown.size(), 2);
    QCOMPARE(capture.lastText(), QStringLiteral("out of range"));
}

void TestStartup::guardedCommandReportsEachKindOfFailure()
{
    MessageCapture capture;
    QVERIFY(runGuarded(QStringLiteral("ГРЕШКА при запис!"), [] {}));
    QVERIFY(capture.shown.isEmpty());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QVERIFY(!runGuarded(QStringLiteral("ГРЕШКА при запис!"), [] {
        throw DbError(ErrWriteConflict, QStringLiteral("конфликт"));
    }));
    QCOMPARE(capture.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(capture.lastText(), QStringLiteral("3197:конфликт"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(!runGuarded(QString(), [] { throw 42; }));
    QCOMPARE(capture.lastCaption(), QStringLiteral("ГРЕШКА!"));
    QCOMPARE(capture.shown.size(), 2);
}

int main(int argc, char **argv)
{
    kelm::Application app(argc, argv);
    TestStartup t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_startup.moc"
