#include "common/globals.h"
#include "platform/database.h"
#include "testdb.h"

#include <QApplication>
#include <QProcess>
#include <QtTest>

#include <functional>

#include <sqlite3.h>

using namespace kelm;

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void connectionStringsCharacterForCharacter();
    void mainDatabaseMustExistAndBeOurs();
    void movesBofEofAndPositions();
    void bookmarksSurviveAddAndDelete();
    void addUpdateDeleteWriteBackByKey();
    void batchModeWritesOnlyOnUpdateBatch();
    void requeryShowsOtherWriters();
    void valuesWithQuotesPercentAndUnderscoreAreBound();
    void cyrillicPrefixSearchIgnoresCase();
    void typesComeBackAsStored();
    void transactionRollbackLeavesNothing();
    void scratchTableWritesBackByRowid();
    void bulgarianCollationOrdersNames();
    void pagesReadAsTheRowsAreReached();
    void rowDeletedByAnotherUserBetweenPagesIsReported();
    void rowIsWrittenBackOnlyWhileItHoldsWhatWasRead();
    void openingAnotherConnectionKeepsTheWriteLock();
};

void TestDatabase::connectionStringsCharacterForCharacter()
{
    setProgramFolder(QStringLiteral("/opt/kelm"));
    QCOMPARE(gDbPath, QStringLiteral("/opt/kelm/Kelm.mdb"));
    const QString temp = QStringLiteral("/opt/kelm/Temp-%1.mdb").arg(QCoreApplication::applicationPid());
    QCOMPARE(gTempDbPath, temp);
    QCOMPARE(gConnStr, QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/kelm/Kelm.mdb;"
                                      "Jet OLEDB:Database Password=Ratn5064;"));
    QCOMPARE(gTempConnStr, QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + temp + ";");
    QCOMPARE(dataSourceOf(gConnStr), QStringLiteral("/opt/kelm/Kelm.mdb"));
    setProgramFolder(QStringLiteral("/opt/kelm/"));
    QCOMPARE(gDbPath, QStringLiteral("/opt/kelm/Kelm.mdb"));
}

void TestDatabase::mainDatabaseMustExistAndBeOurs()
{
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    Connection c;
    try {
        c.open(gConnStr);
        QFAIL("a missing database opened");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), int(ErrFileNotFound));
        QVERIFY(e.description().contains(gDbPath));
    }
    QVERIFY2(!QFile::exists(gDbPath), "opening must never create the main database");

    QFile junk(gDbPath);
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a database at all, just text");
    junk.close();
    QVERIFY(!isKelmDatabase(gDbPath));
    QVERIFY_THROWS_EXCEPTION(DbError, c.open(gConnStr));

    // An SQLite file of another program is refused too.
    QFile::remove(gDbPath);
    {
        Connection scratch;
        scratch.open(QStringLiteral("Data Source=") + gDbPath + ";");
        scratch.execute(QStringLiteral("CREATE TABLE other (x INTEGER)"));
    }
    QVERIFY(!isKelmDatabase(gDbPath));
    QVERIFY_THROWS_EXCEPTION(DbError, c.open(gConnStr));
}

static void addDrivers(TestDb &db, const QStringList &codes)
{
    for (const QString &k : codes)
        db.exec(QStringLiteral("INSERT INTO shof (kod, ime) VALUES (?, ?)"), {k, QStringLiteral("Шофьор ") + k});
}

