#include "billing/driverpayreports.h"

#include "billing/pay.h"
#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekalt.h"
#include "dialogs/progdialog.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "printing/report.h"
#include "printing/reportdesigns.h"
#include "printing/reportframe.h"
#include "scratch/temptable.h"

#include <QElapsedTimer>
#include <QList>
#include <QSqlError>
#include <QSqlQuery>

#include <functional>

namespace kelm {

namespace {

using A = ReportAlign;

struct Column {
    int number;
    const char *caption;
    int width; // twips
    A align;
    const char *format;
};

const QString kNarrowFace = QStringLiteral("DejaVu Sans Condensed");
const QString kWarning = QStringLiteral("ВНИМАНИЕ!");

constexpr int kHeaderHeight = 2280;
constexpr int kPageHeaderHeight = 400;
constexpr int kDetailHeight = 270;
constexpr int kPageFooterHeight = 420;
constexpr int kTotalFooterHeight = 560;
constexpr int kReceiptFooterHeight = 3000;

// The three designs share their shape: the company header, the title, subject and
// period lines, nine ruled columns, the version footer; the report footer holds
// the total, and on the pay statements the receipt under it.
void declarePayDesign(Report &r, const QList<Column> &cols, bool receipt, const QString &totalCaption)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    declareDesignPage(r, info);
    const int width = info.width;

    // The contacts line stands where the design's row names its label.
    ReportSection &rh = addHeaderBand(r, info, kHeaderHeight);
    rh.addLabel(QStringLiteral("Label3"), 0, 1180, width, 400, QStringLiteral("Извлечение"), 14, true, A::Center);
    rh.addLabel(QStringLiteral("Label4"), 0, 1590, width, 320, QStringLiteral("за курсовете на"), 11, true,
                A::Center);
    rh.addLabel(QStringLiteral("Label5"), 0, 1920, width, 300, QStringLiteral("период"), 10, false, A::Center);

    ReportSection &ph = r.addSection(QStringLiteral("PageHeader"), kPageHeaderHeight);
    ReportSection &det = r.addSection(QStringLiteral("Detail"), kDetailHeight);
    ph.addLine(QStringLiteral("Line2"), 0, 20, width, 0);
    int x = 0;
    for (const Column &c : cols) {
        ph.addLine(QStringLiteral("LineH%1").arg(c.number), x, 20, 0, kPageHeaderHeight - 20);
        det.addLine(QStringLiteral("LineD%1").arg(c.number), x, 0, 0, kDetailHeight);
        ph.addLabel(QStringLiteral("Label%1").arg(c.number), x, 50, c.width, 300, QString::fromUtf8(c.caption), 8,
                    true, A::Center);
        det.addTextBox(QStringLiteral("Text%1").arg(c.number), x, 0, c.width, kDetailHeight, c.align,
                       QString::fromUtf8(c.format))
            .setFont(7.5)
            .setFontFamily(kNarrowFace);
        x += c.width;
    }
    ph.addLine(QStringLiteral("LineHEnd"), width, 20, 0, kPageHeaderHeight - 20);
    det.addLine(QStringLiteral("LineDEnd"), width, 0, 0, kDetailHeight);
    det.addLine(QStringLiteral("LineDBottom"), 0, kDetailHeight, width, 0);
    ph.addLine(QStringLiteral("Line3"), 0, kPageHeaderHeight, width, 0);

    addVersionFooterBand(r, info, kPageFooterHeight);

