#include "trips/kurs.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "dialogs/diainf.h"
#include "dialogs/diaseek.h"
#include "dialogs/fillcombo.h"
#include "dialogs/mousepointer.h"
#include "platform/boxlength.h"
#include "platform/dataform.h"
#include "platform/fittexts.h"
#include "platform/numbers.h"
#include "platform/placement.h"
#include "platform/version.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace kelm {

namespace {

// The largest amount a trip can reach, as the amount labels show it.
const char *const kWidestAmount = "9999999,99";

// A stored tariff shows as it is held (0,1255, not 0,126), so a correction that
// leaves it alone stores it unchanged.
QString tariffText(const QVariant &v)
{
    return v.isNull() ? QString() : formatExact(v.toDouble(), 3);
}

} // namespace

Kurs::Kurs(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Kurs"));
    buildControls();
}

Kurs::~Kurs()
{
    if (qApp)
        qApp->removeEventFilter(this);
    setNormalPointer();
}

void Kurs::buildControls()
{
    // The boxes and captions stand in rows that Qt lays out from the font, so no
    // caption runs into a box and every box is wide enough for the longest text
    // its field holds, whatever the font; a pick list covers the box it fills
    // (both in one cell).
    auto label = [this](const QString &name, const QString &text, QWidget *parent = nullptr) {
        auto *l = new QLabel(text, parent ? parent : this);
        l->setObjectName(name);
        l->adjustSize();
        return l;
    };
    // A box's width: its design width, or more when the font needs it for the sample.
    auto widthFor = [](QWidget *w, const QString &sample, int design) {
        return std::max(design, w->fontMetrics().horizontalAdvance(sample) + 16);
    };
    auto box = [this, &widthFor](int index, const QString &sample = QString(), int design = 0) {
        auto *le = new QLineEdit(this);
        le->setObjectName(QStringLiteral("txtFields(%1)").arg(index));
        if (design > 0)
            le->setFixedWidth(widthFor(le, sample, design));
        m_txt.insert(index, le);
        return le;
    };
    auto list = [this](const QString &name) {
        auto *c = new QComboBox(this);
        c->setObjectName(name);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        // A typed value is taken as typed, never completed from the list.
        c->setCompleter(nullptr);
        return c;
    };
    auto cell = [this](std::initializer_list<QWidget *> widgets, int width) {
        auto *c = new QWidget(this);
        auto *g = new QGridLayout(c);
        g->setContentsMargins(0, 0, 0, 0);
        for (QWidget *w : widgets)
            g->addWidget(w, 0, 0);
        c->setFixedWidth(width);
        return c;
    };
    // 25 characters of a route, a client or goods; a car number of 12.
    const QString longText = QStringLiteral("Благоевград - Кюстендил 1");
    const QString carText = QStringLiteral("СА 1234 ВНАК");

    auto *rows = new QGridLayout;
    rows->setHorizontalSpacing(10);
    rows->setVerticalSpacing(6);
    auto row = [rows](int r, QLabel *caption, std::initializer_list<QWidget *> rest, bool toTheRight = false) {
        rows->addWidget(caption, r, 0);
        auto *h = new QHBoxLayout;
        h->setSpacing(6);
        bool first = true;
        for (QWidget *w : rest) {
            // A caption in the middle of a row stands off the box before it.
            if (!first && qobject_cast<QLabel *>(w)) {
                if (toTheRight)
                    h->addStretch(1);
                else
                    h->addSpacing(10);
            }
            h->addWidget(w);
            first = false;
        }
        if (!toTheRight)
            h->addStretch(1);
        rows->addLayout(h, r, 1);
    };

    Combo5 = list(QStringLiteral("Combo5"));
    QLineEdit *driverName = box(100);
    QLineEdit *kod = box(5);
    const int longWidth = widthFor(Combo5, longText, 250) + 24;
    m_lbl.insert(5, label(QStringLiteral("lblLabels(5)"), QStringLiteral("Шофьор")));
    row(0, m_lbl.value(5), {cell({kod, driverName, Combo5}, longWidth)});

    Combo1 = list(QStringLiteral("Combo1"));
    QLineEdit *car = box(6);
    m_lbl.insert(6, label(QStringLiteral("lblLabels(6)"), QStringLiteral("№ кола")));
    m_lbl.insert(1, label(QStringLiteral("lblLabels(1)"), QStringLiteral("Дата")));
    QLineEdit *date = box(1, QStringLiteral("00.00.0000"), 100);
    row(1, m_lbl.value(6), {cell({car, Combo1}, widthFor(Combo1, carText, 120) + 24), m_lbl.value(1), date}, true);

    m_lbl.insert(12, label(QStringLiteral("lblLabels(12)"), QStringLiteral("Тон")));
    QLineEdit *ton = box(12, QStringLiteral("999,999"), 70);
    m_lbl.insert(4, label(QStringLiteral("lblLabels(4)"), QStringLiteral("Км")));
    QLineEdit *km = box(4, QStringLiteral("999999"), 60);
    txtTarifa = new QLineEdit(this);
    txtTarifa->setObjectName(QStringLiteral("txtTarifa"));
    txtTarifa->setFixedWidth(widthFor(txtTarifa, QStringLiteral("9999,9999"), 70));
    m_lbl.insert(11, label(QStringLiteral("lblLabels(11)"), QStringLiteral("Тарифа")));
    row(2, m_lbl.value(12), {ton, m_lbl.value(4), km, m_lbl.value(11), txtTarifa}, true);

    const struct {
        int lbl, txt;
        const char *caption, *list;
        QComboBox **combo;
    } lists[] = {{7, 7, "Маршрут", "Combo2", &Combo2}, {3, 3, "Клиент", "Combo3", &Combo3},
                 {13, 13, "Товар", "Combo4", &Combo4}};
    int r = 3;
    for (const auto &l : lists) {
        *l.combo = list(QString::fromLatin1(l.list));
        QLineEdit *b = box(l.txt);
        m_lbl.insert(l.lbl, label(QStringLiteral("lblLabels(%1)").arg(l.lbl), QString::fromUtf8(l.caption)));
        row(r++, m_lbl.value(l.lbl), {cell({b, *l.combo}, longWidth)});
    }

    m_lbl.insert(19, label(QStringLiteral("lblLabels(19)"), QStringLiteral("Факт.№")));
    QLineEdit *invoice = box(2, QStringLiteral("0000000000"), 100);
    Check1 = new QCheckBox(QStringLiteral("Фактур."), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    chkFields = new QCheckBox(QStringLiteral("Платен"), this);
    chkFields->setObjectName(QStringLiteral("chkFields"));
    row(6, m_lbl.value(19), {invoice, Check1, chkFields});

    // The boxes take by typing no more than their fields hold.
    limitTyping(Combo1, kCarLength);
    limitTyping(Combo2, kRouteLength);
    limitTyping(Combo3, kClientLength);
    limitTyping(Combo4, kGoodsLength);
    limitTyping(invoice, kInvoiceNumberLength);

    // The amounts are never typed: their boxes exist for the binding only.
    for (int i : {0, 10, 8})
        box(i)->hide();
    kod->hide();

    Frame1 = new QGroupBox(QStringLiteral("Суми от курса"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    // Caption, amount and "лв." stand in three columns, each wide enough for the
    // largest amount in its bold font, so that no amount runs into the next
    // caption; the frame grows when the font needs it.
    const char *captions[3] = {"Бруто", "Процент", "Нето"};
    const int captionIdx[3] = {0, 10, 8};
    const int amountIdx[3] = {15, 16, 17};
    const int levIdx[3] = {2, 9, 14};
    const int top = Frame1->fontMetrics().height() + 8;
    int x = 8;
    int lineHeight = 0;
    for (int i = 0; i < 3; ++i) {
        QLabel *c = label(QStringLiteral("lblLabels(%1)").arg(captionIdx[i]), QString::fromUtf8(captions[i]), Frame1);
        c->move(x, top);
        m_lbl.insert(captionIdx[i], c);
        m_amountLeft[i] = x + c->width() + 6;
        QLabel *a = label(QStringLiteral("lblLabels(%1)").arg(amountIdx[i]), QString(), Frame1);
        QFont f = a->font();
        f.setBold(true);
        a->setFont(f);
        a->move(m_amountLeft[i], top);
        m_lbl.insert(amountIdx[i], a);
        QLabel *lev = label(QStringLiteral("lblLabels(%1)").arg(levIdx[i]), QStringLiteral("лв."), Frame1);
        lev->move(m_amountLeft[i] + 3, top);
        m_lbl.insert(levIdx[i], lev);
        const int widest = QFontMetrics(f).horizontalAdvance(QString::fromLatin1(kWidestAmount)) + 4;
        x = m_amountLeft[i] + widest + 3 + lev->width() + 14;
        lineHeight = std::max({lineHeight, c->height(), QFontMetrics(f).height()});
    }
    m_amountTop = top;
    QLabel *razhod = label(QStringLiteral("lblLabels(18)"), QStringLiteral("Разход"), Frame1);
    txtRazhod = new QLineEdit(Frame1);
    txtRazhod->setObjectName(QStringLiteral("txtRazhod"));
    txtRazhod->setFixedWidth(widthFor(txtRazhod, QString::fromLatin1(kWidestAmount), 80));
    const int boxTop = top + lineHeight + 10;
    txtRazhod->move(std::max(60, 8 + razhod->width() + 6), boxTop);
    razhod->move(8, boxTop + (txtRazhod->sizeHint().height() - razhod->height()) / 2);
    txtRazhod->setEnabled(false);
    QLabel *razhodLev = label(QStringLiteral("lblLabels(20)"), QStringLiteral("лв."), Frame1);
    razhodLev->move(txtRazhod->x() + txtRazhod->width() + 7, razhod->y());
    Frame1->setFixedSize(std::max(450, x), boxTop + txtRazhod->sizeHint().height() + 10);
    m_lbl.insert(18, razhod);

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(10, 10, 10, 10);
    lay->setSpacing(10);
    lay->addLayout(rows);
    lay->addWidget(Frame1);
    // The template's buttons and status line join below when the screen loads.
    lay->setSizeConstraint(QLayout::SetFixedSize);

    // The pick lists cover the boxes they fill, the driver's name the driver list.
    for (QComboBox *c : {Combo1, Combo2, Combo3, Combo4, Combo5})
        c->raise();
    m_txt.value(100)->raise();
}

// ---------------------------------------------------------------------------
// Loading

void Kurs::fillPickLists()
{
    const struct {
        QComboBox *list;
        const char *field;
    } lists[] = {{Combo1, "kola"}, {Combo2, "Marsh"}, {Combo3, "Klient"}, {Combo4, "Tovar"}};
    for (const auto &l : lists) {
        // The distinct values come from the field's index, on the screen's own
        // connection: a few hundred index seeks, whatever the number of trips.
        FillCombo(m_conn, l.list, QStringLiteral("tabl"), QString::fromLatin1(l.field));
        // A list starts without a chosen entry, as a typed box would.
        l.list->setCurrentIndex(-1);
        l.list->clearEditText();
    }
}

bool Kurs::load()
{
    m_newKurs = gSeekMode != QLatin1String("EditKurs");
    setWaitPointer();
    NormalPointerOnExit normal;
    try {
        m_conn.open(gConnStr);
        m_tariffs = BandTariffs::load(m_conn);
        Recordset drivers;
        drivers.open(m_conn, QStringLiteral("SELECT kod,ime FROM shof"));
        for (; !drivers.eof(); drivers.moveNext()) {
            const QString kod = drivers.value(QStringLiteral("kod")).toString();
            const QString ime = drivers.value(QStringLiteral("ime")).toString();
            m_driverCodes.append({kod, ime});
            Combo5->addItem(kod + QLatin1Char(',') + ime);
        }
        Combo5->setCurrentIndex(-1);
        Combo5->clearEditText();
        drivers.close();
        // A driver's code and name show whole, however long the name.
        fitListToEntries(Combo5);
        QWidget *cell = Combo5->parentWidget();
        cell->setFixedWidth(std::max(cell->minimumWidth(), Combo5->sizeHint().width()));
        fillPickLists();
        setNormalPointer();
    } catch (const DbError &e) {
        setNormalPointer();
        DiaInf::show(DataForm::errorCaption(DataForm::CmdLoad), e.text());
        return false;
    }

    QString sql;
    QVariantList params;
    if (m_newKurs) {
        setWindowTitle(screenCaption(QStringLiteral("Нов курс")));
        sql = QStringLiteral("SELECT * FROM tabl ORDER BY kod");
    } else {
        setWindowTitle(screenCaption(QStringLiteral("Корекция курс")));
        const DiaSeek &seek = DiaSeek::instance();
        sql = QStringLiteral("SELECT * FROM tabl WHERE kola=? AND Data BETWEEN ? AND ? ORDER BY Data");
        params = {seek.Kola, seek.startDate(), seek.endDate()};
    }

    QList<DataFormBox> boxes{{m_txt.value(1), QStringLiteral("Data")},
                             {m_txt.value(6), QStringLiteral("kola")},
                             {m_txt.value(5), QStringLiteral("kod")},
                             {m_txt.value(7), QStringLiteral("Marsh")},
                             {m_txt.value(13), QStringLiteral("Tovar")},
                             {m_txt.value(3), QStringLiteral("Klient")},
                             {m_txt.value(4), QStringLiteral("km")},
                             {m_txt.value(12), QStringLiteral("ton")},
                             {m_txt.value(2), QStringLiteral("NomFakt")},
                             {Check1, QStringLiteral("Fakt")},
                             {chkFields, QStringLiteral("plat")},
                             {m_txt.value(0), QStringLiteral("bruto")},
                             {m_txt.value(10), QStringLiteral("procent")},
                             {m_txt.value(8), QStringLiteral("neto")}};
    // In "NewKurs" the tariff box is not bound: "Добави" leaves it as it is, so a
    // new trip is offered the tariff of the trip the screen stood on.
    if (!m_newKurs)
        boxes.append({txtTarifa, QStringLiteral("Tarifa"), tariffText});

    DataForm::Config cfg;
    cfg.statusText = QStringLiteral("Курс № ");
    cfg.addText = QStringLiteral("Нов курс");
    cfg.editText = QStringLiteral("Корекция");
    cfg.deletes = DataForm::Delete::TwoQuestions;
    cfg.errors = DataForm::Errors::InfoBox;
    cfg.fieldClick = DataForm::FieldClick::Nothing;
    m_form = new DataForm(this, QString(), m_conn, m_rs, boxes, cfg);
    if (auto *lay = qobject_cast<QVBoxLayout *>(layout())) {
        lay->addWidget(m_form->buttonsPanel());
        lay->addWidget(m_form->statusPanel());
    }

    m_form->hooks.setButtons = [this](bool browsing) {
        QLineEdit *name = m_txt.value(100);
        name->setEnabled(browsing);
        name->setVisible(browsing);
        if (browsing)
            name->raise();
    };
    m_form->hooks.fillBoxes = [this] { afterMove(); };
    m_form->hooks.validate = [this] { return validateSave(); };
    m_form->hooks.readBoxes = [this] { writeRowValues(); };
    m_form->hooks.writeExtra = [this](Connection &conn) { writeExpenseLine(conn, m_pending); };
    m_form->hooks.afterSave = [this] { afterSave(); };
    // Another user's change refused the correction: back to browsing the trip
    // as stored now, as after "Отказ".
    m_form->hooks.afterDroppedChange = [this] {
        if (!m_newKurs) {
            showLists(false);
            EnableFields(false);
        }
    };

    // The commands with more to do than the template's.
    auto rewire = [this](const char *name, std::function<void()> fn) {
        QAbstractButton *b = m_form->button(QString::fromLatin1(name));
        QObject::disconnect(b, &QAbstractButton::clicked, m_form, nullptr);
        connect(b, &QAbstractButton::clicked, this, fn);
    };
    rewire("cmdAdd", [this] { cmdAdd_Click(); });
    rewire("cmdEdit", [this] { cmdEdit_Click(); });
    rewire("cmdCancel", [this] { cmdCancel_Click(); });
    // Leaving the km box and the car list, wherever the focus goes.
    qApp->installEventFilter(this);

    // The entry order: driver, car, date, tonnage, km, tariff, route, client,
    // goods, paid; then the covered boxes, the buttons, and the rest.
    QList<QWidget *> order{Combo5, Combo1, m_txt.value(1), m_txt.value(12), m_txt.value(4), txtTarifa,
                           Combo2, Combo3, Combo4, chkFields, m_txt.value(6), m_txt.value(7),
                           m_txt.value(3), m_txt.value(13)};
    for (const char *b : {"cmdAdd", "cmdEdit", "cmdUpdate", "cmdDelete", "cmdCancel", "cmdClose",
                          "cmdFirst", "cmdPrevious", "cmdNext", "cmdLast"})
        order << m_form->button(QString::fromLatin1(b));
    order << m_txt.value(100) << m_txt.value(2) << Check1 << txtRazhod;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    if (!m_form->open(sql, params))
        return false;
    if (!m_newKurs) {
        m_form->button(QStringLiteral("cmdAdd"))->setEnabled(false);
        EnableFields(false);
        showLists(false);
    }
    // An empty list starts a new trip in either mode; "NewKurs" starts one
    // anyway, but only one: a second start would store the first one empty.
    if (m_rs.isEmpty())
        cmdAdd_Click();
    if (m_newKurs && !m_form->isAdding())
        cmdAdd_Click();
    m_loaded = true;
    return true;
}

// ---------------------------------------------------------------------------
// The form's procedures

void Kurs::SetButtons(bool browsing)
{
    m_form->SetButtons(browsing);
}

void Kurs::EnableFields(bool enabled)
{
    for (int i : {1, 12, 4, 6, 7, 3, 2, 13})
        m_txt.value(i)->setEnabled(enabled);
    txtTarifa->setEnabled(enabled);
    Check1->setEnabled(enabled);
    chkFields->setEnabled(enabled);
}

void Kurs::showLists(bool visible)
{
    for (QComboBox *c : {Combo1, Combo2, Combo3, Combo4, Combo5}) {
        c->setVisible(visible);
        if (visible)
            c->raise();
    }
    if (m_txt.value(100)->isVisible())
        m_txt.value(100)->raise();
}

void Kurs::ShowDriverName(const QString &code)
{
    for (const auto &d : m_driverCodes) {
        if (d.first == code) {
            m_txt.value(100)->setText(d.second);
            return;
        }
    }
    // A code without a driver shows no name rather than the previous trip's.
    m_txt.value(100)->clear();
}

void Kurs::ShowSums(const QString &flag)
{
    QStringList texts;
    const bool current = !m_rs.bof() && !m_rs.eof();
    if (flag == QLatin1String("0") || !current) {
        texts = {QStringLiteral("0 "), QStringLiteral("0 "), QStringLiteral("0 ")};
    } else {
        for (const char *f : {"bruto", "procent", "neto"})
            texts << formatNumber(m_rs.value(QString::fromLatin1(f)).toDouble(), QStringLiteral("###0.00"));
    }
    const int amountIdx[3] = {15, 16, 17};
    const int levIdx[3] = {2, 9, 14};
    for (int i = 0; i < 3; ++i) {
        QLabel *a = m_lbl.value(amountIdx[i]);
        a->setText(texts.at(i));
        a->adjustSize();
        // "лв." follows its amount at 50 twips.
        m_lbl.value(levIdx[i])->move(m_amountLeft[i] + a->width() + 3, m_amountTop);
    }
}

void Kurs::RequeryData()
{
    try {
        // Every trip again, ordered by driver code; the requery stands on the first.
        m_rs.requery();
        m_form->SetButtons(true);
    } catch (const DbError &e) {
        m_form->reportError(DataForm::CmdRefresh, e);
    }
}

qint64 Kurs::currentTripId() const
{
    if (m_rs.bof() || m_rs.eof())
        return 0;
    return m_rs.value(QStringLiteral("ID")).toLongLong();
}

QString Kurs::currentKod() const
{
    if (m_rs.bof() || m_rs.eof())
        return QString();
    return m_rs.value(QStringLiteral("kod")).toString();
}

// Every move shows the trip's amounts and its driver.
void Kurs::afterMove()
{
    if (!m_form || !m_form->isBrowsing() || m_requerying)
        return;
    ShowSums(QStringLiteral("1"));
    ShowDriverName(currentKod());
    // In "NewKurs" the pick lists, the tariff and the expense stand in view while
    // browsing and are not bound: they show the trip reached too, never the one
    // left or the last one typed. "Добави" then offers them for the next trip.
    // On opening they stay empty for the first new trip.
    if (m_newKurs && m_loaded)
        showTripInLists();
}

void Kurs::showTripInLists()
{
    // "Добави" reaches the new row before the screen knows it is adding: the
    // row has nothing to show, and the lists keep what they offer.
    if (m_rs.editMode() == Recordset::EditAdd)
        return;
    const qint64 id = currentTripId();
    if (id == 0) {
        for (QComboBox *c : {Combo1, Combo2, Combo3, Combo4, Combo5})
            c->clearEditText();
        txtTarifa->clear();
        txtRazhod->clear();
        return;
    }
    takeTripIntoLists();
    txtTarifa->setText(tariffText(m_rs.value(QStringLiteral("Tarifa"))));
    // A trip holds no expense of its own; the box shows the one booked with the
    // trip on this screen, and nothing for any other trip.
    txtRazhod->setText(m_expenses.value(id));
}

void Kurs::proposeTariff()
{
    const auto km = parseBounded(trimSpaces(m_txt.value(4)->text()), limits::kKm);
    // A km text that is no number leaves the tariff as it is.
    if (!km)
        return;
    // With three decimals at least, and all the band's own: a band tariff of
    // 0,1255 is proposed as such, not rounded to 0,126.
    txtTarifa->setText(formatExact(m_tariffs.forKm(*km), 3));
}

// ---------------------------------------------------------------------------
// Commands

void Kurs::cmdAdd_Click()
{
    m_form->cmdAdd();
    if (!m_form->isAdding())
        return;
    chkFields->setChecked(false);
    Check1->setChecked(false);
    ShowSums(QStringLiteral("0"));
    m_txt.value(4)->setText(QStringLiteral("0"));
    m_txt.value(2)->setText(QStringLiteral("0000000000"));
    if (Combo5->isVisible() && Combo5->isEnabled())
        Combo5->setFocus();
}

void Kurs::takeTripIntoLists()
{
    if (m_rs.bof() || m_rs.eof())
        return;
    setWholeText(Combo1, m_rs.value(QStringLiteral("kola")).toString());
    setWholeText(Combo2, m_rs.value(QStringLiteral("Marsh")).toString());
    setWholeText(Combo3, m_rs.value(QStringLiteral("Klient")).toString());
    setWholeText(Combo4, m_rs.value(QStringLiteral("Tovar")).toString());
    // A correction keeps the trip's driver whatever the list says. In "NewKurs"
    // the list then serves the next new trip too, so it shows the whole entry
    // of a known driver, which a new trip can take its code from.
    const QString kod = m_rs.value(QStringLiteral("kod")).toString();
    QString entry = kod;
    if (m_newKurs) {
        for (const auto &d : m_driverCodes) {
            if (d.first == kod) {
                entry = d.first + QLatin1Char(',') + d.second;
                break;
            }
        }
    }
    Combo5->setEditText(entry);
}

void Kurs::cmdEdit_Click()
{
    m_form->cmdEdit();
    if (!m_form->isEditing())
        return;
    // The lists take the trip's own values, so a correction never writes the
    // values of the trip shown before into it.
    takeTripIntoLists();
    // The tariff box is not bound in "NewKurs": whatever was typed into it while
    // browsing must not become this trip's tariff.
    if (m_newKurs && !m_rs.bof() && !m_rs.eof())
        txtTarifa->setText(tariffText(m_rs.value(QStringLiteral("Tarifa"))));
    if (!m_newKurs) {
        showLists(true);
        EnableFields(true);
    }
    ShowSums(QStringLiteral("0"));
    // A correction books only an expense typed for it.
    txtRazhod->clear();
    if (Combo1->isVisible())
        Combo1->setFocus();
}

void Kurs::cmdCancel_Click()
{
    m_form->cmdCancel();
    if (m_newKurs) {
        close();
        return;
    }
    showLists(false);
    EnableFields(false);
}

// ---------------------------------------------------------------------------
// Saving

QWidget *Kurs::boxWidget(TripBox box) const
{
    switch (box) {
    case TripBox::Date: return m_txt.value(1);
    case TripBox::Ton: return m_txt.value(12);
    case TripBox::Km: return m_txt.value(4);
    case TripBox::Tariff: return txtTarifa;
    case TripBox::Expense: return txtRazhod;
    case TripBox::Invoice: return m_txt.value(2);
    case TripBox::Driver: return Combo5;
    case TripBox::Car: return Combo1;
    case TripBox::Route: return Combo2;
    case TripBox::Client: return Combo3;
    case TripBox::Goods: return Combo4;
    case TripBox::None: break;
    }
    return nullptr;
}

void Kurs::focusBox(TripBox box)
{
    QWidget *w = boxWidget(box);
    if (!w || !w->isVisible() || !w->isEnabled())
        return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto *le = qobject_cast<QLineEdit *>(w))
        le->selectAll();
}

bool Kurs::validateSave()
{
    // The lists' texts go into the boxes they cover.
    m_txt.value(6)->setText(trimSpaces(Combo1->currentText()));
    m_txt.value(7)->setText(trimSpaces(Combo2->currentText()));
    m_txt.value(3)->setText(trimSpaces(Combo3->currentText()));
    m_txt.value(13)->setText(trimSpaces(Combo4->currentText()));

    TripEntry e;
    e.driver = Combo5->currentText();
    e.car = m_txt.value(6)->text();
    e.route = m_txt.value(7)->text();
    e.client = m_txt.value(3)->text();
    e.goods = m_txt.value(13)->text();
    e.date = m_txt.value(1)->text();
    e.ton = m_txt.value(12)->text();
    e.km = m_txt.value(4)->text();
    e.tariff = txtTarifa->text();
    e.invoice = m_txt.value(2)->text();
    e.expense = txtRazhod->text();
    e.invoiced = Check1->isChecked();
    e.paid = chkFields->isChecked();

    TripSaveContext ctx;
    ctx.newKursMode = m_newKurs;
    ctx.adding = m_form->isAdding();
    if (ctx.adding) {
        m_txt.value(5)->setText(driverCodeOf(e.driver));
        for (const auto &d : m_driverCodes)
            ctx.drivers << trimSpaces(d.first + QLatin1Char(',') + d.second);
    } else {
        ctx.trip = m_rs.rowAsRead();
        ctx.tripKod = m_txt.value(5)->text();
    }
    const TripSaveResult r = checkTrip(e, ctx);
    if (!r.ok) {
        DiaInf::show(r.caption, r.text);
        focusBox(r.focus);
        return false;
    }
    m_pending = r.row;
    m_pendingExpense = e.expense;
    return true;
}

void Kurs::writeRowValues()
{
    const TripRow &t = m_pending;
    m_rs.setValue(QStringLiteral("Data"), t.data);
    m_rs.setValue(QStringLiteral("kola"), t.kola);
    m_rs.setValue(QStringLiteral("kod"), t.kod);
    m_rs.setValue(QStringLiteral("Marsh"), t.marsh);
    m_rs.setValue(QStringLiteral("Klient"), t.klient);
    m_rs.setValue(QStringLiteral("Tovar"), t.tovar);
    m_rs.setValue(QStringLiteral("km"), t.km);
    m_rs.setValue(QStringLiteral("ton"), t.ton);
    m_rs.setValue(QStringLiteral("Doc"), false);
    m_rs.setValue(QStringLiteral("neto"), t.amounts.neto);
    m_rs.setValue(QStringLiteral("procent"), t.amounts.procent);
    m_rs.setValue(QStringLiteral("Tarifa"), t.tarifa);
    m_rs.setValue(QStringLiteral("bruto"), t.amounts.bruto);
    m_rs.setValue(QStringLiteral("NomFakt"), t.nomFakt);
    m_rs.setValue(QStringLiteral("Fakt"), t.fakt);
    m_rs.setValue(QStringLiteral("plat"), t.plat);
}

static void appendToList(QComboBox *list, const QString &value)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->itemText(i);
    if (!appendIfMissing(entries, value))
        return;
    // Adding to an empty list would choose the new entry and replace the text.
    const QString text = list->currentText();
    const int index = list->currentIndex();
    list->addItem(entries.last());
    list->setCurrentIndex(index);
    setWholeText(list, text);
}

void Kurs::afterSave()
{
    // Only a written trip teaches the lists its values.
    appendToList(Combo1, m_pending.kola);
    appendToList(Combo2, m_pending.marsh);
    appendToList(Combo3, m_pending.klient);
    appendToList(Combo4, m_pending.tovar);
    if (!m_newKurs) {
        showLists(false);
        EnableFields(false);
        ShowSums(QStringLiteral("1"));
        ShowDriverName(currentKod());
        return;
    }
    // Every trip again, and the screen back on the trip just saved, at its place
    // in the driver-code order; every box then shows that trip.
    const qint64 saved = currentTripId();
    m_expenses.insert(saved, m_pendingExpense);
    m_requerying = true;
    RequeryData();
    m_requerying = false;
    try {
        if (saved == 0 || !m_rs.find(QStringLiteral("ID"), saved, true))
            m_rs.moveFirst();
    } catch (const DbError &e) {
        m_form->reportError(DataForm::CmdMove, e);
    }
}

// ---------------------------------------------------------------------------
// Events

bool Kurs::eventFilter(QObject *obj, QEvent *event)
{
    if (!m_loaded || !obj->isWidgetType())
        return false;
    const auto *w = static_cast<QWidget *>(obj);
    if (event->type() == QEvent::FocusOut) {
        // A message box or another window in front is no leaving of the box.
        const Qt::FocusReason why = static_cast<QFocusEvent *>(event)->reason();
        if (why == Qt::ActiveWindowFocusReason || why == Qt::PopupFocusReason)
            return false;
        // Only a user leaving the box proposes a tariff: focus pushed on through a
        // box being locked after a save must not replace the trip's own tariff.
        if (w == m_txt.value(4) && w->isEnabled())
            proposeTariff();
        else if ((w == Combo1 || w == Combo1->lineEdit()) && m_newKurs && !IsBlank(Combo1->currentText()))
            txtRazhod->setEnabled(true);
    }
    return false;
}

void showKurs()
{
    Kurs w(openingWindow());
    if (w.load())
        w.exec();
}

} // namespace kelm
