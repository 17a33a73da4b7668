// The administrator's password outside the program: the rule, the bound update
// that touches nothing else, and the command kelm-passwd as an installation and
// an office run it (the password from the variable, no terminal).
#include "common/globals.h"
#include "platform/database.h"
#include "shell/adminpassword.h"
#include "shell/userlogin.h"
#include "testdb.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace kelm;

class TestAdminPassword : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void changesOnlyTheAdministratorsPassword();
    void commandInTheProgramFolder();
    void blankOrNonTextPasswordIsRefused();
};

namespace {

QString usersDump(TestDb &db)
{
    Recordset rs;
    rs.open(db.conn(), QStringLiteral("SELECT ID, Ime, Password, Vid FROM Users ORDER BY ID"));
    QStringList rows;
    for (; !rs.eof(); rs.moveNext())
        rows << QStringList{rs.value(QStringLiteral("ID")).toString(), rs.value(QStringLiteral("Ime")).toString(),
                            rs.value(QStringLiteral("Password")).toString(), rs.value(QStringLiteral("Vid")).toString()}
                    .join(QLatin1Char('|'));
    return rows.join(QLatin1Char('\n'));
}

} // namespace

void TestAdminPassword::changesOnlyTheAdministratorsPassword()
{
    QVERIFY(adminPasswordRefusal(QStringLiteral("Д'Арк 100%_чист")).isEmpty());
    QVERIFY(!adminPasswordRefusal(QString()).isEmpty());
    QVERIFY(!adminPasswordRefusal(QStringLiteral("ред\nдруг")).isEmpty());
    QVERIFY(!adminPasswordRefusal(QString(51, QLatin1Char('x'))).isEmpty());
    QVERIFY(adminPasswordRefusal(QString(50, QLatin1Char('x'))).isEmpty());

    TestDb db;
    db.exec(QStringLiteral("INSERT INTO Users (Ime, Password, Vid) VALUES ('admin', 'admin', 'B'), "
                           "('Мария', 'admin', 'A')"));
    const QString before = usersDump(db);
    const QString quirky = QStringLiteral("Д'Арк 100%_чист'); DROP TABLE Users; --");
    QVERIFY(setAdminPassword(db.dbPath(), QStringLiteral("admin"), quirky));
    // Only the shipped administrator's password changed: not the user of kind B
    // with the same name, not the other administrator, no other column.
    QString expected = before;
    expected.replace(QStringLiteral("1|admin|admin|A"), QStringLiteral("1|admin|") + quirky + QStringLiteral("|A"));
    QCOMPARE(usersDump(db), expected);
    QCOMPARE(CheckUser(quirky, QStringLiteral("admin")), QStringLiteral("A"));
    QCOMPARE(CheckUser(QStringLiteral("admin"), QStringLiteral("admin")), QStringLiteral("B"));

    // A name that is no administrator changes nothing; a missing database is no new file.
    QVERIFY(!setAdminPassword(db.dbPath(), QStringLiteral("Иван"), QStringLiteral("x")));
    QCOMPARE(usersDump(db), expected);
    const QString missing = db.folder() + QStringLiteral("/няма/Kelm.mdb");
    QVERIFY_THROWS_EXCEPTION(DbError, setAdminPassword(missing, QStringLiteral("admin"), QStringLiteral("x")));
    QVERIFY(!QFile::exists(missing));
}

void TestAdminPassword::commandInTheProgramFolder()
{
    const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/../kelm-passwd");
    QVERIFY2(QFile::exists(built), qPrintable(built));
    TestDb db;
    // The command works on the Kelm.mdb beside it, as in the program folder.
    const QString tool = db.folder() + QStringLiteral("/kelm-passwd");
    QVERIFY(QFile::copy(built, tool));
    const QString adminPw = QStringLiteral("SELECT Password FROM Users WHERE Ime='admin'");

    auto run = [&](const QStringList &args, const QString *password) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QLatin1String(kAdminPasswordVariable));
        if (password)
            env.insert(QLatin1String(kAdminPasswordVariable), *password);
        p.setProcessEnvironment(env);
        p.setStandardInputFile(QProcess::nullDevice()); // no terminal
        p.start(tool, args);
        if (!p.waitForFinished(30000))
            return std::make_pair(-1, QString());
        return std::make_pair(p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError()));
    };

    // An installation without a terminal or the variable keeps "admin" and warns.
    auto r = run({QStringLiteral("--install")}, nullptr);
    QCOMPARE(r.first, 0);
    QVERIFY2(r.second.contains(QStringLiteral("остава „admin“")), qPrintable(r.second));
    QCOMPARE(db.scalar(adminPw).toString(), QStringLiteral("admin"));

    // Later, without a terminal, the variable is needed: a clear refusal otherwise.
    r = run({}, nullptr);
    QCOMPARE(r.first, 2);
    QVERIFY2(r.second.contains(QLatin1String(kAdminPasswordVariable)), qPrintable(r.second));

    const QString pw = QStringLiteral("Пар'ола 1%");
    r = run({}, &pw);
    QCOMPARE(r.first, 0);
    QCOMPARE(db.scalar(adminPw).toString(), pw);

    // An empty password is refused and changes nothing; so is an unknown user.
    const QString empty;
    r = run({}, &empty);
    QCOMPARE(r.first, 1);
    QCOMPARE(db.scalar(adminPw).toString(), pw);
    r = run({QStringLiteral("Иван")}, &pw);
    QCOMPARE(r.first, 1);
    QVERIFY2(r.second.contains(QStringLiteral("няма администратор")), qPrintable(r.second));
}

// A password of white space never signs in, and bytes that are not text become
// marks nobody can type: the command refuses both and stores nothing.
void TestAdminPassword::blankOrNonTextPasswordIsRefused()
{
    TestDb db;
    const QString tool = db.folder() + QStringLiteral("/kelm-passwd");
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/../kelm-passwd"), tool));
    const QString tabNbsp = QStringLiteral("\t\u00a0 \u2003");
    for (const QByteArray &bytes : {QByteArray("   "), QByteArray("\xff\xfe"), tabNbsp.toUtf8()}) {
        // The variable as raw bytes: the child inherits this process's own.
        qputenv(kAdminPasswordVariable, bytes);
        QProcess p;
        p.setStandardInputFile(QProcess::nullDevice());
        p.start(tool, {});
        QVERIFY(p.waitForFinished(30000));
        qunsetenv(kAdminPasswordVariable);
        const QString said = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(p.exitCode() != 0, bytes.toHex().constData());
        QVERIFY2(said.contains(QStringLiteral("Паролата")), qPrintable(said));
        QCOMPARE(db.scalar(QStringLiteral("SELECT Password FROM Users WHERE Ime='admin'")).toString(),
                 QStringLiteral("admin"));
        // What is typed on the terminal goes through the same rule.
        QString typed;
        QVERIFY(!adminPasswordRefusal(bytes, &typed).isEmpty());
        QVERIFY(typed.isEmpty());
    }
}

QTEST_MAIN(TestAdminPassword)
#include "test_adminpassword.moc"