    ReportSection &rf =
        r.addSection(QStringLiteral("ReportFooter"), receipt ? kReceiptFooterHeight : kTotalFooterHeight);
    rf.addLabel(QStringLiteral("Label8"), width - 5000, 150, 5000, 300, totalCaption, 10, true, A::Right);
    if (!receipt)
        return;
    // The receipt the driver signs: its number and date, who he is, what he got.
    rf.addLabel(QStringLiteral("Label500"), 0, 700, width, 320, QStringLiteral("Разписка №_____ /"), 11, true,
                A::Center);
    rf.addLabel(QStringLiteral("Label501"), 0, 1120, width, 300, QStringLiteral("от"), 10);
    rf.addLabel(QStringLiteral("Label502"), 0, 1450, width, 1000, QString(), 10).setWordWrap(true);
    rf.addLabel(QStringLiteral("Label503"), 0, 2550, width, 300, receiptSignatureLine(), 10);
}

// Columns of the statements: the paid/unpaid list and the receipt statement print
// the tariff and the net amount; the pay statement the gross amount and the pay.
const QList<Column> kPlatenColumns = {
    {100, "№", 400, A::Right, ""},       {101, "Дата", 950, A::Center, ""},  {102, "Кола", 1150, A::Center, ""},
    {103, "Маршрут", 2300, A::Left, ""}, {104, "Товар", 2200, A::Left, ""},  {105, "Тон.", 750, A::Right, ""},
    {106, "КМ", 600, A::Right, ""},      {107, "Тар.", 600, A::Right, ""},   {108, "Сума", 1055, A::Right, ""},
};
const QList<Column> kZaplataColumns = {
    {100, "№", 400, A::Right, ""},           {101, "Дата", 950, A::Center, ""},
    {102, "Кола", 1150, A::Center, ""},      {103, "Маршрут", 2300, A::Left, ""},
    {104, "Товар", 1935, A::Left, ""},       {105, "Тон.", 750, A::Right, "###0.000"},
    {106, "КМ", 600, A::Right, "###0"},      {107, "Сума", 960, A::Right, "###0.00"},
    {108, "Зараб.", 960, A::Right, "###0.00"},
};

void declareRptPlaten(Report &r)
{
    declarePayDesign(r, kPlatenColumns, true, QStringLiteral("Сума за плащане:"));
}
void declareRptZaplata(Report &r)
{
    declarePayDesign(r, kZaplataColumns, true, QStringLiteral("Всичко заработка:"));
}
void declareRptNePlaten(Report &r)
{
    declarePayDesign(r, kPlatenColumns, false, QStringLiteral("Сума за плащане:"));
}

void setFramePage(Report &r, bool alt = false)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    r.setCaption(info.windowCaption(alt));
    applyDesignPage(r, info);
}

void fillHeader(Report &r, const QString &driverName, const QDate &start, const QDate &end)
{
    fillCompanyHeader(r, reportDesign(r.name()));
    ReportSection &rh = r.section(QStringLiteral("ReportHeader"));
    rh.control(QStringLiteral("Label4")).setCaption(QStringLiteral("за курсовете на ") + driverName);
    rh.control(QStringLiteral("Label5")).setCaption(reportPeriodLine(start, end));
}

void bindColumns(Report &r, const QStringList &fields)
{
    ReportSection &det = r.section(QStringLiteral("Detail"));
    for (int i = 0; i < fields.size(); ++i)
        det.control(QStringLiteral("Text%1").arg(100 + i)).setDataField(fields.at(i));
}

void fillReceipt(Report &r, const QString &driverName, const DriverPapers &papers, const PrintedSum &total,
                 const QDate &today)
{
    ReportSection &rf = r.section(QStringLiteral("ReportFooter"));
    rf.control(QStringLiteral("Label8")).setCaption(earnedTotalLine(total.text()));
    rf.control(QStringLiteral("Label500")).setCaption(receiptNumberLine(today));
    rf.control(QStringLiteral("Label501")).setCaption(receiptDriverLine(driverName, papers));
    rf.control(QStringLiteral("Label502")).setCaption(receiptText(today, total.text(), gFirmName));
}

// The scratch table of a report, made when a screen prints without the command
// having made it (the scratch file holds one table at a time).
void ensureTempTable(Connection &temp, const QString &table)
{
    if (!temp.hasTable(table))
        createTempTableIn(temp, table);
}

// The progress bar is redrawn a few times a second, not for each trip: redrawing
// it for each of thousands of trips would take longer than the trips themselves.
class TripProgress {
public:
    TripProgress(const QString &label, int trips) : m_scope(label, trips + 1), m_max(trips + 1) { m_clock.start(); }
    void trip(int done)
    {
        const int value = 1 + done;
        if (value >= m_max || m_clock.elapsed() >= 100) {
            m_scope.step(value);
            m_clock.restart();
        }
    }

private:
    ProgressScope m_scope;
    int m_max;
    QElapsedTimer m_clock;
};

double num(const QVariant &v) { return v.isNull() ? 0.0 : v.toDouble(); }

// One INSERT into a scratch table, prepared once and run for every staged row,
// with its values bound as the data layer stores them.
class StagingInsert {
public:
    StagingInsert(Connection &conn, const QString &sql) : m_q(conn.db())
    {
        if (!m_q.prepare(sql))
            fail();
    }
    void run(const QVariantList &values)
    {
        for (int i = 0; i < values.size(); ++i)
            m_q.bindValue(i, toStorage(values.at(i)));
        if (!m_q.exec())
            fail();
    }

private:
    [[noreturn]] void fail()
    {
        throw sqliteError(m_q.lastError());
    }
    QSqlQuery m_q;
};

