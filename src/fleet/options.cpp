#include "fleet/options.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "dialogs/diainf.h"
#include "dialogs/dialog.h"
#include "dialogs/messages.h"
#include "platform/boxlength.h"
#include "platform/dataform.h"
#include "platform/numbers.h"
#include "platform/placement.h"
#include "platform/version.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTime>
#include <QVBoxLayout>

namespace kelm {

namespace {
enum { iKola = 0, iRazhod, iProcent, iTon };

// A car's norm, pay or load and a tariff are never below zero: every amount
// computed from a negative one would be wrong. Nothing for such a text, as for
// one that is no number or is beyond the bound.
std::optional<double> parseSetting(const QString &text, double bound)
{
    return parseAmount(text, bound);
}

// A refused setting's message, with a further line saying why when the text is
// a number all the same: below zero, or above the bound.
QString settingRefusal(const QStringList &lines, const QString &typed, double bound)
{
    const QString message = joinLines(lines);
    if (const auto v = parseNumber(typed); v && *v < 0)
        return message + QLatin1Char('\r') + QStringLiteral("Числото не може да бъде по-малко от 0.");
    return amountRefusal(message, typed, bound);
}
} // namespace

QStringList tariffFields()
{
    return {QStringLiteral("Trf_20"),     QStringLiteral("Trf_20-30"),   QStringLiteral("Trf_30-50"),
            QStringLiteral("Trf_50-100"), QStringLiteral("Trf_100-200"), QStringLiteral("Trf_200")};
}

QStringList tariffLabels()
{
    return {QStringLiteral("До 20 км"),    QStringLiteral("20 - 30 км"),   QStringLiteral("30 - 50 км"),
            QStringLiteral("50 - 100 км"), QStringLiteral("100 - 200 км"), QStringLiteral("Над 200 км")};
}

QString checkTariffTyping(const QString &text)
{
    // An empty box is where a new value starts, not a mistake.
    if (text.isEmpty() || parseSetting(text, limits::kPrice))
        return QString();
    return settingRefusal({QStringLiteral("Въведения символ е невалиден!"), QStringLiteral("Моля, въведете друг.")},
                          text, limits::kPrice);
}

std::optional<int> firstBadTariff(const QStringList &texts)
{
    for (int i = 0; i < texts.size(); ++i)
        if (!parseSetting(texts.at(i), limits::kPrice))
            return i;
    return std::nullopt;
}

QString checkCarFields(const CarFields &f, bool kolaTaken)
{
    if (IsBlank(f.kola))
        return joinLines({QStringLiteral("Няма въведен номер на колата!"),
                          QStringLiteral("Моля, въведете номер на колата!")});
    if (CompareLen(f.kola, kCarLength) == 1)
        return joinLines({QStringLiteral("Номера на колата е по-дълъг от разрешения!"),
                          QStringLiteral("Моля, въведете до %1 символа за номер на колата!").arg(kCarLength)});
    if (kolaTaken)
        return joinLines({QStringLiteral("Вече има кола с този номер!"),
                          QStringLiteral("Моля, въведете друг номер на колата!")});
    if (!parseSetting(f.Razhod, limits::kLitres))
        return settingRefusal({QStringLiteral("Невалиден разход на 100км!"),
                               QStringLiteral("Моля, въведете число за разход на 100км!")},
                              f.Razhod, limits::kLitres);
    if (!parseSetting(f.Procent, limits::kPercent))
        return settingRefusal({QStringLiteral("Невалиден процент заплата!"),
                               QStringLiteral("Моля, въведете число за процент заплата!")},
                              f.Procent, limits::kPercent);
    if (!parseSetting(f.Ton, limits::kTons))
        return settingRefusal({QStringLiteral("Невалиден тонаж!"), QStringLiteral("Моля, въведете число за тонаж!")},
                              f.Ton, limits::kTons);
    return QString();
}

Options::Options(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Options"));
    setWindowTitle(screenCaption(QStringLiteral("Настройки")));
    setModal(true);

    m_tbsOptions = new QTabWidget(this);
    m_tbsOptions->setObjectName(QStringLiteral("tbsOptions"));
    for (int i = 0; i < 2; ++i) {
        m_picOptions[i] = new QWidget;
        m_picOptions[i]->setObjectName(QStringLiteral("picOptions_%1").arg(i));
    }

    // "Коли"
    const char *labels1[4] = {"Кола №", "Разход на 100км", "Процент заплата", "Тонаж"};
    QLabel *lbl1[4];
    for (int i = 0; i < 4; ++i) {
        m_txtFields1[i] = new QLineEdit(m_picOptions[0]);
        m_txtFields1[i]->setObjectName(QStringLiteral("txtFields1_%1").arg(i));
        m_txtFields1[i]->setFixedWidth(110);
        // No longer than a trip's car, which a longer number could never get.
        if (i == iKola)
            limitTyping(m_txtFields1[i], kCarLength);
        lbl1[i] = new QLabel(QString::fromUtf8(labels1[i]), m_picOptions[0]);
        lbl1[i]->setObjectName(QStringLiteral("lblLabels1_%1").arg(i));
        lbl1[i]->setBuddy(m_txtFields1[i]);
    }
    auto *carGrid = new QGridLayout;
    carGrid->addWidget(lbl1[iKola], 0, 0);
    carGrid->addWidget(m_txtFields1[iKola], 0, 1);
    carGrid->addWidget(lbl1[iRazhod], 0, 2);
    carGrid->addWidget(m_txtFields1[iRazhod], 0, 3);
    carGrid->addWidget(lbl1[iTon], 1, 0);
    carGrid->addWidget(m_txtFields1[iTon], 1, 1);
    carGrid->addWidget(lbl1[iProcent], 1, 2);
    carGrid->addWidget(m_txtFields1[iProcent], 1, 3);
    carGrid->setColumnMinimumWidth(2, 120);
    carGrid->setHorizontalSpacing(12);
    carGrid->setColumnStretch(4, 1);

    DataForm::Config cfg;
    cfg.statusText = QStringLiteral("Кола № ");
    cfg.addText = QStringLiteral("Добавяне");
    cfg.editText = QStringLiteral("Корекция");
    cfg.deletes = DataForm::Delete::TwoQuestions;
    cfg.errors = DataForm::Errors::InfoBoxDescription;
    cfg.firstLastBeep = false;
    cfg.fieldClick = DataForm::FieldClick::Nothing;
    cfg.hasClose = false;      // the form's own "Затвори" closes
    cfg.keyNavigation = false; // the page has no keys for moving between cars
    auto trimmed = [](const QString &t) {
        const QString s = trimSpaces(t);
        return s.isEmpty() ? QVariant() : QVariant(s);
    };
    // Listed in the order the boxes take the focus.
    m_form = new DataForm(m_picOptions[0], QStringLiteral("1"), m_conn, m_adoConfigRS,
                          {{m_txtFields1[iTon], QStringLiteral("Ton")},
                           {m_txtFields1[iProcent], QStringLiteral("Procent")},
                           {m_txtFields1[iRazhod], QStringLiteral("Razhod")},
                           {m_txtFields1[iKola], QStringLiteral("kola"), {}, trimmed}},
                          cfg);
    m_form->hooks.validate = [this] { return validateCar(); };
    m_form->hooks.setButtons = [this](bool browsing) {
        m_carShown = browsing ? QStringList() : carTexts();
    };
    auto *page0 = new QVBoxLayout(m_picOptions[0]);
    page0->addLayout(carGrid);
    page0->addStretch(1);
    page0->addWidget(m_form->buttonsPanel());
    page0->addWidget(m_form->statusPanel());
    setTabOrder(m_txtFields1[iTon], m_txtFields1[iProcent]);
    setTabOrder(m_txtFields1[iProcent], m_txtFields1[iRazhod]);
    setTabOrder(m_txtFields1[iRazhod], m_txtFields1[iKola]);

    // "Тарифи"
    const QStringList labels2 = tariffLabels();
    auto *trfGrid = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        m_text[i] = new QLineEdit(m_picOptions[1]);
        m_text[i]->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        m_text[i]->setFixedWidth(100);
        m_text[i]->setAlignment(Qt::AlignRight);
        auto *l = new QLabel(labels2.at(i), m_picOptions[1]);
        l->setObjectName(QStringLiteral("lblLabels2_%1").arg(i));
        l->setBuddy(m_text[i]);
        const int col = i < 3 ? 0 : 2;
        trfGrid->addWidget(l, i % 3, col);
        trfGrid->addWidget(m_text[i], i % 3, col + 1);
        QLineEdit *box = m_text[i];
        connect(box, &QLineEdit::textEdited, this, [this, box] { tariffEdited(box); });
    }
    trfGrid->setHorizontalSpacing(12);
    trfGrid->setColumnMinimumWidth(2, 100);
    trfGrid->setColumnStretch(4, 1);
    m_cmdUpdate2 = new QPushButton(QStringLiteral("Запиши"), m_picOptions[1]);
    m_cmdUpdate2->setObjectName(QStringLiteral("cmdUpdate2"));
    m_cmdUpdate2->setAutoDefault(false);
    m_cmdUpdate2->setMinimumWidth(81);
    connect(m_cmdUpdate2, &QPushButton::clicked, this, [this] { saveTariffs(); });
    auto *page1 = new QVBoxLayout(m_picOptions[1]);
    page1->addLayout(trfGrid);
    page1->addStretch(1);
    auto *b2 = new QHBoxLayout;
    b2->addWidget(m_cmdUpdate2);
    b2->addStretch(1);
    page1->addLayout(b2);

