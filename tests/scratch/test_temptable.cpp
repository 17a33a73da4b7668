#include "common/globals.h"
#include "platform/database.h"
#include "scratch/scratchrows.h"
#include "scratch/temptable.h"

#include <QProcess>
#include <QSqlQuery>
#include <QtTest>

#include <sys/stat.h>

using namespace kelm;

namespace {
QStringList tables(Connection &c)
{
    QStringList out;
    QSqlQuery q(c.db());
    q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"));
    while (q.next())
        out << q.value(0).toString();
    return out;
}

// "name TYPE" for each column, in table order.
QStringList columns(Connection &c, const QString &table)
{
    QStringList out;
    QSqlQuery q(c.db());
    q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    while (q.next())
        out << q.value(1).toString() + QLatin1Char(' ') + q.value(2).toString();
    return out;
}

int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

void stageRow(const QString &marsh)
{
    Connection c;
    c.open(gTempConnStr);
    c.execute(QStringLiteral("INSERT INTO TempPlaten (Red, Marsh) VALUES (1, ?)"), {marsh});
}

// Another copy of the program on a folder: stages a pay statement's row in its
// scratch database and says where that is; each "rebuild" line rebuilds and
// stages it again, as its next report would; the end of its input ends it as
// the program ends.
int runOtherCopy(const QString &folder)
{
    setProgramFolder(folder);
    CreateTempTable(QStringLiteral("TempPlaten"));
    stageRow(QStringLiteral("друго копие"));
    QTextStream out(stdout);
    out << gTempDbPath << Qt::endl;
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    for (QByteArray line; !(line = in.readLine()).isEmpty();) {
        CreateTempTable(QStringLiteral("TempPlaten"));
        stageRow(QStringLiteral("друго копие"));
        out << "rebuilt" << Qt::endl;
    }
    return 0;
}

QString startOtherCopy(QProcess &p, const QString &folder)
{
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--other-copy"), folder});
    return p.waitForReadyRead(30000) ? QString::fromLocal8Bit(p.readLine()).trimmed() : QString();
}
} // namespace

class TestTempTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void eachTableAloneWithItsFields_data();
    void eachTableAloneWithItsFields();
    void klientsComesWithItsCompanion();
    void secondCallReplacesTheFile();
    void rowsWrittenAreTypedByTheLayout();
    void unknownNamesAreRefused();
    void undeletableFileIsReported();
    void screenRowsOutliveARebuild();
    void eachCopyHasItsOwnScratchDatabase();

private:
    QTemporaryDir m_dir;
};

void TestTempTable::init()
{
    QVERIFY(m_dir.isValid());
    setProgramFolder(m_dir.path());
    QFile::remove(gTempDbPath);
}

void TestTempTable::eachTableAloneWithItsFields_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("TempNal") << "TempNal"
                             << QStringList{"Red INTEGER", "Name TEXT", "Cena DOUBLE", "Kol DOUBLE", "Suma DOUBLE"};
    QTest::newRow("TempRowdList") << "TempRowdList"
                                  << QStringList{"Red TEXT", "NomData TEXT", "KolaID TEXT", "Marsh TEXT",
                                                 "KM TEXT", "Ton TEXT", "RazhN TEXT", "Proc TEXT"};
    QTest::newRow("TempSKladPR") << "TempSKladPR"
                                 << QStringList{"Red INTEGER", "DocVid TEXT", "NomData TEXT", "Name TEXT",
                                                "Broi TEXT", "Edin TEXT", "Suma TEXT"};
    QTest::newRow("TempSKlad") << "TempSKlad"
                               << QStringList{"Red INTEGER", "Name TEXT", "Cena TEXT", "Prihod TEXT", "SumaP TEXT",
                                              "Razhod TEXT", "SumaR TEXT", "Ostatak TEXT", "SumaO TEXT"};
    QTest::newRow("TempBalans") << "TempBalans"
                                << QStringList{"Red INTEGER", "Kola TEXT", "Prihod TEXT", "Razhod TEXT",
                                               "Ostatak TEXT"};
    QTest::newRow("TempZaplata") << "TempZaplata"
                                 << QStringList{"Red INTEGER", "Data DATE", "KolaID TEXT", "Ton DOUBLE",
                                                "KM INTEGER", "Suma DOUBLE", "Marsh TEXT", "VidTovar TEXT",
                                                "Zaplata DOUBLE", "Nadnik DOUBLE"};
    QTest::newRow("TempPlaten") << "TempPlaten"
                                << QStringList{"Red INTEGER", "Data DATE", "Marsh TEXT", "VidTovar TEXT",
                                               "KolaID TEXT", "KM TEXT", "Ton TEXT", "Tarifa TEXT", "Suma TEXT"};
    QTest::newRow("TempZaplati") << "TempZaplati"
                                 << QStringList{"Data DATE", "Kola TEXT", "Name TEXT", "Ton DOUBLE", "KM INTEGER",
                                                "Suma DOUBLE", "Marsh TEXT", "Klient TEXT", "VidTovar TEXT",
                                                "Zaplata DOUBLE"};
}