// Empties the scratch table and writes its rows through one prepared INSERT, in
// one transaction; returns the rows in their numbered order. (One statement
// prepared for all the rows: thousands of trips stage in a fraction of the time
// a statement prepared per row takes.)
ReportData stageRows(const QString &table, const QString &insertSql, const std::function<void(StagingInsert &)> &write)
{
    Connection temp;
    temp.open(gTempConnStr);
    ensureTempTable(temp, table);
    temp.beginTrans();
    try {
        temp.execute(QStringLiteral("DELETE FROM %1").arg(table));
        StagingInsert insert(temp, insertSql);
        write(insert);
        temp.commitTrans();
    } catch (...) {
        temp.rollbackTrans();
        throw;
    }
    return ReportData::fromQuery(temp, QStringLiteral("SELECT * FROM %1 ORDER BY Red").arg(table));
}

} // namespace

Report &rptPlaten() { return Report::instance(QStringLiteral("rptPlaten"), &declareRptPlaten); }
Report &rptZaplata() { return Report::instance(QStringLiteral("rptZaplata"), &declareRptZaplata); }
Report &rptNePlaten() { return Report::instance(QStringLiteral("rptNePlaten"), &declareRptNePlaten); }

ReportData stagePaidTrips(const QVector<PaidTripLine> &lines, int tariffDecimals, PrintedSum *total)
{
    return stageRows(QStringLiteral("TempPlaten"),
                     QStringLiteral("INSERT INTO TempPlaten (Red, Data, Marsh, VidTovar, KolaID, KM, Ton, Tarifa, "
                                    "Suma) VALUES (?,?,?,?,?,?,?,?,?)"),
                     [&](StagingInsert &insert) {
                         int red = 0;
                         for (const PaidTripLine &l : lines) {
                             insert.run({++red, l.data, l.marsh, l.tovar, l.kola, formatNumber(l.km, 0),
                                         formatNumber(l.ton, 3), printedTariff(l.tarifa, tariffDecimals),
                                         formatNumber(l.neto, 2)});
                             if (total)
                                 total->add(l.neto);
                         }
                     });
}

void fillRptPlaten(const ReportData &rows, const QString &driverName, const QDate &start, const QDate &end,
                   const DriverPapers &papers, const PrintedSum &total, const QDate &today)
{
    Report &r = rptPlaten();
    setFramePage(r);
    r.setDataSource(rows);
    fillHeader(r, driverName, start, end);
    bindColumns(r, {"Red", "Data", "KolaID", "Marsh", "VidTovar", "ton", "KM", "Tarifa", "Suma"});
    fillVersionFooter(r, reportDesign(r.name()));
    fillReceipt(r, driverName, papers, total, today);
}