void TestDatabase::movesBofEofAndPositions()
{
    TestDb db;
    Recordset rs;
    rs.open(db.conn(), QStringLiteral("SELECT * FROM shof ORDER BY kod"));
    QVERIFY(rs.bof() && rs.eof());
    QCOMPARE(rs.recordCount(), 0);
    QCOMPARE(rs.absolutePosition(), 0);
    QVERIFY_THROWS_EXCEPTION(DbError, rs.moveNext());

    addDrivers(db, {"003", "001", "002"});
    rs.requery();
    QCOMPARE(rs.recordCount(), 3);
    QCOMPARE(rs.value("kod").toString(), QStringLiteral("001"));
    QCOMPARE(rs.absolutePosition(), 1);
    rs.moveNext();
    rs.moveNext();
    QCOMPARE(rs.value("KOD").toString(), QStringLiteral("003"));
    rs.moveNext();
    QVERIFY(rs.eof());
    QVERIFY(!rs.bof());
    QCOMPARE(rs.absolutePosition(), 0);
    rs.moveLast();
    QCOMPARE(rs.absolutePosition(), 3);
    rs.moveFirst();
    rs.movePrevious();
    QVERIFY(rs.bof());
    rs.setAbsolutePosition(2);
    QCOMPARE(rs.value("kod").toString(), QStringLiteral("002"));
    QVERIFY(rs.find("kod", QStringLiteral("003")));
    QCOMPARE(rs.absolutePosition(), 3);
    QVERIFY(!rs.find("kod", QStringLiteral("999"), true));
    QVERIFY(rs.eof());
    QVERIFY_THROWS_EXCEPTION(DbError, rs.value("nosuchfield"));
}

void TestDatabase::bookmarksSurviveAddAndDelete()
{
    TestDb db;
    addDrivers(db, {"001", "002", "003"});
    Recordset rs;
    rs.open(db.conn(), QStringLiteral("SELECT * FROM shof ORDER BY kod"));
    rs.moveNext();
    const qint64 bm = rs.bookmark();
    rs.addNew();
    rs.setValue("kod", QStringLiteral("004"));
    rs.update();
    rs.setBookmark(bm);
    QCOMPARE(rs.value("kod").toString(), QStringLiteral("002"));
    rs.moveFirst();
    rs.deleteRecord();
    rs.setBookmark(bm);
    QCOMPARE(rs.value("kod").toString(), QStringLiteral("002"));
    rs.deleteRecord();
    QVERIFY(!rs.hasBookmark(bm));
    QVERIFY_THROWS_EXCEPTION(DbError, rs.setBookmark(bm));
}

void TestDatabase::addUpdateDeleteWriteBackByKey()
{
    TestDb db;
    addDrivers(db, {"001", "002"});
    Recordset rs;
    rs.open(db.conn(), QStringLiteral("SELECT * FROM shof ORDER BY kod"));
    QVERIFY(rs.updatable());
    rs.addNew();
    QCOMPARE(rs.editMode(), Recordset::EditAdd);
    rs.setValue("kod", QStringLiteral("009"));
    rs.setValue("ime", QStringLiteral("Д'Арк ООД"));
    rs.update();
    QVERIFY(rs.value("ID").toInt() > 0);
    QCOMPARE(db.scalar("SELECT ime FROM shof WHERE kod=?", {"009"}).toString(), QStringLiteral("Д'Арк ООД"));

    rs.moveFirst();
    rs.setValue("ime", QStringLiteral("Иван"));
    QCOMPARE(rs.editMode(), Recordset::EditInProgress);
    rs.update();
    QCOMPARE(db.scalar("SELECT ime FROM shof WHERE kod=?", {"001"}).toString(), QStringLiteral("Иван"));
    // Only the changed row was written.
    QCOMPARE(db.scalar("SELECT ime FROM shof WHERE kod=?", {"002"}).toString(), QStringLiteral("Шофьор 002"));

    rs.moveFirst();
    rs.setValue("ime", QStringLiteral("Петър"));
    rs.cancelUpdate();
    QCOMPARE(rs.value("ime").toString(), QStringLiteral("Иван"));

    rs.moveLast();
    rs.deleteRecord();
    rs.moveNext();
    QVERIFY(rs.eof());
    QCOMPARE(db.count("shof"), 2);
    QCOMPARE(db.scalar("SELECT count(*) FROM shof WHERE kod='009'").toInt(), 0);

    // Add then cancel leaves nothing behind.
    rs.addNew();
    rs.setValue("kod", QStringLiteral("010"));
    rs.cancelUpdate();
    QCOMPARE(rs.recordCount(), 2);
    QCOMPARE(db.count("shof"), 2);
}

