#include "reports/waybillreport.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "platform/bulkrows.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "printing/report.h"
#include "printing/reportdesigns.h"
#include "printing/reportframe.h"
#include "scratch/temptable.h"

#include <QHash>

#include <cmath>

namespace kelm {

namespace {

using A = ReportAlign;

const QString kNarrowFace = QStringLiteral("DejaVu Sans Condensed");

struct Column {
    int number;
    const char *caption;
    int width;
    A align;
};
// Left to right; the widths add up to the report's 10020 twips.
const Column kColumns[] = {{100, "№", 700, A::Left},          {101, "Номер/Дата", 2100, A::Left},
                           {102, "Кола", 1000, A::Center},    {103, "Маршрут", 3170, A::Left},
                           {104, "КМ", 830, A::Right},        {105, "Тонаж", 750, A::Right},
                           {106, "Разх.наф.", 980, A::Right}, {107, "%", 490, A::Right}};

int columnLeft(int number)
{
    int x = 0;
    for (const Column &c : kColumns) {
        if (c.number == number)
            return x;
        x += c.width;
    }
    return 0;
}

int columnWidth(int number)
{
    for (const Column &c : kColumns)
        if (c.number == number)
            return c.width;
    return 0;
}

void declareRptRowdList(Report &r)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    declareDesignPage(r, info);
    const int w = info.width;

    ReportSection &rh = addHeaderBand(r, info, 2280);
    rh.addLabel(QStringLiteral("Label3"), 0, 1180, w, 400, QStringLiteral("Справка"), 14, true, A::Center);
    rh.addLabel(QStringLiteral("Label4"), 0, 1590, w, 320, QString(), 11, true, A::Center);
    rh.addLabel(QStringLiteral("Label5"), 0, 1920, w, 300, QString(), 10, false, A::Center);

    ReportSection &ph = r.addSection(QStringLiteral("PageHeader"), 400);
    ReportSection &det = r.addSection(QStringLiteral("Detail"), 260);
    ph.addLine(QStringLiteral("Line2"), 0, 20, w, 0);
    int x = 0;
    for (const Column &c : kColumns) {
        // The surcharge's caption is Label12 in the design.
        const QString label = c.number == 107 ? QStringLiteral("Label12") : QStringLiteral("Label%1").arg(c.number);
        ph.addLabel(label, x, 50, c.width, 300, QString::fromUtf8(c.caption), 8, true, c.align)
            .setFontFamily(kNarrowFace);
        det.addTextBox(QStringLiteral("Text%1").arg(c.number), x, 0, c.width, 260, c.align)
            .setFont(8)
            .setFontFamily(kNarrowFace);
        x += c.width;
    }
    ph.addLine(QStringLiteral("Line3"), 0, 380, w, 0);

    addVersionFooterBand(r, info);

    // "Всичко" with the three totals side by side, the last one ending where the
    // fuel column ends.
    ReportSection &rf = r.addSection(QStringLiteral("ReportFooter"), 760);
    rf.addLine(QStringLiteral("Line5"), 0, 40, w, 0).setLineWidth(20);
    rf.addLabel(QStringLiteral("Label16"), 0, 400, 1400, 280, QStringLiteral("Всичко"), 9, true);
    const int fuelRight = columnLeft(106) + columnWidth(106);
    const int box = 2300;
    auto total = [&](const char *caption, const char *capLabel, const char *valueLabel, int right) {
        rf.addLabel(QLatin1String(capLabel), right - box, 100, box, 260, QString::fromUtf8(caption), 8, true, A::Right);
        rf.addLabel(QLatin1String(valueLabel), right - box, 400, box, 280, QStringLiteral("0"), 9, true, A::Right);
    };
    total("Изминати километри", "Label13", "Label11", fuelRight - 2 * (box + 100));
    total("Заредена нафта", "Label14", "Label10", fuelRight - (box + 100));
    total("Изчислен разход", "Label15", "Label8", fuelRight);
}

double numberOr0(const QVariant &v)
{
    return v.isNull() ? 0.0 : v.toDouble();
}

// A number as read: empty or a value.
struct Num {
    bool null = true;
    double v = 0;
    QVariant variant() const { return null ? QVariant() : QVariant(v); }
};

Num numberAt(const RawRow &r, int col)
{
    return r.isNull(col) ? Num{} : Num{false, r.number(col)};
}

// Numbers of a row in their formats, or nothing for an empty value. Kilometres,
// loads and norms repeat from sheet to sheet, so each text is made once per run.
class Formats {
public:
    QString operator()(const Num &n, int decimals)
    {
        if (n.null)
            return QString();
        QHash<double, QString> &cache = m_cache[decimals];
        auto it = cache.constFind(n.v);
        if (it != cache.constEnd())
            return *it;
        const QString text = formatNumber(n.v, decimals);
        if (cache.size() < 100000)
            cache.insert(n.v, text);
        return text;
    }

private:
    QHash<double, QString> m_cache[4];
};

// A stored date (yyyy-MM-dd) as dd.mm.yyyy.
QString storedDateText(const QString &stored)
{
    if (stored.size() == 10 && stored.at(4) == QLatin1Char('-') && stored.at(7) == QLatin1Char('-'))
        return stored.mid(8, 2) + QLatin1Char('.') + stored.mid(5, 2) + QLatin1Char('.') + stored.left(4);
    return formatDate(QVariant(stored));
}

struct Leg {
    QString route;
    Num km, ton, razhN, koef;
};

} // namespace

Report &rptRowdList()
{
    return Report::instance(QStringLiteral("rptRowdList"), &declareRptRowdList);
}

QString waybillNumberText(int n)
{
    return QStringLiteral(" %1.").arg(n);
}

