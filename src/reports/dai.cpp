#include "reports/dai.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/fillcombo.h"
#include "dialogs/messages.h"
#include "dialogs/seekdialog.h"
#include "platform/boxlength.h"
#include "platform/numbers.h"
#include "platform/singlewindow.h"
#include "platform/version.h"
#include "printing/report.h"
#include "printing/reportdesigns.h"
#include "printing/reportframe.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelm {

// ---------------------------------------------------------------- rules

QString birthDateFromEgn(const QString &egn)
{
    const QString t = egn.trimmed();
    if (t.size() < 6)
        return QString();
    for (int i = 0; i < 6; ++i)
        if (!t.at(i).isDigit() || t.at(i).unicode() > '9')
            return QString();
    const int yy = t.mid(0, 2).toInt();
    const int mm = t.mid(2, 2).toInt();
    const int dd = t.mid(4, 2).toInt();
    const bool from2000 = mm > 40;
    const int month = from2000 ? mm - 40 : mm;
    const int year = (from2000 ? 2000 : 1900) + yy;
    if (month < 1 || month > 12 || !QDate(year, month, dd).isValid())
        return QString();
    if (from2000)
        return t.mid(4, 2) + QLatin1Char('.') + QString::number(month) + QStringLiteral(".20") + t.mid(0, 2);
    return t.mid(4, 2) + QLatin1Char('.') + t.mid(2, 2) + QStringLiteral(".19") + t.mid(0, 2);
}

QString daiItem17Screen()
{
    return QStringLiteral("17. Аз, водач на превозно средство, потвърждавам, че по време на горепосочения период "
                          "не съм управлявал превозно средство,\r       попадащо в Регламент (ЕО) №561/2006 или AETR");
}

QString daiItem17Print()
{
    return QStringLiteral("17. Аз, водач на превозно средство, подвърждавам, че по време на горепосочения период не "
                          "съм управлявал\r.      превозно средство, попадащо в обхвата на Регламент (ЕО) №561/2006 "
                          "или AETR");
}

QString daiNotes()
{
    return joinLines({QStringLiteral("Попълва се на машина и се подписва преди пътуване"),
                      QStringLiteral("Прилага се към оригиналните тахографски листове, когато те са задължителни"),
                      QStringLiteral("Подправени удостоверения представляват нарушение")});
}