void TestDatabase::batchModeWritesOnlyOnUpdateBatch()
{
    TestDb db;
    addDrivers(db, {"001", "002"});
    Recordset rs;
    rs.open(db.conn(), QStringLiteral("SELECT * FROM shof ORDER BY kod"), {}, Recordset::LockBatchOptimistic);
    rs.setValue("ime", QStringLiteral("А"));
    rs.update();
    rs.moveLast();
    rs.deleteRecord();
    rs.addNew();
    rs.setValue("kod", QStringLiteral("003"));
    rs.update();
    QCOMPARE(db.scalar("SELECT ime FROM shof WHERE kod='001'").toString(), QStringLiteral("Шофьор 001"));
    QCOMPARE(db.count("shof"), 2);
    rs.updateBatch();
    QCOMPARE(db.scalar("SELECT ime FROM shof WHERE kod='001'").toString(), QStringLiteral("А"));
    QCOMPARE(db.scalar("SELECT count(*) FROM shof WHERE kod='002'").toInt(), 0);
    QCOMPARE(db.scalar("SELECT count(*) FROM shof WHERE kod='003'").toInt(), 1);
    QVERIFY(!rs.hasPendingChanges());
}

void TestDatabase::requeryShowsOtherWriters()
{
    TestDb db;
    Recordset rs;
    rs.open(db.conn(), QStringLiteral("SELECT * FROM shof"));
    addDrivers(db, {"001"});
    QCOMPARE(rs.recordCount(), 0);
    rs.requery();
    QCOMPARE(rs.recordCount(), 1);
    // A row deleted by another writer makes the update fail instead of vanishing silently.
    db.exec("DELETE FROM shof");
    rs.setValue("ime", QStringLiteral("X"));
    QVERIFY_THROWS_EXCEPTION(DbError, rs.update());
}

void TestDatabase::valuesWithQuotesPercentAndUnderscoreAreBound()
{
    TestDb db;
    const QStringList clients = {"Д'Арк ООД", "50% Транс", "А_Б ЕООД", "АХБ ЕООД", "Robert'); DROP TABLE tabl;--"};
    for (const QString &c : clients)
        db.exec("INSERT INTO tabl (Klient, km) VALUES (?, 1)", {c});
    Recordset rs;
    rs.open(db.conn(), "SELECT * FROM tabl WHERE Klient=?", {"Д'Арк ООД"});
    QCOMPARE(rs.recordCount(), 1);
    rs.open(db.conn(), "SELECT * FROM tabl WHERE Klient LIKE ? ESCAPE '\\'", {QString("50%")});
    QCOMPARE(rs.recordCount(), 1);
    // "_" typed by a user matches only itself.
    rs.open(db.conn(), "SELECT * FROM tabl WHERE Klient LIKE ? ESCAPE '\\'", {QString("А\\_Б%")});
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.value("Klient").toString(), QStringLiteral("А_Б ЕООД"));
    QCOMPARE(db.count("tabl"), 5);
}

void TestDatabase::cyrillicPrefixSearchIgnoresCase()
{
    TestDb db;
    for (const QString &c : {QString("Ямбол Транс"), QString("ямбол-2"), QString("ЯМБОЛ"), QString("Бургас"), QString("yambol")})
        db.exec("INSERT INTO tabl (Klient) VALUES (?)", {c});
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE Klient LIKE ? ESCAPE '\\'", {QString("ямб%")}).toInt(), 3);
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE Klient LIKE ?", {QString("YAM%")}).toInt(), 1);
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE Klient LIKE ?", {QString("%")}).toInt(), 5);
    // Exact comparisons stay case-sensitive.
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE Klient=?", {QString("ямбол транс")}).toInt(), 0);
}

