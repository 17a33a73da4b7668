#include "shell/companydata.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "dialogs/diainf.h"
#include "dialogs/dialog.h"
#include "dialogs/messages.h"
#include "dialogs/mousepointer.h"
#include "platform/database.h"
#include "platform/singlewindow.h"
#include "platform/version.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelm {

namespace {


std::function<void()> s_companyChanged;
QPointer<Personal> s_personal;

void showMissingRow()
{
    msgBox(QStringLiteral("Липсват данни!") + QLatin1Char('\r') + QStringLiteral("Излизам от програмата!"),
           QStringLiteral("ВНИМАНИЕ!"), BoxIcon::Exclamation);
}

QString optional(const QString &s)
{
    const QString t = trimSpaces(s);
    return t.isEmpty() ? QStringLiteral(" ") : t;
}

CompanyData fromRow(const Recordset &rs)
{
    auto f = [&](const char *field) { return rs.value(QLatin1String(field)).toString(); };
    CompanyData d;
    d.name = f("UserName");
    d.address = f("UserAdres");
    d.mol = f("UserMOL");
    d.bulstat = f("UserBULSTAT");
    d.taxNo = f("UserDanN");
    d.email = f("UserEmail");
    d.city = f("UserCity");
    d.country = f("UserCountry");
    d.tel = f("UserTel");
    d.gsm = f("UserGSM");
    d.url = f("UserURL");
    return d;
}

void setGlobals(const CompanyData &d)
{
    gFirmName = d.name;
    gFirmAddress = d.address;
    gFirmTel = d.tel;
    gFirmGSM = d.gsm;
    gFirmCity = d.city;
    gFirmMOL = d.mol;
    gFirmBulstat = d.bulstat;
    gFirmTaxNo = d.taxNo;
    gFirmEmail = d.email;
    gFirmCountry = d.country;
    gFirmURL = d.url;
}

// Reads the one company row; false when the table has none. Throws DbError.
bool readCompanyRow(CompanyData *d, RowAsRead *read)
{
    Connection conn;
    conn.open(gConnStr);
    Recordset rs;
    rs.open(conn, QStringLiteral("SELECT * FROM KelmCfg ORDER BY ID"));
    if (rs.recordCount() == 0)
        return false;
    rs.moveFirst();
    *d = fromRow(rs);
    if (read)
        *read = rs.rowAsRead();
    rs.close();
    conn.close();
    return true;
}

} // namespace

void setCompanyChangedHandler(std::function<void()> handler)
{
    s_companyChanged = std::move(handler);
}

void notifyCompanyChanged()
{
    if (s_companyChanged)
        s_companyChanged();
}

CompanyData normalizedCompanyData(const CompanyData &d)
{
    CompanyData n;
    n.name = trimSpaces(d.name);
    n.address = trimSpaces(d.address);
    n.city = trimSpaces(d.city);
    n.tel = trimSpaces(d.tel);
    n.gsm = trimSpaces(d.gsm);
    n.mol = optional(d.mol);
    n.bulstat = optional(d.bulstat);
    n.taxNo = optional(d.taxNo);
    n.email = optional(d.email);
    n.country = optional(d.country);
    n.url = optional(d.url);
    return n;
}

QStringList companyDataProblem(const CompanyData &d)
{
    if (IsBlank(d.name))
        return {QStringLiteral("Името на фирмата не е въведено!"), QStringLiteral("Моля, въведете името на фирмата!")};
    if (IsBlank(d.address))
        return {QStringLiteral("Адреса на фирмата не е въведен!"), QStringLiteral("Моля, въведете адреса на фирмата!")};
    if (IsBlank(d.city))
        return {QStringLiteral("Населеното място на фирмата не е въведено!"),
                QStringLiteral("Моля, въведете населеното място на фирмата!")};
    if (IsBlank(d.tel))
        return {QStringLiteral("Телефона на фирмата не е въведен!"), QStringLiteral("Моля, въведете телефона на фирмата!")};
    if (IsBlank(d.gsm))
        return {QStringLiteral("Номера на факса на фирмата не е въведен!"),
                QStringLiteral("Моля, въведете номера на факса на фирмата!")};
    return {};
}