int daiCrossTop(int item)
{
    switch (item) {
    case 13:
        return 8865;
    case 14:
        return 9195;
    case 15:
        return 9510;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------- the design

namespace {

QPointer<DAI> s_dai;

using A = ReportAlign;

constexpr int kCross = 240;    // side of the reason boxes and of the cross, twips
constexpr int kCrossLeft = 405;
constexpr int kValueLeft = 4500;

const QString kNarrowFace = QStringLiteral("DejaVu Sans Condensed");

void declareRptDAI(Report &r)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    declareDesignPage(r, info);
    const int w = info.width;
    ReportSection &ph = r.addSection(QStringLiteral("PageHeader"), 13100);
    int fixed = 100; // design texts: Label100 and on
    auto text = [&](int left, int top, int width, int height, const QString &caption, double pt = 9, bool bold = false,
                    A align = A::Left) -> ReportControl & {
        return ph.addLabel(QStringLiteral("Label%1").arg(fixed++), left, top, width, height, caption, pt, bold, align);
    };
    auto value = [&](const char *name, int top, int left = kValueLeft) -> ReportControl & {
        return ph.addLabel(QLatin1String(name), left, top, w - left, 280, QString(), 10, true);
    };

    ph.addLabel(QStringLiteral("Label1"), 0, 0, w, 380, QStringLiteral("Фирма"), 13, true, A::Center);
    ph.addLabel(QStringLiteral("Label2"), 0, 390, w, 260, QStringLiteral("Адрес"), 9, false, A::Center);
    ph.addLabel(QStringLiteral("Label6"), 0, 650, w, 260, QStringLiteral("Връзка"), 8, false, A::Center);
    ph.addLine(QStringLiteral("Line1"), 0, 960, w, 0).setLineWidth(20);
    ph.addLabel(QStringLiteral("Label4"), 0, 1020, w, 720, QString(), 8, false, A::Left).setFontFamily(kNarrowFace);
    text(0, 1800, w, 420, QStringLiteral("УДОСТОВЕРЕНИЕ"), 15, true, A::Center);
    text(0, 2260, w, 760,
         joinLines({QStringLiteral("ЗА ДЕЙНОСТИ, ПОПАДАЩИ В ОБХВАТА НА РЕГЛАМЕНТ (ЕО) №561/2006 ИЛИ НА"),
                    QStringLiteral("ЕВРОПЕЙСКОТО СПОРАЗУМЕНИЕ ЗА РАБОТАТА НА ЕКИПАЖИТЕ НА ПРЕВОЗНИТЕ СРЕДСТВА,"),
                    QStringLiteral("ИЗВЪРШВАЩИ МЕЖДУНАРОДНИ АВТОМОБИЛНИ ПРЕВОЗИ (AETR)")}),
         8.5, true, A::Center)
        .setFontFamily(kNarrowFace);

    const struct {
        int top;
        const char *caption;
        const char *label;
    } items[] = {{3250, "1. Име на фирмата:", "Label14"},
                 {3560, "2. Адрес, пощенски код, град, държава;", "Label15"},
                 {3870, "3. Телефонен номер:", "Label17"},
                 {4180, "4. Номер на факс:", "Label18"},
                 {4490, "5. Адрес на електронната поща:", "Label24"},
                 {5150, "6. Име:", "Label23"},
                 {5460, "7. Длъжност в предприятието/фирмата:", "Label16"},
                 {6120, "8. Име:", "Label26"},
                 {6430, "9. Дата на раждане:", "Label28"},
                 {6740, "10. Номер на лична карта:", "Label30"},
                 {7700, "11. от:", "Label36"},
                 {8010, "12. до:", "Label42"}};
    for (const auto &it : items) {
        text(kCrossLeft, it.top, kValueLeft - kCrossLeft, 280, QString::fromUtf8(it.caption)).setFontFamily(kNarrowFace);
        value(it.label, it.top);
    }
    text(kCrossLeft, 4840, 4000, 280, QStringLiteral("Аз, долуподписаният:"), 9, true);
    text(kCrossLeft, 5810, 4000, 280, QStringLiteral("декларирам, че водачът:"), 9, true);
    text(kCrossLeft, 7390, 4000, 280, QStringLiteral("за периода:"), 9, true);
    // The three reasons, each with its box; the cross is drawn over the ticked one.
    const char *reasons[] = {"е бил в отпуск по болест", "е бил в годишен отпуск",
                             "е управлявал превозно средство, попадащо извън обхвата на Регламент (ЕО) "
                             "№561/2006 или AETR"};
    for (int i = 0; i < 3; ++i) {
        const int top = daiCrossTop(13 + i);
        ph.addShape(QStringLiteral("Shape%1").arg(i + 1), kCrossLeft, top, kCross, kCross).setLineWidth(12);
        text(800, top - 20, 500, 280, QStringLiteral("%1.").arg(13 + i));
        text(1300, top - 20, w - 1300, 280, QString::fromUtf8(reasons[i]), 9).setFontFamily(kNarrowFace);
    }
    // Line2 runs from the box's top left corner down, Line3 from its bottom left corner up.
    ph.addLine(QStringLiteral("Line2"), kCrossLeft, daiCrossTop(13), kCross, kCross).setLineWidth(30).setVisible(false);
    ph.addLine(QStringLiteral("Line3"), kCrossLeft, daiCrossTop(13) + kCross, kCross, -kCross)
        .setLineWidth(30)
        .setVisible(false);

    text(kCrossLeft, 10100, 3900, 280, QStringLiteral("16. За предприятието/фирмата място:"));
    value("Label44", 10100, 4300).setGeometry(4300, 10100, 2400, 280);
    text(6800, 10100, 600, 280, QStringLiteral("дата"));
    value("Label46", 10100, 7400).setGeometry(7400, 10100, w - 7400, 280);
    ph.addLine(QStringLiteral("Line4"), 6800, 10750, 3000, 0).setLineWidth(10);
    text(6800, 10780, 3000, 240, QStringLiteral("подпис"), 8, false, A::Center);

    ph.addLabel(QStringLiteral("Label49"), kCrossLeft, 11250, w - kCrossLeft, 540, QString(), 8.5)
        .setFontFamily(kNarrowFace);
    text(kCrossLeft, 11950, 1300, 280, QStringLiteral("18. Място"));
    value("Label50", 11950, 1700).setGeometry(1700, 11950, 4000, 280);
    text(6800, 11950, 600, 280, QStringLiteral("дата"));
    value("Label52", 11950, 7400).setGeometry(7400, 11950, w - 7400, 280);
    ph.addLine(QStringLiteral("Line5"), 6800, 12600, 3000, 0).setLineWidth(10);
    text(6800, 12630, 3000, 240, QStringLiteral("подпис на водача"), 8, false, A::Center);

    r.addSection(QStringLiteral("Detail"), 0);
    addVersionFooterBand(r, info, 420, QStringLiteral("Line6"));
}

QLabel *valueLabel(QWidget *parent, const char *name)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setMinimumWidth(200);
    return l;
}

QString periodLabelText(const QString &date)
{
    return QStringLiteral("00:00 на ") + date + QStringLiteral(" г.");
}

} // namespace