void TestDatabase::typesComeBackAsStored()
{
    TestDb db;
    db.exec("INSERT INTO tabl (Data, km, ton, plat, TimeMod) VALUES (?, ?, ?, ?, ?)",
            {QDate(2004, 2, 29), 40, 12.5, true, QTime(13, 5, 0)});
    QCOMPARE(db.scalar("SELECT Data FROM tabl").toString(), QStringLiteral("2004-02-29"));
    QCOMPARE(db.scalar("SELECT plat FROM tabl").toInt(), 1);
    Recordset rs;
    rs.open(db.conn(), "SELECT * FROM tabl");
    QCOMPARE(rs.value("Data").toDate(), QDate(2004, 2, 29));
    QCOMPARE(rs.value("km").typeId(), int(QMetaType::Int));
    QCOMPARE(rs.value("ton").toDouble(), 12.5);
    QCOMPARE(rs.value("plat").toBool(), true);
    QCOMPARE(rs.value("Fakt").toBool(), false);
    QCOMPARE(rs.value("TimeMod").toTime(), QTime(13, 5, 0));
    QCOMPARE(rs.value("NomFakt").toString(), QStringLiteral("0000000000"));
    // A date typed as dd.mm.yyyy is stored in the one stored form.
    rs.setValue("Data", QStringLiteral("01.03.2004"));
    rs.update();
    QCOMPARE(db.scalar("SELECT Data FROM tabl").toString(), QStringLiteral("2004-03-01"));
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE Data BETWEEN ? AND ?",
                       {QDate(2004, 3, 1), QDate(2004, 3, 1)}).toInt(), 1);
}

void TestDatabase::transactionRollbackLeavesNothing()
{
    TestDb db;
    Connection &c = db.conn();
    c.beginTrans();
    c.execute("INSERT INTO tabl (Klient) VALUES (?)", {"A"});
    c.execute("INSERT INTO Sklad (Name) VALUES (?)", {"Разходи за курс"});
    c.rollbackTrans();
    QCOMPARE(db.count("tabl"), 0);
    QCOMPARE(db.count("Sklad"), 0);
    QVERIFY_THROWS_EXCEPTION(DbError, c.execute("INSERT INTO nosuchtable VALUES (1)"));
}

void TestDatabase::scratchTableWritesBackByRowid()
{
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    Connection c;
    c.open(gTempConnStr);
    c.execute("CREATE TABLE TempNal (Red INTEGER, Name TEXT, Cena DOUBLE, Kol DOUBLE, Suma DOUBLE)");
    c.execute("INSERT INTO TempNal (Red, Name) VALUES (1, 'A'), (2, 'B')");
    Recordset rs;
    rs.open(c, "SELECT * FROM TempNal ORDER BY Red");
    QVERIFY(rs.updatable());
    QCOMPARE(rs.fieldNames(), QStringList({"Red", "Name", "Cena", "Kol", "Suma"}));
    rs.moveLast();
    rs.setValue("Kol", 2.5);
    rs.update();
    QCOMPARE(c.scalar("SELECT Kol FROM TempNal WHERE Name='B'").toDouble(), 2.5);
    rs.moveFirst();
    rs.deleteRecord();
    QCOMPARE(c.scalar("SELECT count(*) FROM TempNal").toInt(), 1);
}

void TestDatabase::bulgarianCollationOrdersNames()
{
    TestDb db;
    for (const QString &n : {QString("Ямбол"), QString("бургас"), QString("Ботевград"), QString("Асеновград"), QString("Шумен"),
                            QString("Бургас"), QString("Бург")})
        db.exec("INSERT INTO tabl (Klient) VALUES (?)", {n});
    Recordset rs;
    rs.open(db.conn(), "SELECT DISTINCT Klient FROM tabl ORDER BY Klient COLLATE BG");
    QVERIFY(!rs.updatable());
    QStringList got;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        got << rs.value("Klient").toString();
    QCOMPARE(got, QStringList({"Асеновград", "Ботевград", "Бург", "Бургас", "бургас", "Шумен", "Ямбол"}));

    // A pick list's distinct values: from the index when there is one, by a scan
    // of the table on a database made before it; the same list either way.
    db.exec("INSERT INTO tabl (Klient) VALUES ('Шумен'), (NULL), ('Д''Арк ООД')");
    const QStringList expected{"Асеновград", "Ботевград", "Бург", "Бургас", "бургас", "Д'Арк ООД", "Шумен", "Ямбол"};
    QCOMPARE(distinctValues(db.conn(), "tabl", "Klient"), expected);
    db.exec("DROP INDEX idx_tabl_Klient");
    QCOMPARE(distinctValues(db.conn(), "tabl", "Klient"), expected);
    db.exec("CREATE INDEX other_case ON tabl (Klient COLLATE NOCASE)");
    QCOMPARE(distinctValues(db.conn(), "tabl", "Klient"), expected);
    QCOMPARE(distinctValues(db.conn(), "tabl", "Tovar"), QStringList());
}

