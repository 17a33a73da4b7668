#include "dialogs/diaseek.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "dialogs/diainf.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/numbers.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace kelm {

namespace {
constexpr int tw(int twips) { return twips / 15; }

enum class Criterion { List, Article, None };

struct ModeLayout {
    const char *mode;
    const char *frameCaption;
    Criterion criterion;
    bool dates;
    const char *query; // list query, nullptr for none
    const char *missing1; // message when the criterion is empty, nullptr: accepted
    const char *missing2;
};

// The layout, list and criterion check of each mode word.
const ModeLayout kModes[] = {
    {"Kola", "Кола №", Criterion::List, true,
     "SELECT DISTINCT kola FROM tabl WHERE kola IS NOT NULL AND TRIM(kola)<>'' ORDER BY kola COLLATE BG",
     "Няма избрана кола!", "Моля, изберете кола от списъка."},
    {"Klients", "Клиент", Criterion::List, true,
     "SELECT DISTINCT Klient FROM tabl WHERE Klient IS NOT NULL AND TRIM(Klient)<>'' ORDER BY Klient COLLATE BG",
     "Няма избран клиент!", "Моля, изберете клиент от списъка."},
    {"Driver", "Шофьор", Criterion::List, true,
     "SELECT DISTINCT kod,ime FROM shof ORDER BY kod COLLATE BG, ime COLLATE BG",
     "Няма избран шофьор!", "Моля, изберете шофьор от списъка."},
    {"EditFakt", "Фактура № ", Criterion::List, false,
     "SELECT DISTINCT NomFakt FROM tabl WHERE NomFakt<>? ORDER BY NomFakt DESC",
     "Няма избран номер на фактура!", "Моля, изберете номер на фактура от списъка."},
    {"All", "", Criterion::None, true, nullptr, nullptr, nullptr},
    {"SkladPR", "Артикул", Criterion::Article, true, nullptr, nullptr, nullptr},
    {"NalichSK", "Артикул", Criterion::Article, false, nullptr, nullptr, nullptr},
};

const ModeLayout &layoutOf(const QString &mode)
{
    for (const ModeLayout &m : kModes)
        if (mode == QLatin1String(m.mode))
            return m;
    // A word this dialog does not know asks for the period only.
    return kModes[4];
}
} // namespace

DiaSeek &DiaSeek::instance()
{
    static DiaSeek *dlg = nullptr;
    if (!dlg)
        dlg = new DiaSeek;
    return *dlg;
}

DiaSeek::DiaSeek(QWidget *parent) : SeekDialog(QStringLiteral("DiaSeek"), parent)
{
    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(tw(120), tw(60), tw(3600), tw(840));
    Combo1 = new SeekCombo(Frame2);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setToolTip(QStringLiteral("Допълнително условия за търсене."));
    Combo1->setGeometry(tw(180), tw(330), tw(3240), tw(345));
    Text2 = new QLineEdit(Frame2);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setGeometry(tw(180), tw(330), tw(3240), tw(345));
    watchList(Combo1);
    watchText(Text2);

    placePeriod(tw(120), tw(990), tw(3600), tw(990));

    OKButton->setGeometry(tw(3900), tw(150), tw(1215), tw(375));
    CancelButton->setGeometry(tw(3900), tw(600), tw(1215), tw(375));
    setFixedSize(tw(5250), tw(2130));
}

void DiaSeek::resetDesign()
{
    Frame2->setTitle(QStringLiteral("Клиент"));
    Frame2->setToolTip(QStringLiteral("Избор на номер на кола (19-31 )"));
    Combo1->clear();
    Combo1->clearEditText();
    Combo1->setEnabled(true);
    Combo1->setVisible(true);
    paint(Combo1, seekGrey());
    const QColor buttonFace = palette().color(QPalette::Button);
    Text2->clear();
    Text2->setEnabled(true);
    Text2->setVisible(true);
    paint(Text2, buttonFace);
    resetDates(buttonFace);
}