Report &rptDAI()
{
    return Report::instance(QStringLiteral("rptDAI"), &declareRptDAI);
}

// ---------------------------------------------------------------- the screen

DAI::DAI(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DAI"));
    setWindowTitle(QStringLiteral("Удостоверение ДАИ"));

    lblFirmaName = valueLabel(this, "lblFirmaName");
    lblFirmaAdres = valueLabel(this, "lblFirmaAdres");
    lblFirmaTel = valueLabel(this, "lblFirmaTel");
    lblFirmaFax = valueLabel(this, "lblFirmaFax");
    lblFirmaEmail = valueLabel(this, "lblFirmaEmail");
    lblFirmaMOL = valueLabel(this, "lblFirmaMOL");
    Label1 = valueLabel(this, "Label1");
    Label1->setText(QStringLiteral("Управител"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    lblDriverName = valueLabel(this, "lblDriverName");
    lblDriverBorn = valueLabel(this, "lblDriverBorn");
    lblDriverLK = valueLabel(this, "lblDriverLK");
    Text1_0 = new QLineEdit(this);
    Text1_0->setObjectName(QStringLiteral("Text1_0"));
    Text1_1 = new QLineEdit(this);
    Text1_1->setObjectName(QStringLiteral("Text1_1"));
    for (QLineEdit *t : {Text1_0, Text1_1}) {
        t->setPlaceholderText(QStringLiteral("дд.мм.гггг"));
        limitTyping(t, 10);
        t->setMaximumWidth(140);
        t->installEventFilter(this);
    }
    lblDataStart = valueLabel(this, "lblDataStart");
    lblDataStop = valueLabel(this, "lblDataStop");
    Check1 = new QCheckBox(QStringLiteral("е бил в отпуск по болест"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check2 = new QCheckBox(QStringLiteral("е бил в годишен отпуск"), this);
    Check2->setObjectName(QStringLiteral("Check2"));
    Check3 = new QCheckBox(QStringLiteral("е управлявал превозно средство, попадащо извън обхвата на Регламент (ЕО) "
                                          "№561/2006 или AETR"),
                           this);
    Check3->setObjectName(QStringLiteral("Check3"));
    for (QCheckBox *c : {Check1, Check2, Check3})
        connect(c, &QCheckBox::toggled, this, [this, c](bool on) {
            if (on)
                tickOnly(c);
        });
    Label2 = valueLabel(this, "Label2");
    lblT17 = new QLabel(this);
    lblT17->setObjectName(QStringLiteral("lblT17"));
    Label4 = valueLabel(this, "Label4");
    cmdPrint = new QPushButton(QStringLiteral("Печат"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint->setAutoDefault(false);
    cmdClose = new QPushButton(QStringLiteral("Затвори"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);
    connect(cmdPrint, &QPushButton::clicked, this, &DAI::cmdPrint_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(Combo1, qOverload<int>(&QComboBox::activated), this, [this](int) { Combo1_Click(); });

    auto *g = new QGridLayout;
    int row = 0;
    auto heading = [&](const char *t) {
        auto *l = new QLabel(QString::fromUtf8(t), this);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        g->addWidget(l, row++, 0, 1, 2);
    };
    auto item = [&](const char *caption, QWidget *w1, QWidget *w2 = nullptr) {
        g->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0);
        if (w2) {
            auto *h = new QHBoxLayout;
            h->setContentsMargins(0, 0, 0, 0);
            // The box stands where its label will, under the other values.
            h->addWidget(w1, 0, Qt::AlignLeft);
            h->addWidget(w2, 1);
            g->addLayout(h, row, 1);
        } else {
            g->addWidget(w1, row, 1);
        }
        ++row;
    };
    item("1. Име на фирмата:", lblFirmaName);
    item("2. Адрес, пощенски код, град, държава;", lblFirmaAdres);
    item("3. Телефонен номер:", lblFirmaTel);
    item("4. Номер на факс:", lblFirmaFax);
    item("5. Адрес на електронната поща:", lblFirmaEmail);
    heading("Аз, долуподписаният:");
    item("6. Име:", lblFirmaMOL);
    item("7. Длъжност в предприятието/фирмата:", Label1);
    heading("декларирам, че водачът:");
    item("8. Име:", Combo1, lblDriverName);
    item("9. Дата на раждане:", lblDriverBorn);
    item("10. Номер на лична карта:", lblDriverLK);
    heading("за периода:");
    item("11. от:", Text1_0, lblDataStart);
    item("12. до:", Text1_1, lblDataStop);
    item("13.", Check1);
    item("14.", Check2);
    item("15.", Check3);
    item("16. За предприятието/фирмата място:", Label2);
    g->addWidget(lblT17, row++, 0, 1, 2);
    item("18. Място", Label4);
    g->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdClose);
    auto *v = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("УДОСТОВЕРЕНИЕ"), this);
    QFont tf = title->font();
    tf.setBold(true);
    tf.setPointSizeF(tf.pointSizeF() * 1.4);
    title->setFont(tf);
    title->setAlignment(Qt::AlignCenter);
    v->addWidget(title);
    v->addLayout(g);
    v->addStretch(1);
    v->addLayout(buttons);
}

DAI::~DAI()
{
    adoNameRS.close();
    m_conn.close();
    if (s_dai == this)
        s_dai = nullptr;
}

DAI *DAI::instance()
{
    return s_dai;
}

bool DAI::load()
{
    lblDriverName->setVisible(false);
    lblDriverBorn->setVisible(false);
    lblDataStart->setVisible(false);
    lblDataStop->setVisible(false);
    try {
        FillCombo(Combo1, QStringLiteral("SELECT * FROM shof ORDER BY kod"), QStringLiteral("ime"));
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА!"), e.text());
        return false;
    }
    // Showing the first name picks no driver: only a choice from the list does.
    if (Combo1->count() > 0)
        Combo1->setEditText(Combo1->itemText(0));
    lblFirmaName->setText(gFirmName);
    lblFirmaAdres->setText(gFirmAddress + QStringLiteral(", ") + gFirmCity + QStringLiteral(", ") + gFirmCountry);
    lblFirmaTel->setText(gFirmTel);
    lblFirmaFax->setText(gFirmGSM);
    lblFirmaMOL->setText(gFirmMOL);
    lblFirmaEmail->setText(gFirmEmail);
    // Items 16 and 18 show what the printout puts there: the company's town and today.
    const QString placeDate = gFirmCity + QStringLiteral(", ") + formatDate(QDate::currentDate());
    Label2->setText(placeDate);
    Label4->setText(placeDate);
    QString t17 = daiItem17Screen();
    lblT17->setText(t17.replace(QLatin1Char('\r'), QLatin1Char('\n')));
    return true;
}

bool DAI::Combo1_Click()
{
    const QString name = Combo1->currentText();
    try {
        if (!m_conn.isOpen())
            m_conn.open(gConnStr);
        adoNameRS.open(m_conn, QStringLiteral("SELECT * FROM shof WHERE ime=? ORDER BY ID"), {name});
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА!"), e.text());
        return false;
    }
    if (adoNameRS.isEmpty()) {
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"),
                     joinLines({QStringLiteral("Списъка е празен"), QStringLiteral("Ще се създаде нов!")}));
        // Nobody's personal data: the list stays for another choice.
        m_picked = false;
        m_name.clear();
        m_born.clear();
        m_idCard.clear();
        adoNameRS.close();
        lblDriverName->clear();
        lblDriverBorn->clear();
        lblDriverLK->clear();
        return false;
    }
    adoNameRS.moveFirst();
    m_picked = true;
    m_name = adoNameRS.value(QStringLiteral("ime")).toString();
    m_idCard = adoNameRS.value(QStringLiteral("LKarta")).toString();
    m_born = birthDateFromEgn(adoNameRS.value(QStringLiteral("EGN")).toString());
    Combo1->setVisible(false);
    lblDriverName->setVisible(true);
    lblDriverBorn->setVisible(true);
    lblDriverName->setText(m_name);
    lblDriverBorn->setText(m_born);
    lblDriverLK->setText(m_idCard);
    return true;
}

bool DAI::pickShownDriver()
{
    // The box takes typed text and shows the first name from the start, so what it
    // shows need not be a name chosen from the list: the print takes what it shows.
    const QString shown = Combo1->currentText();
    int index = Combo1->findText(shown);
    if (index < 0)
        index = Combo1->findText(shown.trimmed());
    if (index < 0 || shown.trimmed().isEmpty()) {
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"),
                     joinLines({shown.trimmed().isEmpty() ? QStringLiteral("Няма избран водач!")
                                                          : QStringLiteral("Няма такъв водач в списъка!"),
                                QStringLiteral("Изберете водач от списъка!")}));
        Combo1->setFocus();
        Combo1->lineEdit()->selectAll();
        return false;
    }
    Combo1->setCurrentIndex(index);
    return Combo1_Click();
}

void DAI::tickOnly(QCheckBox *ticked)
{
    for (QCheckBox *c : {Check1, Check2, Check3})
        if (c != ticked && c->isChecked())
            c->setChecked(false);
}

bool DAI::Text1_LostFocus(int index)
{
    QLineEdit *box = index == 0 ? Text1_0 : Text1_1;
    QLabel *label = index == 0 ? lblDataStart : lblDataStop;
    const QString typed = box->text().trimmed();
    if (typed.isEmpty())
        return true; // nothing typed yet: the box stays for later
    const std::optional<QDate> d = parseDate(typed);
    if (!d) {
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"),
                     joinLines({QStringLiteral("Грешна дата!"), QStringLiteral("Въведете датата във вида дд.мм.гггг")}));
        box->setFocus();
        box->selectAll();
        return false;
    }
    box->setText(formatDate(*d));
    label->setText(periodLabelText(box->text()));
    box->setVisible(false);
    label->setVisible(true);
    return true;
}

bool DAI::eventFilter(QObject *watched, QEvent *e)
{
    const int index = watched == Text1_0 ? 0 : watched == Text1_1 ? 1 : -1;
    if (index >= 0) {
        auto *box = static_cast<QLineEdit *>(watched);
        if (e->type() == QEvent::FocusIn) {
            QPalette p = box->palette();
            p.setColor(QPalette::Base, Qt::white);
            box->setPalette(p);
        } else if (e->type() == QEvent::FocusOut && !m_checking && box->isVisible()) {
            // Only when the user moves on, not when a message box takes the window's focus.
            const auto reason = static_cast<QFocusEvent *>(e)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason
                || reason == Qt::OtherFocusReason) {
                // After the focus change has finished, so that a refusal can take it
                // back, and never inside a message already on screen.
                m_leaveCheck[index].schedule(box->text(), [this, index] {
                    m_checking = true;
                    Text1_LostFocus(index);
                    m_checking = false;
                });
            }
        }
    }
    return QDialog::eventFilter(watched, e);
}

void DAI::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(e);
}

