#include "dialogs/diaseekall.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "dialogs/diainf.h"
#include "dialogs/fillcombo.h"
#include "dialogs/messages.h"
#include "dialogs/progdialog.h"
#include "platform/numbers.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kelm {

namespace {
constexpr int tw(int twips) { return twips / 15; }
}

DiaSeekAll &DiaSeekAll::instance()
{
    static DiaSeekAll *dlg = nullptr;
    if (!dlg)
        dlg = new DiaSeekAll;
    return *dlg;
}

DiaSeekAll::DiaSeekAll(QWidget *parent) : SeekDialog(QStringLiteral("DiaSeekAll"), parent)
{
    Frame2 = new QGroupBox(QStringLiteral("Допълнителни условия"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(tw(120), tw(60), tw(4200), tw(1950));

    const auto label = [this](const char *name, int top) {
        auto *l = new QLabel(Frame2);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(tw(180), top + tw(45), tw(1050), tw(255));
        return l;
    };
    const int rowTop[] = {tw(330), tw(735), tw(1140), tw(1545)};
    const int fieldX = tw(1260), fieldW = tw(2760), fieldH = tw(345);

    Label1_5 = label("Label1_5", rowTop[0]);
    Combo1 = new SeekCombo(Frame2);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setGeometry(fieldX, rowTop[0], fieldW, fieldH);
    Label1_2 = label("Label1_2", rowTop[1]);
    Text2 = new QLineEdit(Frame2);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setGeometry(fieldX, rowTop[1], fieldW, fieldH);
    Label1_3 = label("Label1_3", rowTop[2]);
    Text3 = new QLineEdit(Frame2);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setGeometry(fieldX, rowTop[2], fieldW, fieldH);
    Label1_4 = label("Label1_4", rowTop[3]);
    Combo2 = new SeekCombo(Frame2);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setGeometry(fieldX, rowTop[3], fieldW, fieldH);
    watchList(Combo1);
    watchList(Combo2);
    watchText(Text2);
    watchText(Text3);
    setTabOrder(Combo1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Combo2);
    setTabOrder(Combo2, Text1_0);
    setTabOrder(Text1_0, Text1_1);
    setTabOrder(Text1_1, OKButton);
    setTabOrder(OKButton, CancelButton);

    placePeriod(tw(120), tw(2100), tw(4200), tw(990));

    OKButton->setGeometry(tw(4500), tw(150), tw(1215), tw(375));
    CancelButton->setGeometry(tw(4500), tw(600), tw(1215), tw(375));
    setFixedSize(tw(5850), tw(3240));
}

void DiaSeekAll::resetDesign()
{
    const QPalette design = palette();
    Label1_5->setText(QStringLiteral("Клиент"));
    Label1_2->setText(QStringLiteral("Вид товар"));
    Label1_3->setText(QStringLiteral("Маршрут"));
    Label1_4->setText(QStringLiteral("Кола №"));
    for (QLabel *l : {Label1_5, Label1_2, Label1_3, Label1_4})
        l->setPalette(design);
    Combo1->setToolTip(QStringLiteral("Избор на клиента на курса"));
    Text2->setToolTip(QStringLiteral("Избор на вида товар на курса"));
    Text3->setToolTip(QStringLiteral("Избор на маршрута на курса"));
    Combo2->setToolTip(QStringLiteral("Избор на колата на курса"));
    for (SeekCombo *list : {Combo1, Combo2}) {
        list->clear();
        list->clearEditText();
        list->setEnabled(true);
        paint(list, seekLightGrey());
    }
    for (QLineEdit *box : {Text2, Text3}) {
        box->clear();
        box->setEnabled(true);
        paint(box, seekLightGrey());
    }
    resetDates(seekLightGrey());
    aKlient.clear();
    aKola.clear();
}

QStringList DiaSeekAll::entriesOf(SeekCombo *list, const QString &progressLabel)
{
    const int n = list->count();
    ProgressScope progress(progressLabel, n + 1);
    QStringList entries;
    for (int k = 0; k < n; ++k) {
        entries << trimSpaces(list->itemText(k));
        progress.step(k + 1);
    }
    progress.step(n + 1);
    return entries;
}

void DiaSeekAll::loadMode()
{
    lNoKurs = false;
    m_article = gSeekMode == QLatin1String("SkladPRN");
    if (m_article) {
        QPalette grey = palette();
        grey.setColor(QPalette::WindowText, palette().color(QPalette::Disabled, QPalette::WindowText));
        Combo1->setEnabled(false);
        paint(Combo1, seekGrey());
        Label1_5->setPalette(grey);
        Text2->setEnabled(false);
        paint(Text2, seekGrey());
        Label1_2->setPalette(grey);
        Label1_3->setText(QStringLiteral("Артикул"));
        Text3->setToolTip(QStringLiteral("Избор на артикул"));
        Combo2->setToolTip(QStringLiteral("Избор на номер на кола"));
    } else {
        FillCombo(Combo1,
                  QStringLiteral("SELECT DISTINCT Klient FROM tabl WHERE Klient IS NOT NULL AND TRIM(Klient)<>'' "
                                 "ORDER BY Klient COLLATE BG"),
                  QStringLiteral("Klient"));
        if (Combo1->count() == 0) {
            DiaInf::show(QStringLiteral("Няма въведени курсове в компютъра!"));
            lNoKurs = true;
            return;
        }
        // The first client is chosen until the user picks or types another.
        Combo1->setCurrentIndex(0);
        aKlient = entriesOf(Combo1, QStringLiteral("Създавам списъка на клиентите..."));
    }

    FillCombo(Combo2,
              QStringLiteral("SELECT DISTINCT kola FROM tabl WHERE kola IS NOT NULL AND TRIM(kola)<>'' "
                             "ORDER BY kola COLLATE BG"),
              QStringLiteral("kola"));
    // No car is chosen: an empty car means any car.
    Combo2->setCurrentIndex(-1);
    Combo2->clearEditText();
    aKola = entriesOf(Combo2, QStringLiteral("Създавам списъка на колите..."));

    Klient.clear();
    Kola.clear();
    Tovar.clear();
    Marsh.clear();
}

void DiaSeekAll::search()
{
    if (lNoKurs) {
        done(QDialog::Rejected);
        return;
    }
    StartData = Text1_0->text();
    EndData = Text1_1->text();
    if (!periodAccepted(StartData, EndData))
        return;

    const QString car = trimSpaces(Combo2->currentText());
    if (!m_article) {
        const QString client = trimSpaces(Combo1->currentText());
        if (client.isEmpty()) {
            DiaInf::show(joinLines({QStringLiteral("Няма зададен клиент!"),
                                    QStringLiteral("Въведете клиент и опитайте отново.")}));
            return;
        }
        Klient = client;
        if (NotInList(client, aKlient)) {
            DiaInf::show(joinLines({QStringLiteral("Въведеното име не е Ваш клиент!"),
                                    QStringLiteral("Моля, изберете клиент от списъка и опитайте отново.")}));
            return;
        }
        // Each search writes the car, goods and route afresh, so a value rejected or
        // cleared during this showing never reaches the reader.
        Kola = car;
        if (!car.isEmpty() && NotInList(car, aKola)) {
            DiaInf::show(joinLines({QStringLiteral("Въведения номер няма курсове!"),
                                    QStringLiteral("Моля, изберете номер от списъка и опитайте отново.")}));
            return;
        }
    } else {
        Kola = car;
    }
    Tovar = trimSpaces(Text2->text());
    Marsh = trimSpaces(Text3->text());
    confirm();
}

QDate DiaSeekAll::startDate() const
{
    return periodDate(StartData).value_or(QDate());
}

QDate DiaSeekAll::endDate() const
{
    return periodDate(EndData).value_or(QDate());
}

} // namespace kelm