void TestTempTable::eachTableAloneWithItsFields()
{
    QFETCH(QString, table);
    QFETCH(QStringList, fields);
    CreateTempTable(table);
    QVERIFY(QFile::exists(gTempDbPath));
    Connection c;
    c.open(gTempConnStr);
    QCOMPARE(tables(c), QStringList{table});
    QCOMPARE(columns(c, table), fields);
    QCOMPARE(c.scalar(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)).toInt(), 0);
}

void TestTempTable::klientsComesWithItsCompanion()
{
    CreateTempTable(QStringLiteral("TempKlients"));
    Connection c;
    c.open(gTempConnStr);
    QCOMPARE(tables(c), (QStringList{"TempKlients", "TempKlientsNew"}));
    QCOMPARE(columns(c, "TempKlients"), (QStringList{"Data DATE", "Marsh TEXT", "VidTovar TEXT", "Kola TEXT",
                                                    "KM INTEGER", "Ton DOUBLE", "Tarifa DOUBLE", "Suma DOUBLE"}));
    QCOMPARE(columns(c, "TempKlientsNew"), (QStringList{"Data DATE", "Marsh TEXT", "VidTovar TEXT", "Kola TEXT",
                                                       "KM TEXT", "Ton TEXT", "Tarifa TEXT", "Suma TEXT"}));
}

void TestTempTable::secondCallReplacesTheFile()
{
    CreateTempTable(QStringLiteral("TempPlaten"));
    {
        Connection c;
        c.open(gTempConnStr);
        c.execute(QStringLiteral("INSERT INTO TempPlaten (Red, Marsh) VALUES (1, 'София')"));
    }
    CreateTempTable(QStringLiteral("TempPlaten"));
    {
        Connection c;
        c.open(gTempConnStr);
        QCOMPARE(c.scalar(QStringLiteral("SELECT count(*) FROM TempPlaten")).toInt(), 0);
    }
    CreateTempTable(QStringLiteral("TempNal"));
    Connection c;
    c.open(gTempConnStr);
    QCOMPARE(tables(c), QStringList{"TempNal"});
}

void TestTempTable::rowsWrittenAreTypedByTheLayout()
{
    CreateTempTable(QStringLiteral("TempZaplata"));
    Connection c;
    c.open(gTempConnStr);
    Recordset rs;
    rs.open(c, QStringLiteral("SELECT * FROM TempZaplata"));
    rs.addNew();
    rs.setValue(QStringLiteral("Red"), 1);
    rs.setValue(QStringLiteral("Data"), QDate(2004, 3, 15));
    rs.setValue(QStringLiteral("Ton"), 12.5);
    rs.update();
    rs.requery();
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.value(QStringLiteral("Data")).toDate(), QDate(2004, 3, 15));
    QCOMPARE(rs.value(QStringLiteral("Red")).typeId(), int(QMetaType::Int));
    QCOMPARE(rs.value(QStringLiteral("Ton")).toDouble(), 12.5);
}

void TestTempTable::unknownNamesAreRefused()
{
    QVERIFY_THROWS_EXCEPTION(DbError, CreateTempTable(QStringLiteral("tempnal")));
    QVERIFY_THROWS_EXCEPTION(DbError, CreateTempTable(QStringLiteral("TempKlientsNew")));
    QVERIFY_THROWS_EXCEPTION(DbError, CreateTempTable(QString()));
    QVERIFY(!QFile::exists(gTempDbPath));
    QCOMPARE(tempTableNames().size(), 9);
}

void TestTempTable::undeletableFileIsReported()
{
    // Something that cannot be deleted stands where the file goes (even for root).
    QVERIFY(QDir().mkpath(gTempDbPath + QStringLiteral("/kept")));
    try {
        CreateTempTable(QStringLiteral("TempPlaten"));
        QFAIL("no error");
    } catch (const DbError &e) {
        QVERIFY(e.description().contains(gTempDbPath));
        QVERIFY(e.description().startsWith(QStringLiteral("Не мога да изтрия")));
    }
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(QDir(gTempDbPath).removeRecursively());
    CreateTempTable(QStringLiteral("TempPlaten"));
    QVERIFY(QFileInfo(gTempDbPath).isFile());
}