// 1000 trips, km 1..1000 in reverse order of entry; the recordset reads them in
// pages, so moves, bookmarks and writes cross many page boundaries.
static void addTrips(TestDb &db, int n)
{
    db.conn().beginTrans();
    for (int i = 1; i <= n; ++i)
        db.exec("INSERT INTO tabl (km, Klient) VALUES (?, ?)", {n + 1 - i, QString("Клиент %1").arg(i % 7)});
    db.conn().commitTrans();
}

void TestDatabase::pagesReadAsTheRowsAreReached()
{
    TestDb db;
    addTrips(db, 1000);
    Recordset rs;
    rs.open(db.conn(), "SELECT * FROM tabl ORDER BY km");
    QCOMPARE(rs.recordCount(), 1000);
    QCOMPARE(rs.value("km").toInt(), 1);
    rs.moveLast();
    QCOMPARE(rs.value("km").toInt(), 1000);
    QCOMPARE(rs.absolutePosition(), 1000);
    // Across a page boundary both ways.
    rs.setAbsolutePosition(128);
    rs.moveNext();
    QCOMPARE(rs.value("km").toInt(), 129);
    rs.movePrevious();
    rs.movePrevious();
    QCOMPARE(rs.value("km").toInt(), 127);
    // Every row by index, in order, as a grid or a report reads them.
    for (int r = 0; r < 1000; r += 37)
        QCOMPARE(rs.value(r, "km").toInt(), r + 1);

    // Bookmarks on rows of different pages, still good after many pages were
    // read and forgotten in between.
    rs.setAbsolutePosition(5);
    const qint64 early = rs.bookmark();
    rs.setAbsolutePosition(900);
    const qint64 late = rs.bookmark();
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
    }
    rs.setBookmark(early);
    QCOMPARE(rs.value("km").toInt(), 5);
    rs.setBookmark(late);
    QCOMPARE(rs.value("km").toInt(), 900);
    QVERIFY(rs.find("ID", db.scalar("SELECT ID FROM tabl WHERE km=640"), true));
    QCOMPARE(rs.absolutePosition(), 640);
    QVERIFY(rs.find("km", 641));
    QCOMPARE(rs.absolutePosition(), 641);

    // Writes by key on rows of different pages.
    rs.setAbsolutePosition(10);
    rs.setValue("Klient", QStringLiteral("Д'Арк ООД"));
    rs.update();
    rs.setAbsolutePosition(700);
    rs.setValue("Klient", QStringLiteral("Балкан"));
    rs.update();
    QCOMPARE(db.scalar("SELECT Klient FROM tabl WHERE km=10").toString(), QStringLiteral("Д'Арк ООД"));
    QCOMPARE(db.scalar("SELECT Klient FROM tabl WHERE km=700").toString(), QStringLiteral("Балкан"));
    rs.setAbsolutePosition(300);
    rs.deleteRecord();
    rs.moveNext();
    QCOMPARE(rs.value("km").toInt(), 301);
    QCOMPARE(rs.recordCount(), 999);
    QCOMPARE(rs.value(299, "km").toInt(), 301);
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE km=300").toInt(), 0);
    rs.addNew();
    rs.setValue("km", 5000);
    rs.update();
    const qint64 added = rs.bookmark();
    rs.moveFirst();
    rs.setBookmark(added);
    QCOMPARE(rs.value("km").toInt(), 5000);
    QCOMPARE(rs.absolutePosition(), 1000);

    // Batch mode: changes on far pages are kept until updateBatch, whatever was
    // read in between.
    Recordset batch;
    batch.open(db.conn(), "SELECT * FROM tabl ORDER BY km", {}, Recordset::LockBatchOptimistic);
    batch.setAbsolutePosition(2);
    batch.setValue("Klient", QStringLiteral("А"));
    batch.update();
    batch.setAbsolutePosition(950);
    batch.setValue("Klient", QStringLiteral("Б"));
    batch.update();
    for (batch.moveFirst(); !batch.eof(); batch.moveNext()) {
    }
    QCOMPARE(batch.value(1, "Klient").toString(), QStringLiteral("А"));
    QVERIFY(batch.hasPendingChanges());
    QCOMPARE(db.scalar("SELECT Klient FROM tabl WHERE km=2").toString(), QStringLiteral("Клиент 5"));
    batch.updateBatch();
    QCOMPARE(db.scalar("SELECT Klient FROM tabl WHERE km=2").toString(), QStringLiteral("А"));
    QCOMPARE(db.scalar("SELECT Klient FROM tabl WHERE km=951").toString(), QStringLiteral("Б"));

    // requery sees the table as it is now, in order.
    rs.requery();
    QCOMPARE(rs.recordCount(), 1000);
    rs.moveLast();
    QCOMPARE(rs.value("km").toInt(), 5000);

    // A page wanted after its connection was closed is an error, not a crash.
    Connection own;
    own.open(gConnStr);
    Recordset orphan;
    orphan.open(own, "SELECT * FROM tabl ORDER BY km");
    own.close();
    QCOMPARE(orphan.value(0, "km").toInt(), 1);
    QVERIFY_THROWS_EXCEPTION(DbError, orphan.value(900, "km"));
}