    m_tbsOptions->addTab(m_picOptions[0], QStringLiteral("Коли"));
    m_tbsOptions->addTab(m_picOptions[1], QStringLiteral("Тарифи"));
    m_tbsOptions->setTabToolTip(0, QStringLiteral("Задаване параметри на колите"));
    m_tbsOptions->setTabToolTip(1, QStringLiteral("Задаване на цени за км"));
    connect(m_tbsOptions, &QTabWidget::currentChanged, this, &Options::selectTab);

    m_cmdCancel = new QPushButton(QStringLiteral("Затвори"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdCancel->setAutoDefault(false);
    m_cmdCancel->setMinimumWidth(81);
    connect(m_cmdCancel, &QPushButton::clicked, this, &Options::reject);

    auto *lay = new QVBoxLayout(this);
    lay->addWidget(m_tbsOptions);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_cmdCancel);
    lay->addLayout(bottom);
    lay->setSizeConstraint(QLayout::SetFixedSize);

    selectTab(0);
    qApp->installEventFilter(this);
}

Options::~Options()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool Options::load()
{
    try {
        m_conn.open(gConnStr);
    } catch (const DbError &e) {
        m_form->reportError(DataForm::CmdLoad, e);
        return false;
    }
    // The key is read along so that a car number can be tested against the others.
    if (!m_form->open(QStringLiteral("SELECT ID,kola,Razhod,Procent,Ton FROM Config ORDER BY kola")))
        return false;
    try {
        m_adoTarifaRS.open(m_conn, QStringLiteral("SELECT * FROM Tarifi"));
    } catch (const DbError &e) {
        m_form->reportError(DataForm::CmdLoad, e);
        return false;
    }
    showTariffs();
    if (!m_hasTariffs)
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"),
                     joinLines({QStringLiteral("В базата данни няма ред с тарифите!"),
                                QStringLiteral("Тарифите не могат да бъдат показани и записани.")}));
    m_tbsOptions->setCurrentIndex(0);
    return true;
}

