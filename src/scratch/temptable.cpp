#include "scratch/temptable.h"

#include "common/globals.h"
#include "dialogs/mousepointer.h"
#include "platform/database.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <utility>
#include <vector>

namespace kelm {

namespace {

// Type words of the scratch tables; the data layer converts values by them.
constexpr const char *Integer = "INTEGER";
constexpr const char *Double = "DOUBLE";
constexpr const char *Date = "DATE";
constexpr const char *Text = "TEXT";

using Fields = std::vector<std::pair<const char *, const char *>>;

// Fields in the order the reports and fillers expect them. The text widths of
// the old layouts are not enforced: the fillers write formatted texts that fit.
const std::vector<std::pair<QString, Fields>> &layouts()
{
    static const std::vector<std::pair<QString, Fields>> all = {
        {QStringLiteral("TempNal"),
         {{"Red", Integer}, {"Name", Text}, {"Cena", Double}, {"Kol", Double}, {"Suma", Double}}},
        {QStringLiteral("TempRowdList"),
         {{"Red", Text}, {"NomData", Text}, {"KolaID", Text}, {"Marsh", Text}, {"KM", Text},
          {"Ton", Text}, {"RazhN", Text}, {"Proc", Text}}},
        {QStringLiteral("TempSKladPR"),
         {{"Red", Integer}, {"DocVid", Text}, {"NomData", Text}, {"Name", Text}, {"Broi", Text},
          {"Edin", Text}, {"Suma", Text}}},
        {QStringLiteral("TempSKlad"),
         {{"Red", Integer}, {"Name", Text}, {"Cena", Text}, {"Prihod", Text}, {"SumaP", Text},
          {"Razhod", Text}, {"SumaR", Text}, {"Ostatak", Text}, {"SumaO", Text}}},
        {QStringLiteral("TempBalans"),
         {{"Red", Integer}, {"Kola", Text}, {"Prihod", Text}, {"Razhod", Text}, {"Ostatak", Text}}},
        {QStringLiteral("TempKlients"),
         {{"Data", Date}, {"Marsh", Text}, {"VidTovar", Text}, {"Kola", Text}, {"KM", Integer},
          {"Ton", Double}, {"Tarifa", Double}, {"Suma", Double}}},
        {QStringLiteral("TempKlientsNew"),
         {{"Data", Date}, {"Marsh", Text}, {"VidTovar", Text}, {"Kola", Text}, {"KM", Text},
          {"Ton", Text}, {"Tarifa", Text}, {"Suma", Text}}},
        {QStringLiteral("TempZaplata"),
         {{"Red", Integer}, {"Data", Date}, {"KolaID", Text}, {"Ton", Double}, {"KM", Integer},
          {"Suma", Double}, {"Marsh", Text}, {"VidTovar", Text}, {"Zaplata", Double},
          {"Nadnik", Double}}},
        {QStringLiteral("TempPlaten"),
         {{"Red", Integer}, {"Data", Date}, {"Marsh", Text}, {"VidTovar", Text}, {"KolaID", Text},
          {"KM", Text}, {"Ton", Text}, {"Tarifa", Text}, {"Suma", Text}}},
        {QStringLiteral("TempZaplati"),
         {{"Data", Date}, {"Kola", Text}, {"Name", Text}, {"Ton", Double}, {"KM", Integer},
          {"Suma", Double}, {"Marsh", Text}, {"Klient", Text}, {"VidTovar", Text},
          {"Zaplata", Double}}},
    };
    return all;
}

const Fields *fieldsOf(const QString &table)
{
    for (const auto &l : layouts())
        if (l.first == table)
            return &l.second;
    return nullptr;
}

QString createSql(const QString &table, const Fields &fields)
{
    QStringList cols;
    for (const auto &f : fields)
        cols << QStringLiteral("\"%1\" %2").arg(QLatin1String(f.first), QLatin1String(f.second));
    return QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(table, cols.join(QStringLiteral(", ")));
}


void removeFile(const QString &path)
{
    if (!QFileInfo::exists(path))
        return;
    QFile f(path);
    if (!f.remove())
        throw DbError(ErrSql, QStringLiteral("Не мога да изтрия временния файл „%1“ (%2). "
                                             "Затворете прозорците, които го използват, и опитайте отново.")
                                  .arg(path, f.errorString()));
}

} // namespace

QStringList tempTableNames()
{
    QStringList names;
    for (const auto &l : layouts())
        if (l.first != QLatin1String("TempKlientsNew"))
            names << l.first;
    return names;
}

void createTempTableIn(Connection &conn, const QString &tableName)
{
    // TempKlientsNew is only ever made together with TempKlients.
    const Fields *fields = tableName == QLatin1String("TempKlientsNew") ? nullptr : fieldsOf(tableName);
    if (!fields)
        throw DbError(ErrSql, QStringLiteral("Непозната временна таблица „%1“.").arg(tableName));
    conn.execute(createSql(tableName, *fields));
    if (tableName == QLatin1String("TempKlients"))
        conn.execute(createSql(QStringLiteral("TempKlientsNew"), *fieldsOf(QStringLiteral("TempKlientsNew"))));
}

void CreateTempTable(const QString &tableName)
{
    if (!tempTableNames().contains(tableName))
        throw DbError(ErrSql, QStringLiteral("Непозната временна таблица „%1“.").arg(tableName));

    WaitCursor wait;
    // A journal left beside an old file would be taken for the new file's own.
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        removeFile(gTempDbPath + QLatin1String(suffix));

    Connection conn;
    conn.open(gTempConnStr);
    try {
        conn.beginTrans();
        createTempTableIn(conn, tableName);
        conn.commitTrans();
    } catch (...) {
        conn.rollbackTrans();
        throw;
    }
    conn.close();
}

} // namespace kelm