void TestDatabase::rowDeletedByAnotherUserBetweenPagesIsReported()
{
    TestDb db;
    addTrips(db, 1000);
    Recordset rs;
    rs.open(db.conn(), "SELECT * FROM tabl WHERE km>? ORDER BY km", {0});
    Connection other;
    other.open(gConnStr);
    other.execute("DELETE FROM tabl WHERE km IN (300, 301, 800)");
    // A page read before the delete keeps showing its rows; a later page finds the
    // deleted rows gone and says so instead of showing another row in their place.
    rs.setAbsolutePosition(299);
    try {
        rs.moveNext();
        QFAIL("a row deleted by another user was shown");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), int(ErrRowDeleted));
    }
    QCOMPARE(rs.value("km").toInt(), 299);
    QCOMPARE(rs.recordCount(), 999);
    QVERIFY_THROWS_EXCEPTION(DbError, rs.moveNext());
    rs.moveNext();
    QCOMPARE(rs.value("km").toInt(), 302);
    QCOMPARE(rs.absolutePosition(), 300);
    // By index (a grid) it is reported without changing the rows.
    QVERIFY_THROWS_EXCEPTION(DbError, rs.value(797, "km"));
    QVERIFY_THROWS_EXCEPTION(DbError, rs.setAbsolutePosition(798));
    QCOMPARE(rs.value(796, "km").toInt(), 799);
    QCOMPARE(rs.recordCount(), 998);
    rs.moveLast();
    QCOMPARE(rs.value("km").toInt(), 1000);

    // A list that shows every row (a grid) reads them all at once and keeps them.
    Recordset held;
    held.open(db.conn(), "SELECT * FROM tabl ORDER BY km");
    held.holdAllRows();
    other.execute("DELETE FROM tabl WHERE km > 500");
    int kmBefore = 0;
    for (int i = 0; i < held.recordCount(); ++i) {
        QVERIFY(held.value(i, "km").toInt() > kmBefore);
        kmBefore = held.value(i, "km").toInt();
    }
    QCOMPARE(kmBefore, 1000);
    QCOMPARE(held.recordCount(), 997);
}