void PrintDriverSalary()
{
    const DiaSeek &d = DiaSeek::instance();
    const QDate d1 = d.startDate(), d2 = d.endDate();
    const QString name = d.ShofName, kod = d.ShofKod;
    runReportFill([&] {
        QString refusal;
        DriverPapers papers;
        PrintedSum total;
        ReportData rows;
        {
            ProgressScope progressWindow(QStringLiteral("Обработка курсове на шофьор..."), 1);
            Connection conn;
            conn.open(gConnStr);
            const std::optional<DriverPapers> p = readDriverPapers(conn, kod);
            const QVector<CarRate> rates = p ? readCarRates(conn) : QVector<CarRate>();
            QVector<QVector<QVariant>> trips;
            if (p) {
                papers = *p;
                conn.forEachRow(QStringLiteral("SELECT Data, kola, ton, KM, Marsh, Tovar, bruto FROM tabl "
                                               "WHERE kod=? AND COALESCE(plat,0)=0 AND Data BETWEEN ? AND ? "
                                               "ORDER BY Data, ID"),
                                {kod, d1, d2}, nullptr, [&](const QVector<QVariant> &v) { trips.append(v); });
            }
            conn.close();
            if (!p) {
                refusal = QStringLiteral("Няма данни за шофьора!");
            } else if (trips.isEmpty()) {
                refusal = QStringLiteral("Няма курсове за плащане!");
            } else {
                // Every trip's pay first: a car without a percentage stops the
                // statement before anything is staged.
                struct Staged {
                    double ton, pay;
                };
                QVector<Staged> pays;
                pays.reserve(trips.size());
                TripProgress progress(QStringLiteral("Обработка курсове на шофьор..."), int(trips.size()));
                for (int i = 0; i < trips.size(); ++i) {
                    progress.trip(i + 1);
                    const QVector<QVariant> &t = trips.at(i);
                    const QString kola = t.at(1).toString();
                    const CarRate *rate = findCarRate(rates, kola);
                    if (!rate || rate->procent == 0) {
                        refusal = noPercentMessage(kola);
                        break;
                    }
                    const double ton = num(t.at(2));
                    pays.append({ton, Round(driverPay(num(t.at(6)), rate->procent, rate->ton, ton), 2)});
                }
                if (refusal.isEmpty()) {
                    rows = stageRows(QStringLiteral("TempZaplata"),
                                     QStringLiteral("INSERT INTO TempZaplata (Red, Data, KolaID, Ton, KM, Suma, "
                                                    "Marsh, VidTovar, Zaplata) VALUES (?,?,?,?,?,?,?,?,?)"),
                                     [&](StagingInsert &insert) {
                                         for (int i = 0; i < trips.size(); ++i) {
                                             const QVector<QVariant> &t = trips.at(i);
                                             insert.run({i + 1, t.at(0), t.at(1), pays.at(i).ton,
                                                         qint64(num(t.at(3))), num(t.at(6)), t.at(4), t.at(5),
                                                         pays.at(i).pay});
                                             total.add(pays.at(i).pay);
                                         }
                                     });
                }
            }
        }
        if (!refusal.isEmpty()) {
            DiaInf::show(kWarning, refusal);
            return;
        }
        Report &r = rptZaplata();
        setFramePage(r);
        r.setDataSource(rows);
        fillHeader(r, name, d1, d2);
        bindColumns(r, {"Red", "Data", "KolaID", "Marsh", "VidTovar", "Ton", "KM", "Suma", "Zaplata"});
        fillVersionFooter(r, reportDesign(r.name()));
        fillReceipt(r, name, papers, total, QDate::currentDate());
        r.show(reportDesign(r.name()).modal);
    });
}

void PrintDriverTrips(bool paid)
{
    const DiaSeekAlt &d = DiaSeekAlt::instance();
    const QDate d1 = d.startDate(), d2 = d.endDate();
    const QString name = d.ShofName, kod = d.ShofKod;
    setStatusText(QStringLiteral("Справка за курсове..."));
    runReportFill([&] {
        PrintedSum total;
        ReportData rows;
        {
            ProgressScope progressWindow(QStringLiteral("Обработка на курсовете на шофьора..."), 1);
            Connection conn;
            conn.open(gConnStr);
            QVector<PaidTripLine> lines;
            // An empty paid flag counts as not paid.
            conn.forEachRow(QStringLiteral("SELECT Data, Marsh, Tovar, kola, KM, Ton, Tarifa, neto FROM tabl WHERE ")
                                + (paid ? QStringLiteral("plat=1") : QStringLiteral("COALESCE(plat,0)=0"))
                                + QStringLiteral(" AND kod=? AND Data BETWEEN ? AND ? "
                                                 "ORDER BY Data, Marsh COLLATE BG, ID"),
                            {kod, d1, d2}, nullptr, [&](const QVector<QVariant> &v) {
                                lines.append({v.at(0), v.at(1).toString(), v.at(2).toString(), v.at(3).toString(),
                                              num(v.at(4)), num(v.at(5)), num(v.at(6)), num(v.at(7))});
                            });
            conn.close();
            if (!lines.isEmpty()) {
                TripProgress progress(QStringLiteral("Обработка на курсовете на шофьора..."), int(lines.size()));
                rows = stagePaidTrips(lines, 2, &total);
                progress.trip(int(lines.size()));
            }
        }
        if (rows.rowCount() == 0) {
            DiaInf::show(kWarning, paid ? QStringLiteral("Няма платени курсове!")
                                        : QStringLiteral("Няма неплатени курсове!"));
            return;
        }
        Report &r = rptNePlaten();
        setFramePage(r, !paid);
        r.setDataSource(rows);
        fillHeader(r, name, d1, d2);
        bindColumns(r, {"Red", "Data", "KolaID", "Marsh", "VidTovar", "ton", "KM", "Tarifa", "Suma"});
        fillVersionFooter(r, reportDesign(r.name()));
        r.section(QStringLiteral("ReportFooter"))
            .control(QStringLiteral("Label8"))
            .setCaption(QStringLiteral("Всичко: ") + total.text() + QStringLiteral(" лв."));
        r.show(reportDesign(r.name()).modal);
    });
}

} // namespace kelm