void DAI::cmdPrint_Click()
{
    // Both period boxes must hold real dates, the end not before the start, before
    // anything is printed.
    int bad = -1;
    QString message;
    for (int i = 0; i < 2 && bad < 0; ++i) {
        QLineEdit *box = i == 0 ? Text1_0 : Text1_1;
        if (parseDate(box->text().trimmed()))
            continue;
        bad = i;
        message = box->text().trimmed().isEmpty()
            ? joinLines({QStringLiteral("Няма въведен период!"), QStringLiteral("Проверете си датите!")})
            : joinLines({QStringLiteral("Грешна дата!"), QStringLiteral("Въведете датата във вида дд.мм.гггг")});
    }
    // A period that ends before it starts is refused as the search dialogs refuse
    // it; the end date is the one given back for correcting.
    if (bad < 0 && checkPeriod(Text1_0->text(), Text1_1->text()) == PeriodFault::Reversed) {
        bad = 1;
        message = periodMessage(PeriodFault::Reversed);
    }
    if (bad >= 0) {
        // One click, one message: a date still waiting for its box's own check is
        // answered by this refusal of the period, whichever box it is in.
        for (int i = 0; i < 2; ++i) {
            QLineEdit *box = i == 0 ? Text1_0 : Text1_1;
            if (i == bad || !parseDate(box->text().trimmed()))
                m_leaveCheck[i].refused(box->text());
        }
        QLineEdit *box = bad == 0 ? Text1_0 : Text1_1;
        m_checking = true;
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"), message);
        box->setVisible(true);
        (bad == 0 ? lblDataStart : lblDataStop)->setVisible(false);
        box->setFocus();
        box->selectAll();
        m_checking = false;
        return;
    }
    // The attestation is of the driver the box shows; without one nothing is printed.
    if (!m_picked && !pickShownDriver())
        return;
    runReportFill([this] {
        Report &r = rptDAI();
        const ReportDesignInfo &info = reportDesign(r.name());
        r.setCaption(info.windowCaption());
        applyDesignPage(r, info);
        if (m_picked && adoNameRS.isOpen())
            r.setDataSource(ReportData::fromRecordset(adoNameRS));
        else
            r.clearDataSource();
        fillCompanyHeader(r, info);
        ReportSection &ph = r.section(QStringLiteral("PageHeader"));
        auto set = [&](const char *label, const QString &text) { ph.control(QLatin1String(label)).setCaption(text); };
        set("Label4", daiNotes());
        set("Label14", gFirmName);
        set("Label15", gFirmAddress + QStringLiteral(", ") + gFirmCity + QStringLiteral(", ") + gFirmCountry);
        set("Label17", gFirmTel);
        set("Label18", gFirmGSM);
        set("Label24", gFirmEmail);
        set("Label23", gFirmMOL);
        set("Label16", QStringLiteral("Управител"));
        set("Label26", m_name);
        // No birth date read from the personal number: the line stays empty.
        set("Label28", m_born.isEmpty() ? QString() : m_born + QStringLiteral(" г."));
        set("Label30", m_idCard);
        set("Label36", periodLabelText(formatDate(*parseDate(Text1_0->text().trimmed()))));
        set("Label42", periodLabelText(formatDate(*parseDate(Text1_1->text().trimmed()))));
        const QString today = formatDate(QDate::currentDate());
        set("Label44", gFirmCity);
        set("Label46", today);
        set("Label49", daiItem17Print());
        set("Label50", gFirmCity);
        set("Label52", today);
        // The cross: both lines hidden, then on each ticked reason in turn (the last wins).
        ReportControl &l2 = ph.control(QStringLiteral("Line2"));
        ReportControl &l3 = ph.control(QStringLiteral("Line3"));
        l2.setVisible(false);
        l3.setVisible(false);
        const QCheckBox *checks[] = {Check1, Check2, Check3};
        for (int i = 0; i < 3; ++i) {
            if (!checks[i]->isChecked())
                continue;
            const int top = daiCrossTop(13 + i);
            l2.setVisible(true);
            l3.setVisible(true);
            l2.setLeft(kCrossLeft);
            l2.setTop(top);
            l3.setLeft(kCrossLeft);
            l3.setTop(top + kCross); // Line3 rises from the box's bottom corner
        }
        fillVersionFooter(r, info);
        r.show(info.modal);
    });
}

void showDAI()
{
    showSingleLoaded(s_dai);
}

} // namespace kelm