// Two copies of the program on one table: a row is updated or deleted only while
// it still holds what this copy read. Changed by the other copy (in any column)
// the write is refused with 3197, nothing of it written, and the row read again;
// deleted by it, the change is dropped and the row leaves the list (3167). A
// value stored in another form than it reads back never refuses a write.
void TestDatabase::rowIsWrittenBackOnlyWhileItHoldsWhatWasRead()
{
    TestDb db;
    db.exec("INSERT INTO tabl (Data, kola, km, ton, plat) VALUES ('2004-03-01 00:00:00', 'А', 1, 20, -1), "
            "('2004-03-02', 'Б', 1, 5, 0), ('2004-03-03', 'В', 1, 5, 0)");
    const auto stored = [&](const char *kola) {
        return db.scalar("SELECT km || ' ' || ton || ' ' || Data || ' ' || plat FROM tabl WHERE kola=?", {kola})
            .toString();
    };
    const auto refused = [](const std::function<void()> &write) {
        try {
            write();
        } catch (const DbError &e) {
            return e.number();
        }
        return 0;
    };
    Recordset rs;
    rs.open(db.conn(), "SELECT * FROM tabl ORDER BY kola");
    Connection other;
    other.open(gConnStr);

    rs.setValue("km", 100);
    rs.update();
    rs.setValue("km", 101);
    rs.update();
    QCOMPARE(stored("А"), QStringLiteral("101 20.0 2004-03-01 00:00:00 -1"));

    other.execute("UPDATE tabl SET ton=30 WHERE kola='А'");
    rs.setValue("km", 200);
    QCOMPARE(refused([&] { rs.update(); }), int(ErrWriteConflict));
    QCOMPARE(stored("А"), QStringLiteral("101 30.0 2004-03-01 00:00:00 -1"));
    QVERIFY(!rs.hasPendingChanges());
    QCOMPARE(rs.editMode(), Recordset::EditNone);
    QCOMPARE(rs.value("ton").toDouble(), 30.0);
    QCOMPARE(rs.value("km").toInt(), 101);
    rs.setValue("km", 200);
    rs.update();
    QCOMPARE(stored("А"), QStringLiteral("200 30.0 2004-03-01 00:00:00 -1"));

    rs.moveNext();
    other.execute("UPDATE tabl SET plat=1 WHERE kola='Б'");
    QCOMPARE(refused([&] { rs.deleteRecord(); }), int(ErrWriteConflict));
    QCOMPARE(db.count("tabl"), 3);
    QCOMPARE(rs.value("kola").toString(), QStringLiteral("Б"));
    QVERIFY(rs.value("plat").toBool());

    rs.moveLast();
    other.execute("DELETE FROM tabl WHERE kola='В'");
    rs.setValue("km", 7);
    QCOMPARE(refused([&] { rs.update(); }), int(ErrRowDeleted));
    QCOMPARE(rs.recordCount(), 2);
    QVERIFY(!rs.hasPendingChanges());
    rs.moveNext();
    QVERIFY(rs.eof());
}

// Another copy of the program: one save in its own transaction, without waiting
// for a lock. Exits 0 when written, 1 when the file was busy, 2 otherwise.
static int otherCopyWrites(const char *path)
{
    sqlite3 *h = nullptr;
    int rc = sqlite3_open_v2(path, &h, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(h, "BEGIN IMMEDIATE; INSERT INTO shof (kod, ime) VALUES ('999', 'Друг'); COMMIT;",
                          nullptr, nullptr, nullptr);
    sqlite3_close_v2(h);
    return rc == SQLITE_OK ? 0 : rc == SQLITE_BUSY ? 1 : 2;
}

void TestDatabase::openingAnotherConnectionKeepsTheWriteLock()
{
    TestDb db;
    auto otherCopy = [&] {
        return QProcess::execute(QCoreApplication::applicationFilePath(), {QStringLiteral("--other-copy"), db.dbPath()});
    };
    Connection &a = db.conn();
    a.beginTrans();
    a.execute("INSERT INTO shof (kod, ime) VALUES (?, ?)", {"001", "А"});
    // A second connection opened meanwhile (another screen, the year closing)
    // must not let go of the first one's lock.
    Connection b;
    b.open(gConnStr);
    QCOMPARE(b.scalar("SELECT count(*) FROM shof").toInt(), 0);
    QCOMPARE(otherCopy(), 1);
    a.commitTrans();
    QCOMPARE(otherCopy(), 0);
    QCOMPARE(b.scalar("SELECT count(*) FROM shof").toInt(), 2);
}

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--other-copy") == 0)
        return otherCopyWrites(argv[2]);
    QApplication app(argc, argv);
    TestDatabase t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_database.moc"