void DiaSeek::loadMode()
{
    m_mode = gSeekMode;
    const ModeLayout &m = layoutOf(m_mode);
    Frame2->setTitle(QString::fromUtf8(m.frameCaption));
    switch (m.criterion) {
    case Criterion::List:
        Text2->setVisible(false);
        Text2->setEnabled(false);
        break;
    case Criterion::None:
        Combo1->setEnabled(false);
        Text2->setVisible(false);
        Text2->setEnabled(false);
        break;
    case Criterion::Article:
        Combo1->setEnabled(false);
        Combo1->setVisible(false);
        break;
    }
    if (!m.dates) {
        Text1_0->setEnabled(false);
        Text1_1->setEnabled(false);
    }
    if (!m.query)
        return;

    QVariantList params;
    if (m_mode == QLatin1String("EditFakt"))
        params << QStringLiteral("0000000000");
    Connection conn;
    conn.open(gConnStr);
    Recordset rs;
    rs.open(conn, QString::fromUtf8(m.query), params);
    QStringList entries;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        if (m_mode == QLatin1String("Driver"))
            entries << rs.value(QStringLiteral("kod")).toString() + QLatin1Char(',')
                    + rs.value(QStringLiteral("ime")).toString();
        else
            entries << rs.value(rs.fieldNames().value(0)).toString();
    }
    rs.close();
    conn.close();
    if (entries.isEmpty()) {
        DiaInf::show(QStringLiteral("Липсват данните за списъка!"));
        return;
    }
    Combo1->addItems(entries);
    // The first entry is chosen until the user picks or types another.
    Combo1->setCurrentIndex(0);
}

void DiaSeek::search()
{
    StartData = trimSpaces(Text1_0->text());
    EndData = trimSpaces(Text1_1->text());
    const ModeLayout &m = layoutOf(m_mode);
    if (m.dates && !periodAccepted(StartData, EndData))
        return;

    const QString text = trimSpaces(m.criterion == Criterion::Article ? Text2->text() : Combo1->currentText());
    const auto missing = [&m] {
        DiaInf::show(joinLines({QString::fromUtf8(m.missing1), QString::fromUtf8(m.missing2)}));
    };
    if (m_mode == QLatin1String("Kola")) {
        if (text.isEmpty())
            return missing();
        Kola = text;
    } else if (m_mode == QLatin1String("EditFakt")) {
        if (text.isEmpty())
            return missing();
        // Invoice numbers are stored right-aligned in ten characters. Only an
        // issued invoice is corrected: any other number (all zeros above all,
        // which stands for the trips on no invoice) is refused.
        const QString nom = padNumber10(text);
        bool listed = false;
        for (int i = 0; i < Combo1->count() && !listed; ++i)
            listed = Combo1->itemText(i) == nom;
        if (!listed || nom == QStringLiteral("0000000000")) {
            DiaInf::show(joinLines({QStringLiteral("Няма издадена фактура с този номер!"),
                                    QString::fromUtf8(m.missing2)}));
            return;
        }
        FakturaNom = nom;
    } else if (m_mode == QLatin1String("Klients")) {
        if (text.isEmpty())
            return missing();
        Klient = text;
    } else if (m_mode == QLatin1String("Driver")) {
        // A text without the comma of a list entry names no driver.
        QString kod, name;
        if (text.isEmpty() || !splitDriver(text, &kod, &name))
            return missing();
        ShofKod = kod;
        ShofName = name;
    } else if (m_mode == QLatin1String("SkladPR") || m_mode == QLatin1String("NalichSK")) {
        sNalich = text;
    }
    confirm();
}

QDate DiaSeek::startDate() const
{
    return periodDate(StartData).value_or(QDate());
}

QDate DiaSeek::endDate() const
{
    return periodDate(EndData).value_or(QDate());
}

} // namespace kelm