bool LoadCompanyData()
{
    WaitCursor wait;
    CompanyData d;
    try {
        if (!readCompanyRow(&d, nullptr)) {
            showMissingRow();
            return false;
        }
    } catch (const DbError &e) {
        msgBox(e.text(), QStringLiteral("ВНИМАНИЕ!"), true);
        return false;
    }
    setGlobals(normalizedCompanyData(d));
    return true;
}

// ---------------------------------------------------------------------------

Personal *Personal::instance()
{
    return s_personal.data();
}

Personal::Personal(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Personal"));
    setWindowTitle(QStringLiteral(" Инициализация"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    Frame1 = new QGroupBox(QStringLiteral("Данни за фирмата "), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(Frame1);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);

    auto box = [this](const char *name, bool required) {
        auto *e = new QLineEdit(Frame1);
        e->setObjectName(QLatin1String(name));
        if (required) {
            // The boxes that must be filled stand out in pale yellow.
            QPalette p = e->palette();
            p.setColor(QPalette::Base, QColor(255, 255, 128));
            p.setColor(QPalette::Text, QColor(0, 0, 128));
            e->setPalette(p);
        }
        return e;
    };
    txtFirmaName = box("txtFirmaName", true);
    txtFirmaAdres = box("txtFirmaAdres", true);
    txtFirmaCity = box("txtFirmaCity", true);
    txtFirmaCountry = box("txtFirmaCountry", false);
    txtFirmaDanN = box("txtFirmaDanN", false);
    txtFirmaBULSTAT = box("txtFirmaBULSTAT", false);
    txtFirmaMOL = box("txtFirmaMOL", false);
    txtFirmaEmail = box("txtFirmaEmail", false);
    txtFirmaTel = box("txtFirmaTel", true);
    txtFirmaFax = box("txtFirmaFax", true);
    txtFirmaURL = box("txtFirmaURL", false);

    auto label = [this](const char *text, QLineEdit *buddy) {
        auto *l = new QLabel(QString::fromUtf8(text), Frame1);
        l->setBuddy(buddy);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    // Rows: name; address; city, country; tax no, BULSTAT; manager; e-mail;
    // telephone, GSM; URL. One-box rows span the width of the two-box rows.
    auto wide = [&](int row, const char *text, QLineEdit *e) {
        grid->addWidget(label(text, e), row, 0);
        grid->addWidget(e, row, 1, 1, 3);
    };
    auto pair = [&](int row, const char *t1, QLineEdit *e1, const char *t2, QLineEdit *e2) {
        grid->addWidget(label(t1, e1), row, 0);
        grid->addWidget(e1, row, 1);
        grid->addWidget(label(t2, e2), row, 2);
        grid->addWidget(e2, row, 3);
    };
    wide(0, "Име:", txtFirmaName);
    wide(1, "Адрес:", txtFirmaAdres);
    pair(2, "Град:", txtFirmaCity, "Държава:", txtFirmaCountry);
    pair(3, "Дан.№:", txtFirmaDanN, "БУЛСТАТ:", txtFirmaBULSTAT);
    wide(4, "МОЛ:", txtFirmaMOL);
    wide(5, "E-mail:", txtFirmaEmail);
    pair(6, "Телефон:", txtFirmaTel, "GSM:", txtFirmaFax);
    wide(7, "URL:", txtFirmaURL);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnMinimumWidth(1, 150);
    grid->setColumnMinimumWidth(3, 150);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Отказ"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(cmdCancel);
    auto *main = new QVBoxLayout(this);
    main->addWidget(Frame1);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    const QList<QWidget *> order = {OKButton,       txtFirmaName,  txtFirmaAdres,  txtFirmaDanN,
                                    txtFirmaBULSTAT, txtFirmaMOL,   txtFirmaEmail,  txtFirmaCountry,
                                    txtFirmaCity,    txtFirmaFax,   txtFirmaTel,    txtFirmaURL,
                                    cmdCancel};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    connect(OKButton, &QPushButton::clicked, this, &Personal::OKButton_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &Personal::cmdCancel_Click);
    OKButton->setFocus();
}

Personal::~Personal() = default;

bool Personal::Form_Load()
{
    WaitCursor wait;
    CompanyData d;
    try {
        if (!readCompanyRow(&d, &m_read)) {
            showMissingRow();
            return false;
        }
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"), e.text());
        return false;
    }
    const CompanyData n = normalizedCompanyData(d);
    setGlobals(n);
    m_shown = n;
    txtFirmaName->setText(n.name);
    txtFirmaAdres->setText(n.address);
    txtFirmaMOL->setText(n.mol);
    txtFirmaBULSTAT->setText(n.bulstat);
    txtFirmaDanN->setText(n.taxNo);
    txtFirmaEmail->setText(n.email);
    txtFirmaCity->setText(n.city);
    txtFirmaCountry->setText(n.country);
    txtFirmaTel->setText(n.tel);
    txtFirmaFax->setText(n.gsm);
    txtFirmaURL->setText(n.url);
    return true;
}

CompanyData Personal::typed() const
{
    CompanyData d;
    d.name = txtFirmaName->text();
    d.address = txtFirmaAdres->text();
    d.mol = txtFirmaMOL->text();
    d.bulstat = txtFirmaBULSTAT->text();
    d.taxNo = txtFirmaDanN->text();
    d.email = txtFirmaEmail->text();
    d.city = txtFirmaCity->text();
    d.country = txtFirmaCountry->text();
    d.tel = txtFirmaTel->text();
    d.gsm = txtFirmaFax->text();
    d.url = txtFirmaURL->text();
    return d;
}

void Personal::OKButton_Click()
{
    const CompanyData d = typed();
    const QStringList problem = companyDataProblem(d);
    if (!problem.isEmpty()) {
        msgBox(problem.join(QStringLiteral("\r\n\r\n")), QStringLiteral("   ВНИМАНИЕ!"), true);
        return;
    }
    const CompanyData n = normalizedCompanyData(d);
    try {
        WaitCursor wait;
        Connection conn;
        conn.open(gConnStr);
        conn.beginTrans();
        try {
            // Only while the row is as this screen read it: another user's
            // change meanwhile is not written over.
            m_read.signature = updateRowAsRead(
                conn, m_read,
                {QStringLiteral("UserName"), QStringLiteral("UserAdres"), QStringLiteral("UserCity"),
                 QStringLiteral("UserCountry"), QStringLiteral("UserDanN"), QStringLiteral("UserBULSTAT"),
                 QStringLiteral("UserMOL"), QStringLiteral("UserEmail"), QStringLiteral("UserTel"),
                 QStringLiteral("UserGSM"), QStringLiteral("UserURL")},
                {n.name, n.address, n.city, n.country, n.taxNo, n.bulstat, n.mol, n.email, n.tel, n.gsm, n.url});
            conn.commitTrans();
        } catch (...) {
            conn.rollbackTrans();
            throw;
        }
        conn.close();
    } catch (const DbError &e) {
        // Changed by another user: the boxes show the company's data as stored now.
        if (e.number() == ErrWriteConflict)
            Form_Load();
        DiaInf::show(QStringLiteral("ГРЕШКА при запис!"), e.text());
        return;
    }
    setGlobals(n);
    m_shown = n;
    notifyCompanyChanged();
    close();
}

void Personal::cmdCancel_Click()
{
    m_dropTyped = true;
    close();
    m_dropTyped = false;
}

void Personal::reject()
{
    // Esc, the close box and the main window closing come here. What was typed
    // is written only by "OK"; when some would be lost, the user decides, Enter
    // keeping the window. "Отказ" is the user's own choice to drop it.
    const auto fields = [](const CompanyData &d) {
        return QStringList{d.name, d.address, d.mol, d.bulstat, d.taxNo, d.email,
                           d.city, d.country, d.tel, d.gsm, d.url};
    };
    if (!m_dropTyped && fields(normalizedCompanyData(typed())) != fields(m_shown)
        && !Dialog::ask(QStringLiteral("ВНИМАНИЕ!"),
                        joinLines({QStringLiteral("Данните за фирмата не са записани!"),
                                   QStringLiteral("При затваряне те ще бъдат загубени."),
                                   QStringLiteral("Да затворя ли без запис?")}),
                        Dialog::Default::Cancel))
        return;
    QDialog::reject();
}

void showPersonal(QWidget *parent)
{
    showSingle(s_personal, [parent] {
        auto *w = new Personal(parent);
        if (!w->Form_Load()) {
            delete w;
            return static_cast<Personal *>(nullptr);
        }
        w->OKButton->setFocus();
        return w;
    });
}

} // namespace kelm
