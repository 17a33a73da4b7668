#include "warehouse/skladsk.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/diaseek.h"
#include "dialogs/progdialog.h"
#include "platform/bulkrows.h"
#include "platform/grid.h"
#include "platform/numbers.h"
#include "platform/singlewindow.h"
#include "platform/version.h"
#include "printing/report.h"
#include "scratch/scratchrows.h"
#include "warehouse/storereports.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace kelm {

namespace {
QPointer<SkladSK> s_instance;
}

SkladSK::SkladSK(QWidget *parent) : ScratchList(QStringLiteral("SkladSK"), QStringLiteral("TempSKlad"), 8, parent)
{
}

bool SkladSK::load()
{
    const DiaSeek &seek = DiaSeek::instance();
    const QDate start = seek.startDate();
    const QDate end = seek.endDate();
    setStatusText(QStringLiteral("Ревизия на склада"));
    QVector<RevisionRow> articles;
    try {
        ProgressScope progress(QStringLiteral("Обработка на приходите и разходите в склада..."), 2);
        {
            Connection db;
            db.open(gConnStr);
            articles = revisionRows(db, start, end);
        }
        progress.step(2);
        QVector<QVector<QVariant>> staged;
        QVector<double> left; // a row is drawn "RazhPlus" by the number it shows as remaining
        staged.reserve(articles.size());
        for (const RevisionRow &a : articles) {
            QVector<QVariant> values{int(staged.size()) + 1, a.name};
            for (const QString &t : a.texts())
                values << t;
            staged.append(values);
            left.append(a.shownQtyLeft());
        }
        restage(QStringLiteral("*"), [&](Connection &c) {
            appendRows(c, QStringLiteral("TempSKlad"),
                       {"Red", "Name", "Cena", "Prihod", "SumaP", "Razhod", "SumaR", "Ostatak", "SumaO"}, staged);
        }, left);
    } catch (const DbError &e) {
        // The screen keeps the revision it showed, whole.
        DiaInf::show(QStringLiteral("ГРЕШКА при зареждане!"), e.text());
        return false;
    }
    m_start = start;
    m_end = end;
    m_total = revisionTotal(articles);
    setWindowTitle(screenCaption(QStringLiteral("Склад - Ревизия")));
    Text1->setText(QStringLiteral("Ревизия на склада към ") + formatDate(QDate::currentDate()));
    Label1->setText(QStringLiteral("Всичко: ") + moneyText(m_total));

    struct Col {
        const char *caption;
        int width;
        const char *style;
    };
    // Wide enough for a price of ten thousand and a value of ten million.
    const Col cols[] = {{"№", 450, ""},           {"Име", 3500, ""},  {"Ед.цена", 1350, ""},
                        {"Приход", 900, "Prihod"}, {nullptr, 0, ""},   {"Разход", 900, "Razhod"},
                        {nullptr, 0, ""},          {"Остатък", 900, ""}, {"Сума", 1750, ""}};
    for (int i = 0; i < 9; ++i) {
        GridColumn c = GridEX1->Columns(i + 1);
        if (!cols[i].caption) {
            c.setVisible(false);
            continue;
        }
        c.setCaption(QString::fromUtf8(cols[i].caption)).setHeaderAlignment(1).setWidth(cols[i].width);
        if (i >= 2)
            c.setTextAlignment(2);
        if (*cols[i].style)
            c.setCellStyle(QLatin1String(cols[i].style));
    }
    // A long article name runs on over more lines rather than push the numbers
    // out of view.
    GridEX1->Columns(2).setWrap(true);
    return true;
}

void SkladSK::cmdPrint_Click()
{
    ReportData rows;
    if (readStagedRows(rows))
        printRevision(rows, m_total);
}

SkladSK *openSkladSK()
{
    return s_instance;
}

void showSkladSK()
{
    if (s_instance) {
        // A new period asked for: the open screen shows it rather than the old one.
        if (s_instance->load())
            bringForward(s_instance);
        return;
    }
    showSingleLoaded(s_instance);
}

} // namespace kelm
