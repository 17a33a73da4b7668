#include "fleet/driver.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "dialogs/diainf.h"
#include "dialogs/messages.h"
#include "platform/boxlength.h"
#include "platform/dataform.h"
#include "platform/placement.h"
#include "platform/version.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kelm {

namespace {
enum { iAdres = 0, iEGN, iIme, iKod, iLKarta, iMob, iTel };
}

QString checkDriverFields(const DriverFields &f)
{
    // Every check runs; the last one that fails gives the message.
    QString msg;
    auto fail = [&msg](const char *first, const char *second) {
        msg = joinLines({QString::fromUtf8(first), QString::fromUtf8(second)});
    };
    if (IsBlank(f.ime))
        fail("Няма въведено име на шофьора!", "Моля, въведете до 50 символа за име на шофьора!");
    if (CompareLen(f.ime, kDriverNameLength) == 1)
        fail("Въведеното име е по дълго от разрешеното!", "Моля, въведете до 50 символа за име на шофьора!");
    if (CompareLen(f.mob, kDriverMobileLength) == 1)
        fail("Въведения номер на GSM е по дълъг от разрешения!", "Моля, въведете до 12 символа за GSM на шофьора!");
    if (CompareLen(f.tel, kDriverPhoneLength) == 1)
        fail("Въведения тел.номер е по дълъг от разрешения!",
             "Моля, въведете до 10 символа за тел.номер на шофьора!");
    if (CompareLen(f.adres, kDriverAddressLength) == 1)
        fail("Въведения адрес е по дълъг от разрешения!", "Моля, въведете до 60 символа за адрес на шофьора!");
    if (CompareLen(f.EGN, kDriverEgnLength) != 0)
        fail("Грешно ЕГН на шофьора!", "Моля, въведете 10 числа за ЕГН на шофьора!");
    if (CompareLen(f.kod, kDriverCodeLength) != 0)
        fail("Няма въведени данни за кода!", "Моля, въведете 3 символа за код на шофьора!");
    // The lists offer a driver as "code,name" and read the code up to the first
    // comma: a code with a comma in it would be taken for another one.
    else if (f.kod.contains(QLatin1Char(',')))
        fail("Грешен код на шофьора!", "Моля, въведете 3 символа без запетая за код на шофьора!");
    if (CompareLen(f.LKarta, kDriverIdCardLength) != 0)
        fail("Няма въведен № на лична карта на шофьора!",
             "Моля, въведете 9 символа за № за лична карта на шофьора!");
    return msg;
}

QString duplicateDriverCodeMessage()
{
    return joinLines({QStringLiteral("Вече има шофьор с този код!"),
                      QStringLiteral("Моля, въведете друг код от 3 символа за шофьора!")});
}

