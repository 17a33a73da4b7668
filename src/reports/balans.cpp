#include "reports/balans.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "dialogs/progdialog.h"
#include "platform/grid.h"
#include "platform/singlewindow.h"
#include "platform/version.h"
#include "printing/report.h"
#include "printing/reportdesigns.h"
#include "printing/reportframe.h"
#include "scratch/scratchrows.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kelm {

namespace {

QPointer<Balans> s_balans;

using A = ReportAlign;

// Columns of the list and of the report, left to right: width in the report, twips.
constexpr int kColRed = 700, kColKola = 2000, kColSum = 2320;

void declareRptBalans(Report &r)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    declareDesignPage(r, info);
    const int w = info.width;

    ReportSection &rh = addHeaderBand(r, info, 2330);
    rh.addLabel(QStringLiteral("Label1"), 0, 1180, w, 400, QStringLiteral("Справка"), 14, true, A::Center);
    rh.addLabel(QStringLiteral("Label2"), 0, 1590, w, 320, QStringLiteral("за печалбата от колите"), 11, true,
                A::Center);
    rh.addLabel(QStringLiteral("Label3"), 0, 1920, w, 300, QStringLiteral("за периода"), 10, false, A::Center);

    ReportSection &ph = r.addSection(QStringLiteral("PageHeader"), 640);
    ReportSection &det = r.addSection(QStringLiteral("Detail"), 290);
    ph.addLine(QStringLiteral("Line2"), 0, 20, w, 0);
    struct Col {
        int n;
        const char *caption;
        const char *unit;
        int width;
        A align;
    };
    const Col cols[] = {{100, "№", "", kColRed, A::Center},
                        {101, "Кола №", "", kColKola, A::Center},
                        {102, "Приход", "[лв.]", kColSum, A::Right},
                        {103, "Разход", "[лв.]", kColSum, A::Right},
                        {104, "Остатък", "[лв.]", w - kColRed - kColKola - 2 * kColSum, A::Right}};
    int x = 0;
    for (const Col &c : cols) {
        ph.addLabel(QStringLiteral("Label%1").arg(c.n), x, 50, c.width, 280, QString::fromUtf8(c.caption), 9, true,
                    c.align == A::Right ? A::Right : A::Center);
        if (*c.unit)
            ph.addLabel(QStringLiteral("Label%1").arg(c.n + 100), x, 320, c.width, 260, QString::fromUtf8(c.unit), 8,
                        false, A::Right);
        det.addTextBox(QStringLiteral("Text%1").arg(c.n), x, 0, c.width, 290, c.align).setFont(9);
        x += c.width;
    }
    ph.addLine(QStringLiteral("Line3"), 0, 620, w, 0);

    addVersionFooterBand(r, info);

    ReportSection &rf = r.addSection(QStringLiteral("ReportFooter"), 560);
    rf.addLine(QStringLiteral("Line5"), 0, 40, w, 0).setLineWidth(20);
    rf.addLabel(QStringLiteral("Label8"), kColRed, 120, w - kColRed, 320, QStringLiteral("Всичко"), 10, true,
                A::Right);
}

} // namespace

Report &rptBalans()
{
    return Report::instance(QStringLiteral("rptBalans"), &declareRptBalans);
}

Balans::Balans(QWidget *parent)
    : ScratchList(QStringLiteral("Balans"), QStringLiteral("TempBalans"), 4, parent)
{
    resize(640, 460);
}

Balans::~Balans()
{
    if (s_balans == this)
        s_balans = nullptr;
}

Balans *Balans::instance()
{
    return s_balans;
}

bool Balans::load()
{
    const DiaSeek &seek = DiaSeek::instance();
    const BalansMode mode = balansModeOf(gSeekMode);
    const QDate start = seek.startDate();
    const QDate end = seek.endDate();
    const bool money = mode == BalansMode::Money;
    const QString what = money ? QStringLiteral("Баланс") : QStringLiteral("Разход нафта");
    setStatusText(money ? QStringLiteral("Справка за печалбата от колите..")
                        : QStringLiteral("Справка за разхода на нафта на колите.."));

    // Everything is read and staged before the screen changes: a rebuild that
    // fails leaves title, header, mode, rows and total of the last one together,
    // and its print with them.
    BalansFigures figures;
    try {
        ProgressScope progress(money ? QStringLiteral("Обработка на приходите и разходите от колите...")
                                     : QStringLiteral("Обработка разхода на нафта на колите..."),
                               3);
        Connection db;
        db.open(gConnStr);
        figures = readBalans(db, mode, start, end);
        progress.step(2);
        restage(QStringLiteral("*"), [&](Connection &c) { stageRows(c, figures, mode); });
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА!"),
                     joinLines({QStringLiteral("Справката „%1“ за периода %2 - %3 не е изготвена.")
                                    .arg(money ? QStringLiteral("Баланс на колите") : what, shortDateText(start),
                                         shortDateText(end)),
                                e.text()}));
        return false;
    }

    m_mode = mode;
    m_start = start;
    m_end = end;
    m_figures = figures;
    const QString period = shortDateText(m_start) + QStringLiteral(" - ") + shortDateText(m_end);
    setWindowTitle(screenCaption(what));
    Text1->setText((money ? QStringLiteral("Печалба за периода ") : QStringLiteral("Разход нафта за периода "))
                   + period);
    if (money) {
        Label1->setText(balansTotalText(m_figures.total()));
        Label1->setVisible(true);
    } else {
        Label1->setVisible(false);
    }
    setColumns();
    return true;
}

