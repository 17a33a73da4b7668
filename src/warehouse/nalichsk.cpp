#include "warehouse/nalichsk.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/diaseek.h"
#include "dialogs/mousepointer.h"
#include "platform/bulkrows.h"
#include "platform/grid.h"
#include "platform/numbers.h"
#include "platform/placement.h"
#include "platform/version.h"
#include "printing/report.h"
#include "scratch/scratchrows.h"
#include "warehouse/stocktexts.h"
#include "warehouse/storereports.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace kelm {

NalichSK::NalichSK(QWidget *parent) : ScratchList(QStringLiteral("NalichSK"), QStringLiteral("TempNal"), 4, parent)
{
}

bool NalichSK::load()
{
    setStatusText(QStringLiteral("Наличност в склада"));
    setWindowTitle(screenCaption(QStringLiteral("Склад - Наличност")));
    Text1->setText(QStringLiteral("Складова наличност към ") + formatDate(QDate::currentDate()));
    m_total = 0;
    try {
        QVector<StockRow> stock;
        {
            Connection db;
            db.open(gConnStr);
            stock = stockRows(db, DiaSeek::instance().sNalich);
        }
        QVector<QVector<QVariant>> staged;
        staged.reserve(stock.size());
        for (const StockRow &r : stock)
            staged.append({int(staged.size()) + 1, r.name, r.price, r.count, r.value()});
        restage(QStringLiteral("Red,Name,Kol,Cena,Suma"), [&](Connection &c) {
            appendRows(c, QStringLiteral("TempNal"), {"Red", "Name", "Cena", "Kol", "Suma"}, staged);
        });
        if (stock.isEmpty()) {
            DiaInf::show(QStringLiteral("Информация"),
                         QStringLiteral("В склада няма артикул с това име!\rМоля, изберете друго."));
        } else {
            m_total = stockTotal(stock);
            Label1->setText(QStringLiteral("Всичко: ") + moneyText(m_total));
        }
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА при зареждане!"), e.text());
        return false;
    }
    struct Col {
        const char *caption;
        int width;
        const char *format;
    };
    const Col cols[] = {{"№", 500, ""}, {"Име", 4000, ""}, {"Брой", 750, ""}, {"Ед.цена", 900, "###0.00"},
                        {"Сума", 1000, "###0.00"}};
    for (int i = 0; i < 5; ++i) {
        GridColumn c = GridEX1->Columns(i + 1);
        c.setCaption(QString::fromUtf8(cols[i].caption)).setHeaderAlignment(1).setWidth(cols[i].width);
        if (*cols[i].format)
            c.setFormat(QLatin1String(cols[i].format)).setTextAlignment(2);
    }
    GridEX1->Columns(3).setTextAlignment(2);
    // A long article name runs on over more lines rather than push the numbers
    // out of view.
    GridEX1->Columns(2).setWrap(true);
    return true;
}

void NalichSK::cmdPrint_Click()
{
    ReportData rows;
    if (readStagedRows(rows))
        printStockList(rows, m_total);
}

void showNalichSK()
{
    NalichSK w(openingWindow());
    if (!w.load())
        return;
    setNormalPointer();
    w.exec();
}

} // namespace kelm