QString waybillRouteText(const QVariant &zarN, const QVariant &endKM)
{
    const double z = numberOr0(zarN);
    if (!(z > 0))
        return QStringLiteral(" - ");
    const qint64 km = endKM.isNull() ? 0 : qint64(std::llround(endKM.toDouble()));
    // A number written out starts with its sign, a blank where it has none.
    const QString kmText = km < 0 ? QString::number(km) : QStringLiteral(" ") + QString::number(km);
    return formatGeneral(Round(z, 1)) + QStringLiteral("л. - ") + kmText + QStringLiteral("км");
}

QString surchargeText(const QVariant &koef)
{
    return formatGeneral(numberOr0(koef));
}

bool meansAllCars(const QString &car)
{
    return car.trimmed() == QLatin1String("0");
}

WaybillRows readWaybillRows(Connection &conn, const QString &car, const QDate &start, const QDate &end)
{
    WaybillRows w;
    w.fields = QStringList{"Red", "NomData", "KolaID", "Marsh", "KM", "Ton", "RazhN", "Proc"};
    const bool all = meansAllCars(car);
    const QString where = all ? QStringLiteral("Data BETWEEN ? AND ?") : QStringLiteral("Kola=? AND Data BETWEEN ? AND ?");
    const QVariantList params = all ? QVariantList{start, end} : QVariantList{car, start, end};

    // Every leg of the period's waybills in one query, in the order they were entered.
    QHash<QString, QVector<Leg>> legs;
    forEachRawRow(conn,
                  QStringLiteral("SELECT MarshID, Marshrut, KM, Ton, RazhN, Koef FROM Marsh WHERE MarshID IN "
                                 "(SELECT ListID FROM RowdList WHERE ")
                      + where + QStringLiteral(") ORDER BY ID"),
                  params, [&](const RawRow &r) {
                      legs[r.text(0)].append(
                          Leg{r.text(1), numberAt(r, 2), numberAt(r, 3), numberAt(r, 4), numberAt(r, 5)});
                  });

    const QString blank = QStringLiteral(" ");
    Formats formatted;
    forEachRawRow(
        conn,
        QStringLiteral("SELECT ListID, Data, Kola, ZarN, EndKM, SumKM, SumRazhN FROM RowdList WHERE ") + where
            + QStringLiteral(" ORDER BY Data, ListID"),
        params, [&](const RawRow &r) {
            const QString listId = r.text(0);
            const Num zarN = numberAt(r, 3), sumKm = numberAt(r, 5), sumRazhN = numberAt(r, 6);
            ++w.waybills;
            w.zarN += zarN.v;
            w.sumKM += sumKm.v;
            w.sumRazhN += sumRazhN.v;
            w.rows.append({waybillNumberText(w.waybills), listId + QStringLiteral(" / ") + storedDateText(r.text(1)),
                           r.text(2), waybillRouteText(zarN.variant(), r.value(4)), formatted(sumKm, 2), blank,
                           formatted(sumRazhN, 2), blank});
            for (const Leg &l : legs.value(listId))
                w.rows.append({blank, blank, blank, l.route, formatted(l.km, 2), formatted(l.ton, 3),
                               formatted(l.razhN, 2), surchargeText(l.koef.variant())});
        });
    return w;
}

void writeWaybillRows(Connection &temp, const WaybillRows &w)
{
    if (!temp.hasTable(QStringLiteral("TempRowdList")))
        createTempTableIn(temp, QStringLiteral("TempRowdList"));
    temp.beginTrans();
    try {
        temp.execute(QStringLiteral("DELETE FROM TempRowdList"));
        // A year of waybills is tens of thousands of rows: one statement, prepared once.
        appendRows(temp, QStringLiteral("TempRowdList"), w.fields, w.rows);
        temp.commitTrans();
    } catch (...) {
        temp.rollbackTrans();
        throw;
    }
}

void PrintWaybillReport()
{
    const DiaSeek &d = DiaSeek::instance();
    if (!d.lYes)
        return;
    runReportFill([&] {
        const QDate start = d.startDate(), end = d.endDate();
        WaybillRows w;
        {
            Connection conn;
            conn.open(gConnStr);
            w = readWaybillRows(conn, d.Kola, start, end);
        }
        Connection temp;
        temp.open(gTempConnStr);
        writeWaybillRows(temp, w);
        temp.close();
        if (w.waybills == 0) {
            DiaInf::show(QString(), joinLines({QStringLiteral("Няма въведени пътни листи при тези условия!"),
                                                QStringLiteral("Моля, изберете други.")}));
            return;
        }

        Report &r = rptRowdList();
        const ReportDesignInfo &info = startReportRun(r, ReportData(w.fields, w.rows));
        ReportSection &rh = r.section(QStringLiteral("ReportHeader"));
        rh.control(QStringLiteral("Label4")).setCaption(QStringLiteral("за издадените пътни листи"));
        rh.control(QStringLiteral("Label5")).setCaption(reportPeriodLine(start, end));
        ReportSection &det = r.section(QStringLiteral("Detail"));
        for (int i = 0; i < w.fields.size(); ++i)
            det.control(QStringLiteral("Text%1").arg(100 + i)).setDataField(w.fields.at(i));
        fillVersionFooter(r, info);
        ReportSection &rf = r.section(QStringLiteral("ReportFooter"));
        rf.control(QStringLiteral("Label11")).setCaption(formatNumber(w.sumKM, 0));
        rf.control(QStringLiteral("Label10")).setCaption(formatNumber(w.zarN, 0));
        rf.control(QStringLiteral("Label8")).setCaption(formatNumber(w.sumRazhN, 1));
        r.show(info.modal);
    });
}

} // namespace kelm