void TestTempTable::screenRowsOutliveARebuild()
{
    QString path;
    {
        ScratchRows rows(QStringLiteral("TempKlients"));
        path = rows.path();
        QVERIFY(!path.startsWith(QFileInfo(gTempDbPath).absolutePath()));
        QCOMPARE(tables(rows.conn()), QStringList({"TempKlients", "TempKlientsNew"}));
        rows.conn().execute(QStringLiteral("INSERT INTO TempKlients (Marsh, KM) VALUES (?, ?)"),
                            {QStringLiteral("Д'Арк"), 5});
        // Another command rebuilds the shared scratch database meanwhile.
        CreateTempTable(QStringLiteral("TempKlients"));
        Connection other;
        other.open(rows.connStr());
        QCOMPARE(other.scalar(QStringLiteral("SELECT Marsh FROM TempKlients")).toString(), QStringLiteral("Д'Арк"));
        other.close();
        rows.clear();
        QCOMPARE(rows.conn().scalar(QStringLiteral("SELECT COUNT(*) FROM TempKlients")).toInt(), 0);
    }
    QVERIFY(!QFile::exists(path));
    QVERIFY_THROWS_EXCEPTION(DbError, ScratchRows(QStringLiteral("NoSuchTable")));
}

// Two copies on one program folder, as an office shares it: each stages its
// reports in a file of its own that only its user reads, removed when it ends;
// what a copy that died left is removed at a later start, never a running
// copy's file.
void TestTempTable::eachCopyHasItsOwnScratchDatabase()
{
    QTemporaryDir folder;
    setProgramFolder(folder.path());
    CreateTempTable(QStringLiteral("TempPlaten"));
    Connection mine;
    mine.open(gTempConnStr);
    mine.beginTrans();
    mine.execute(QStringLiteral("INSERT INTO TempPlaten (Red, Marsh) VALUES (1, ?)"), {QStringLiteral("това копие")});
    QCOMPARE(modeOf(gTempDbPath), 0600);
    QCOMPARE(modeOf(gTempDbPath + QStringLiteral("-journal")), 0600);
    mine.commitTrans();
    Recordset shown;
    shown.open(mine, QStringLiteral("SELECT * FROM TempPlaten"));

    // The other copy's report rebuilds its scratch database: this copy's rows
    // stay for its screen and its print, and the other way round.
    QProcess other;
    const QString otherPath = startOtherCopy(other, folder.path());
    QVERIFY2(!otherPath.isEmpty() && otherPath != gTempDbPath, qPrintable(otherPath));
    QCOMPARE(modeOf(otherPath), 0600);
    other.write("rebuild\n");
    QVERIFY(other.waitForReadyRead(30000));
    QCOMPARE(other.readLine().trimmed(), QByteArray("rebuilt"));
    shown.requery();
    QCOMPARE(shown.recordCount(), 1);
    {
        Connection print;
        print.open(gTempConnStr);
        QCOMPARE(print.scalar(QStringLiteral("SELECT Marsh FROM TempPlaten")).toString(), QStringLiteral("това копие"));
    }
    CreateTempTable(QStringLiteral("TempZaplata"));
    {
        Connection theirs;
        theirs.open(QStringLiteral("Data Source=") + otherPath + QLatin1Char(';'));
        QCOMPARE(theirs.scalar(QStringLiteral("SELECT Marsh FROM TempPlaten")).toString(), QStringLiteral("друго копие"));
    }

    // A copy that died: a later start removes its files, not a running copy's.
    QProcess dead;
    const QString deadPath = startOtherCopy(dead, folder.path());
    dead.kill();
    QVERIFY(dead.waitForFinished(30000));
    QVERIFY(QFile::exists(deadPath));
    QCOMPARE(removeLeftScratchDatabases(folder.path()), 1);
    QVERIFY(!QFile::exists(deadPath));
    QVERIFY(QFile::exists(otherPath));
    QVERIFY(QFile::exists(gTempDbPath));

    // A copy's files go when it ends.
    other.closeWriteChannel();
    QVERIFY(other.waitForFinished(30000));
    QCOMPARE(other.exitCode(), 0);
    QVERIFY(!QFile::exists(otherPath));
    shown.close();
    mine.close();
    releaseScratchDatabase();
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc >= 3 && qstrcmp(argv[1], "--other-copy") == 0)
        return runOtherCopy(QString::fromLocal8Bit(argv[2]));
    TestTempTable t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_temptable.moc"