void Options::showTariffs()
{
    m_hasTariffs = !m_adoTarifaRS.isEmpty();
    if (m_hasTariffs)
        m_adoTarifaRS.moveFirst();
    const QStringList fields = tariffFields();
    for (int i = 0; i < 6; ++i) {
        QVariant v;
        if (m_hasTariffs)
            v = m_adoTarifaRS.value(fields.at(i));
        // As held (0,1255 stays 0,1255), so saving another band changes no tariff.
        m_text[i]->setText(v.isNull() || !v.isValid() ? QString() : formatExact(v.toDouble(), 3));
        m_text[i]->setEnabled(m_hasTariffs);
    }
    m_cmdUpdate2->setEnabled(m_hasTariffs);
    m_tariffsShown = tariffTexts();
}

void Options::selectTab(int index)
{
    for (int i = 0; i < 2; ++i)
        m_picOptions[i]->setEnabled(i == index);
    if (m_tbsOptions->currentIndex() != index)
        m_tbsOptions->setCurrentIndex(index);
}

QStringList Options::carTexts() const
{
    QStringList texts;
    for (auto *t : m_txtFields1)
        texts << t->text();
    return texts;
}

QStringList Options::tariffTexts() const
{
    QStringList texts;
    for (auto *t : m_text)
        texts << t->text();
    return texts;
}

QStringList Options::unsavedWork() const
{
    QStringList lost;
    if (!m_form->isBrowsing() && carTexts() != m_carShown)
        lost << (m_form->isAdding() ? QStringLiteral("Новата кола не е записана!")
                                    : QStringLiteral("Колата не е записана!"));
    const QStringList tariffs = tariffTexts();
    for (int i = 0; i < tariffs.size() && i < m_tariffsShown.size(); ++i) {
        // "0,5" typed over "0,500" changes nothing.
        const auto now = parseNumber(tariffs.at(i));
        const auto was = parseNumber(m_tariffsShown.at(i));
        if (tariffs.at(i) != m_tariffsShown.at(i) && !(now && was && *now == *was)) {
            lost << QStringLiteral("Тарифите не са записани!");
            break;
        }
    }
    return lost;
}

