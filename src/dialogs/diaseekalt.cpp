#include "dialogs/diaseekalt.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "dialogs/diainf.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/numbers.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace kelm {

namespace {
constexpr int tw(int twips) { return twips / 15; }
}

DiaSeekAlt &DiaSeekAlt::instance()
{
    static DiaSeekAlt *dlg = nullptr;
    if (!dlg)
        dlg = new DiaSeekAlt;
    return *dlg;
}

DiaSeekAlt::DiaSeekAlt(QWidget *parent) : SeekDialog(QStringLiteral("DiaSeekAlt"), parent)
{
    Frame3 = new QGroupBox(this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setGeometry(tw(120), tw(60), tw(5400), tw(600));
    Option1 = new QRadioButton(QStringLiteral("Всички"), Frame3);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option2 = new QRadioButton(QStringLiteral("Фактурирани"), Frame3);
    Option2->setObjectName(QStringLiteral("Option2"));
    Option3 = new QRadioButton(QStringLiteral("Нефактурирани"), Frame3);
    Option3->setObjectName(QStringLiteral("Option3"));
    // Each option as wide as its longer caption ("Фактурирани" / "Платени"), the
    // three spread over the frame so that none runs into its border.
    const QList<QRadioButton *> options = {Option1, Option2, Option3};
    const int margin = tw(180);
    int total = 0;
    for (QRadioButton *o : options)
        total += o->sizeHint().width() + tw(60);
    const int gap = std::max(tw(150), (Frame3->width() - 2 * margin - total) / 2);
    int x = margin;
    for (QRadioButton *o : options) {
        const int w = o->sizeHint().width() + tw(60);
        o->setGeometry(x, tw(180), w, tw(330));
        x += w + gap;
    }
    auto *group = new QButtonGroup(this);
    group->addButton(Option1);
    group->addButton(Option2);
    group->addButton(Option3);

    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(tw(120), tw(720), tw(5400), tw(840));
    Combo1 = new SeekCombo(Frame2);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setToolTip(QStringLiteral("Допълнително условия за търсене."));
    Combo1->setGeometry(tw(180), tw(330), tw(5040), tw(345));
    watchList(Combo1);

    placePeriod(tw(120), tw(1650), tw(5400), tw(990));

    OKButton->setGeometry(tw(5700), tw(150), tw(1215), tw(375));
    CancelButton->setGeometry(tw(5700), tw(600), tw(1215), tw(375));
    setFixedSize(tw(7050), tw(2790));
}

void DiaSeekAlt::resetDesign()
{
    Frame3->setTitle(QString());
    Option1->setText(QStringLiteral("Всички"));
    Option2->setText(QStringLiteral("Фактурирани"));
    Option3->setText(QStringLiteral("Нефактурирани"));
    Option1->setChecked(true);
    Frame2->setTitle(QStringLiteral("Клиент"));
    Frame2->setToolTip(QStringLiteral("Избор на номер на кола (19-31 )"));
    Combo1->clear();
    Combo1->clearEditText();
    Combo1->setEnabled(true);
    paint(Combo1, seekGrey());
    resetDates(palette().color(QPalette::Button));
}

void DiaSeekAlt::loadMode()
{
    m_driver = gSeekMode == QLatin1String("Driver");
    Option1->setChecked(true);
    if (!m_driver) {
        Frame2->setTitle(QString());
        Combo1->setEnabled(false);
        return;
    }
    Frame2->setTitle(QStringLiteral("Шофьор"));
    Option2->setText(QStringLiteral("Платени"));
    Option3->setText(QStringLiteral("Неплатени"));

    Connection conn;
    conn.open(gConnStr);
    Recordset rs;
    rs.open(conn, QStringLiteral("SELECT DISTINCT kod,ime FROM shof ORDER BY kod COLLATE BG, ime COLLATE BG"));
    QStringList entries;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        entries << rs.value(QStringLiteral("kod")).toString() + QLatin1Char(',')
                + rs.value(QStringLiteral("ime")).toString();
    rs.close();
    conn.close();
    if (entries.isEmpty()) {
        DiaInf::show(QStringLiteral("Липсват данните за списъка!"));
        return;
    }
    Combo1->addItems(entries);
    Combo1->setCurrentIndex(0);
}

void DiaSeekAlt::search()
{
    StartData = trimSpaces(Text1_0->text());
    EndData = trimSpaces(Text1_1->text());
    if (!periodAccepted(StartData, EndData))
        return;
    if (Option2->isChecked())
        sOption = QStringLiteral("Yes");
    else if (Option3->isChecked())
        sOption = QStringLiteral("No");
    else
        sOption = QStringLiteral("All");
    if (m_driver) {
        // A text without the comma of a list entry names no driver.
        QString kod, name;
        const QString text = trimSpaces(Combo1->currentText());
        if (text.isEmpty() || !splitDriver(text, &kod, &name)) {
            DiaInf::show(joinLines({QStringLiteral("Няма избран шофьор!"),
                                    QStringLiteral("Моля, изберете шофьор от списъка.")}));
            return;
        }
        ShofKod = kod;
        ShofName = name;
    }
    confirm();
}

QDate DiaSeekAlt::startDate() const
{
    return periodDate(StartData).value_or(QDate());
}

QDate DiaSeekAlt::endDate() const
{
    return periodDate(EndData).value_or(QDate());
}

} // namespace kelm