Driver::Driver(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Driver"));
    setWindowTitle(screenCaption(QStringLiteral("Шофьори")));
    setModal(true);

    const char *labels[7] = {"Адрес", "ЕГН", "Имена", "Код", "Л.карта", "GSM", "Тел."};
    QLabel *lbl[7];
    for (int i = 0; i < 7; ++i) {
        m_txtFields[i] = new QLineEdit(this);
        m_txtFields[i]->setObjectName(QStringLiteral("txtFields_%1").arg(i));
        lbl[i] = new QLabel(QString::fromUtf8(labels[i]), this);
        lbl[i]->setObjectName(QStringLiteral("lblLabels_%1").arg(i));
        lbl[i]->setBuddy(m_txtFields[i]);
    }
    // Each box takes by typing no more than its field holds.
    const int lengths[7] = {kDriverAddressLength, kDriverEgnLength,    kDriverNameLength, kDriverCodeLength,
                            kDriverIdCardLength,  kDriverMobileLength, kDriverPhoneLength};
    for (int i = 0; i < 7; ++i)
        limitTyping(m_txtFields[i], lengths[i]);
    // Room for the longest text each field takes.
    m_txtFields[iKod]->setFixedWidth(60);
    m_txtFields[iIme]->setMinimumWidth(300);
    m_txtFields[iEGN]->setFixedWidth(120);
    m_txtFields[iLKarta]->setFixedWidth(120);
    m_txtFields[iTel]->setFixedWidth(120);
    m_txtFields[iMob]->setFixedWidth(130);

    auto *frame1 = new QGroupBox(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto *g1 = new QGridLayout(frame1);
    g1->addWidget(lbl[iKod], 0, 0);
    g1->addWidget(m_txtFields[iKod], 0, 1);
    g1->addWidget(lbl[iIme], 0, 2);
    g1->addWidget(m_txtFields[iIme], 0, 3);
    g1->setColumnStretch(3, 1);

    auto *frame2 = new QGroupBox(this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto *g2 = new QGridLayout(frame2);
    g2->addWidget(lbl[iAdres], 0, 0);
    g2->addWidget(m_txtFields[iAdres], 0, 1, 1, 4);
    g2->addWidget(lbl[iMob], 1, 0);
    g2->addWidget(m_txtFields[iMob], 1, 1);
    g2->addWidget(lbl[iTel], 1, 2);
    g2->addWidget(m_txtFields[iTel], 1, 3);
    g2->setColumnStretch(4, 1);

    auto *frame3 = new QGroupBox(this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    auto *g3 = new QGridLayout(frame3);
    g3->addWidget(lbl[iEGN], 0, 0);
    g3->addWidget(m_txtFields[iEGN], 0, 1);
    g3->addWidget(lbl[iLKarta], 0, 2);
    g3->addWidget(m_txtFields[iLKarta], 0, 3);
    g3->setColumnStretch(4, 1);

    DataForm::Config cfg;
    cfg.statusText = QStringLiteral("Запис №: ");
    cfg.addText = QStringLiteral("Нов запис");
    cfg.editText = QStringLiteral("Корекция");
    cfg.deletes = DataForm::Delete::TwoQuestions;
    cfg.errors = DataForm::Errors::InfoBox;
    cfg.firstLastBeep = false;
    cfg.fieldClick = DataForm::FieldClick::SelectsText;
    // Stored as checked: without leading and trailing blanks.
    auto trimmed = [](const QString &t) {
        const QString s = trimSpaces(t);
        return s.isEmpty() ? QVariant() : QVariant(s);
    };
    // Listed in the order the boxes take the focus.
    const int order[7] = {iKod, iIme, iMob, iTel, iAdres, iEGN, iLKarta};
    const char *fields[7] = {"adres", "EGN", "ime", "kod", "LKarta", "mob", "tel"};
    QList<DataFormBox> boxes;
    for (int i : order)
        boxes.append({m_txtFields[i], QString::fromLatin1(fields[i]), {}, trimmed});
    m_form = new DataForm(this, QString(), m_conn, m_adoPrimaryRS, boxes, cfg);
    m_form->hooks.validate = [this] { return validate(); };

    auto *lay = new QVBoxLayout(this);
    lay->addWidget(frame1);
    lay->addWidget(frame2);
    lay->addWidget(frame3);
    lay->addWidget(m_form->buttonsPanel());
    lay->addWidget(m_form->statusPanel());
    lay->setSizeConstraint(QLayout::SetFixedSize);

    // Tab order: the buttons, the move buttons, then the boxes.
    QWidget *chain[] = {m_form->button("cmdAdd"), m_form->button("cmdEdit"), m_form->button("cmdDelete"),
                        m_form->button("cmdClose"), m_form->button("cmdUpdate"), m_form->button("cmdCancel"),
                        m_form->button("cmdFirst"), m_form->button("cmdPrevious"), m_form->button("cmdNext"),
                        m_form->button("cmdLast"), m_txtFields[iKod], m_txtFields[iIme], m_txtFields[iMob],
                        m_txtFields[iTel], m_txtFields[iAdres], m_txtFields[iEGN], m_txtFields[iLKarta]};
    const int n = int(sizeof(chain) / sizeof(chain[0]));
    for (int i = 0; i + 1 < n; ++i)
        setTabOrder(chain[i], chain[i + 1]);
    m_form->button("cmdAdd")->setFocus();
}

Driver::~Driver() = default;

DriverFields Driver::typed() const
{
    DriverFields f;
    f.adres = m_txtFields[iAdres]->text();
    f.EGN = m_txtFields[iEGN]->text();
    f.ime = m_txtFields[iIme]->text();
    f.kod = m_txtFields[iKod]->text();
    f.LKarta = m_txtFields[iLKarta]->text();
    f.mob = m_txtFields[iMob]->text();
    f.tel = m_txtFields[iTel]->text();
    return f;
}

bool Driver::validate()
{
    const DriverFields f = typed();
    const QString msg = checkDriverFields(f);
    if (!msg.isEmpty()) {
        DiaInf::show(QStringLiteral("ГРЕШКА при запис!"), msg);
        return false;
    }
    // Trips know their driver by the code alone, so two drivers may not share one.
    try {
        QVariant id;
        if (!m_form->isAdding() && !m_adoPrimaryRS.bof() && !m_adoPrimaryRS.eof())
            id = m_adoPrimaryRS.value(QStringLiteral("ID"));
        const int others = m_conn.scalar(QStringLiteral("SELECT count(*) FROM shof WHERE kod=? AND ID<>?"),
                                         {trimSpaces(f.kod), id.isNull() ? QVariant(-1) : id})
                               .toInt();
        if (others > 0) {
            DiaInf::show(QStringLiteral("ГРЕШКА при запис!"), duplicateDriverCodeMessage());
            return false;
        }
    } catch (const DbError &e) {
        m_form->reportError(DataForm::CmdUpdate, e);
        return false;
    }
    return true;
}

bool Driver::load()
{
    try {
        m_conn.open(gConnStr);
    } catch (const DbError &e) {
        m_form->reportError(DataForm::CmdLoad, e);
        return false;
    }
    return m_form->open(QStringLiteral("SELECT * From shof ORDER BY kod"));
}

void showDriver()
{
    Driver w(openingWindow());
    if (!w.load())
        return;
    w.exec();
}

} // namespace kelm