void Options::reject()
{
    // Every way out (Затвори, Esc, the close box, the main window closing) comes
    // here. Typed values are written only by "Запиши": when some would be lost,
    // the user decides, Enter keeping the screen.
    const QStringList lost = unsavedWork();
    if (!lost.isEmpty()
        && !Dialog::ask(QStringLiteral("ВНИМАНИЕ!"),
                        joinLines(lost + QStringList{QStringLiteral("При затваряне те ще бъдат загубени."),
                                                     QStringLiteral("Да затворя ли без запис?")}),
                        Dialog::Default::Cancel))
        return;
    if (!m_form->isBrowsing())
        m_form->cmdCancel();
    QDialog::reject();
}

bool Options::eventFilter(QObject *obj, QEvent *event)
{
    if (!obj->isWidgetType())
        return false;
    auto *w = static_cast<QWidget *>(obj);
    if (w != this && !isAncestorOf(w))
        return false;
    if (event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
            // Only Ctrl and Shift count; Alt is ignored.
            const auto mods = ke->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
            const int n = m_tbsOptions->count();
            const int cur = m_tbsOptions->currentIndex();
            if (mods == Qt::ControlModifier && ke->key() == Qt::Key_Tab) {
                selectTab((cur + 1) % n);
                return true;
            }
            if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
                selectTab((cur + n - 1) % n);
                return true;
            }
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        for (auto *t : m_text)
            if (t == w)
                t->selectAll();
    }
    return false;
}

void Options::tariffEdited(QLineEdit *box)
{
    const QString msg = checkTariffTyping(box->text());
    if (!msg.isEmpty())
        DiaInf::show(QStringLiteral("ГРЕШКА при въвеждане!"), msg);
}

bool Options::validateCar()
{
    CarFields f;
    f.kola = m_txtFields1[iKola]->text();
    f.Razhod = m_txtFields1[iRazhod]->text();
    f.Procent = m_txtFields1[iProcent]->text();
    f.Ton = m_txtFields1[iTon]->text();
    bool taken = false;
    if (!IsBlank(f.kola)) {
        try {
            QVariant id;
            if (!m_form->isAdding() && !m_adoConfigRS.bof() && !m_adoConfigRS.eof())
                id = m_adoConfigRS.value(QStringLiteral("ID"));
            taken = m_conn.scalar(QStringLiteral("SELECT count(*) FROM Config WHERE kola=? AND ID<>?"),
                                  {trimSpaces(f.kola), id.isNull() ? QVariant(-1) : id})
                        .toInt()
                > 0;
        } catch (const DbError &e) {
            m_form->reportError(DataForm::CmdUpdate, e);
            return false;
        }
    }
    const QString msg = checkCarFields(f, taken);
    if (!msg.isEmpty()) {
        DiaInf::show(QStringLiteral("ГРЕШКА при запис!"), msg);
        return false;
    }
    return true;
}

bool Options::saveTariffs()
{
    if (!m_hasTariffs)
        return false;
    QStringList texts;
    for (auto *t : m_text)
        texts << t->text();
    if (const auto bad = firstBadTariff(texts)) {
        DiaInf::show(QStringLiteral("ГРЕШКА при запис!"),
                     settingRefusal({QStringLiteral("Невалидна тарифа \"%1\"!").arg(tariffLabels().at(*bad)),
                                     QStringLiteral("Моля, въведете число.")},
                                    texts.at(*bad), limits::kPrice));
        return false;
    }
    const QStringList fields = tariffFields();
    try {
        m_conn.beginTrans();
        try {
            for (int i = 0; i < 6; ++i)
                m_adoTarifaRS.setValue(fields.at(i), *parseSetting(texts.at(i), limits::kPrice));
            m_adoTarifaRS.setValue(QStringLiteral("DateMod"), QDate::currentDate());
            m_adoTarifaRS.setValue(QStringLiteral("TimeMod"), QTime::currentTime());
            m_adoTarifaRS.update();
            m_conn.commitTrans();
        } catch (...) {
            m_conn.rollbackTrans();
            throw;
        }
    } catch (const DbError &e) {
        // Another user wrote the tariffs meanwhile: nothing of these is written,
        // and the boxes show the tariffs as stored now.
        if (isRefusedWrite(e)) {
            try {
                showTariffs();
            } catch (const DbError &) {
            }
        }
        DiaInf::show(QStringLiteral("ГРЕШКА при запис!"), e.description());
        return false;
    }
    m_tariffsShown = texts;
    return true;
}

void showOptions()
{
    Options w(openingWindow());
    if (!w.load())
        return;
    w.exec();
}

} // namespace kelm