void Balans::stageRows(Connection &c, const BalansFigures &figures, BalansMode mode)
{
    int red = 1;
    for (const BalansCar &car : figures.cars)
        c.execute(QStringLiteral("INSERT INTO TempBalans (Red, Kola, Prihod, Razhod, Ostatak) "
                                 "VALUES (?,?,?,?,?)"),
                  {red++, car.kola, formatBalansFigure(car.prihod, mode), formatBalansFigure(car.razhod, mode),
                   formatBalansFigure(car.ostatak, mode)});
}

void Balans::setColumns()
{
    const bool fuel = m_mode == BalansMode::Fuel;
    struct Col {
        const char *money;
        const char *fuel;
        int width;
        int align;
        const char *style;
    };
    const Col cols[] = {{"№", "№", 450, 1, ""},
                        {"Кола", "Кола", 1000, 1, ""},
                        {"Приход", "Изч.разх.", 1800, 2, "Prihod"},
                        {"Разход", "Заредено", 1800, 2, "Razhod"},
                        {"Остатък", "Разлика", 1800, 2, ""}};
    for (int i = 0; i < 5; ++i) {
        GridColumn c = GridEX1->Columns(i + 1);
        c.setCaption(QString::fromUtf8(fuel ? cols[i].fuel : cols[i].money))
            .setWidth(cols[i].width)
            .setHeaderAlignment(1)
            .setTextAlignment(cols[i].align)
            .setEditable(false)
            .setCellStyle(QString::fromUtf8(cols[i].style));
    }
    GridEX1->RefreshRows();
}

void Balans::cmdPrint_Click()
{
    runReportFill([this] {
        const bool fuel = m_mode == BalansMode::Fuel;
        Report &r = rptBalans();
        const ReportDesignInfo &info = startReportRun(r, stagedRows(), fuel);
        ReportSection &rh = r.section(QStringLiteral("ReportHeader"));
        rh.control(QStringLiteral("Label2"))
            .setCaption(fuel ? QStringLiteral("за разхода на нафта на колите") : QStringLiteral("за печалбата от колите"));
        rh.control(QStringLiteral("Label3"))
            .setCaption(QStringLiteral("за периода от ") + shortDateText(m_start) + QStringLiteral(" до ")
                        + shortDateText(m_end));
        // The one instance keeps what the last print wrote: both modes write every caption.
        ReportSection &ph = r.section(QStringLiteral("PageHeader"));
        ph.control(QStringLiteral("Label101")).setCaption(QStringLiteral("Кола №"));
        ph.control(QStringLiteral("Label102")).setCaption(fuel ? QStringLiteral("Изч.разх.") : QStringLiteral("Приход"));
        ph.control(QStringLiteral("Label103")).setCaption(fuel ? QStringLiteral("Заредено") : QStringLiteral("Разход"));
        ph.control(QStringLiteral("Label104")).setCaption(fuel ? QStringLiteral("Разлика") : QStringLiteral("Остатък"));
        for (const char *unit : {"Label202", "Label203", "Label204"})
            ph.control(QLatin1String(unit)).setCaption(fuel ? QStringLiteral("[ л. ]") : QStringLiteral("[лв.]"));
        ReportSection &det = r.section(QStringLiteral("Detail"));
        const char *fields[] = {"Red", "kola", "Prihod", "Razhod", "Ostatak"};
        for (int i = 0; i < 5; ++i)
            det.control(QStringLiteral("Text%1").arg(100 + i)).setDataField(QLatin1String(fields[i]));
        fillVersionFooter(r, info);
        r.section(QStringLiteral("ReportFooter"))
            .control(QStringLiteral("Label8"))
            .setCaption(fuel ? QStringLiteral("Всичко") : balansTotalText(m_figures.total()));
        r.show(info.modal);
    });
}

void showBalans()
{
    if (Balans *open = s_balans) {
        open->load();
        bringForward(open);
        return;
    }
    showSingleLoaded(s_balans);
}

} // namespace kelm
