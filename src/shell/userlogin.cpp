#include "shell/userlogin.h"

#include "common/globals.h"
#include "dialogs/messages.h"
#include "dialogs/mousepointer.h"
#include "platform/database.h"
#include "platform/fittexts.h"
#include "shell/userrules.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace kelm {

namespace {

constexpr int tw(int twips) { return twips / 15; }


// Set when the last CheckUser could not read the users at all; the sign-in then
// reports the database fault instead of calling the password wrong.
bool s_lastCheckFailed = false;
// Set when the last CheckUser found the name typed only on a user stored with a
// blank password: such a user never signs in, and hears whom to ask.
bool s_lastWithoutPassword = false;

} // namespace

QString CheckUser(const QString &password, const QString &userName)
{
    gLoginOK = false;
    s_lastCheckFailed = false;
    s_lastWithoutPassword = false;
    WaitCursor wait;
    QString result;
    bool empty = false;
    bool nameWithPassword = false, nameWithoutPassword = false;
    try {
        Connection conn;
        conn.open(gConnStr);
        Recordset rs;
        // For equal names the row read last wins, so the order is made definite.
        rs.open(conn, QStringLiteral("SELECT * FROM Users ORDER BY Ime, ID"));
        if (rs.recordCount() > 0) {
            for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
                const QVariant pw = rs.value(QStringLiteral("Password"));
                const QVariant name = rs.value(QStringLiteral("Ime"));
                // A blank name or password never signs in, whatever the table
                // holds: else empty boxes and Enter would let anyone in.
                const bool signsIn = canSignIn(name, pw);
                if (!isBlankCredential(userName) && name.toString() == userName)
                    (signsIn ? nameWithPassword : nameWithoutPassword) = true;
                if (!signsIn)
                    continue;
                if (pw.toString() == password && name.toString() == userName) {
                    result = rs.value(QStringLiteral("Vid")).toString();
                    gLoginOK = true;
                }
            }
        } else {
            empty = true;
        }
        rs.close();
        conn.close();
    } catch (const DbError &e) {
        s_lastCheckFailed = true;
        gLoginOK = false;
        msgBox(e.text(), QString(), true);
        return QString();
    }
    s_lastWithoutPassword = nameWithoutPassword && !nameWithPassword;
    if (empty)
        msgBox(QStringLiteral("Постави въвеждане на администратор"));
    return result;
}

UserLogin::UserLogin(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("UserLogin"));
    setWindowTitle(QStringLiteral("Парола"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setModal(true);

    const QStringList captions = {QStringLiteral("Потребител"), QStringLiteral("Парола")};
    for (int i = 0; i < 2; ++i) {
        lblLabels[i] = new QLabel(captions.at(i), this);
        lblLabels[i]->setObjectName(QStringLiteral("lblLabels"));
        lblLabels[i]->setProperty("index", i);
        lblLabels[i]->setGeometry(tw(120), tw(150) + i * tw(420), tw(1230), tw(300));
    }

    txtUserName = new QLineEdit(this);
    txtUserName->setObjectName(QStringLiteral("txtUserName"));
    txtUserName->setToolTip(QStringLiteral("Въведи име на потребител"));
    txtUserName->setGeometry(tw(1365), tw(120), tw(2265), tw(330));

    // The pick list covers the name box exactly; the name box shows once a name
    // has been chosen from the list.
    Combo = new QComboBox(this);
    Combo->setObjectName(QStringLiteral("Combo"));
    Combo->setEditable(true);
    Combo->setInsertPolicy(QComboBox::NoInsert);
    Combo->setGeometry(txtUserName->geometry());
    Combo->setToolTip(txtUserName->toolTip());
    Combo->raise();
    Combo->installEventFilter(this);
    // The name box is under the list while the list shows; keep the Tab key off it.
    txtUserName->setFocusPolicy(Qt::NoFocus);

    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    txtPassword->setToolTip(QStringLiteral("Въведи код за достъп"));
    txtPassword->setGeometry(tw(1365), tw(540), tw(2265), tw(330));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setToolTip(QStringLiteral("Потвърждение на въведените данни"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdOK->setGeometry(tw(600), tw(990), tw(1200), tw(345));

    cmdCancel = new QPushButton(QStringLiteral("Изход"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setToolTip(QStringLiteral("Отказ от въведените данни"));
    cmdCancel->setAutoDefault(false);
    cmdCancel->setGeometry(tw(1950), tw(990), tw(1200), tw(345));

    setTabOrder(Combo, txtUserName);
    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    setFixedSize(tw(3750), tw(1425));
    fitTexts(this);
    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());

    // Whatever is typed into the list's own text is the name to check, also when
    // Enter confirms without the list ever losing the focus.
    connect(Combo, &QComboBox::editTextChanged, txtUserName, &QLineEdit::setText);
    connect(Combo, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (index < 0)
            return;
        txtUserName->setText(Combo->itemText(index));
        hideCombo();
        txtPassword->setFocus();
    });
    connect(cmdOK, &QPushButton::clicked, this, &UserLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &UserLogin::cmdCancel_Click);

    Form_Load();
    Combo->setFocus();
}

void UserLogin::Form_Load()
{
    WaitCursor wait;
    try {
        Connection conn;
        conn.open(gConnStr);
        Recordset rs;
        rs.open(conn, QStringLiteral("SELECT * FROM Users ORDER BY Vid"));
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            const QVariant vid = rs.value(QStringLiteral("Vid"));
            if (vid.isNull())
                continue;
            const QString v = vid.toString();
            const QString name = rs.value(QStringLiteral("Ime")).toString();
            // A blank name cannot sign in, so it is not offered.
            if (v != QLatin1String("A") && v != QLatin1String("B") && !isBlankCredential(name))
                Combo->addItem(name);
        }
        rs.close();
        conn.close();
    } catch (const DbError &e) {
        // The dialog still opens, so that the user can leave it with "Изход".
        msgBox(e.text(), QString(), true);
    }
    Combo->setCurrentIndex(-1);
    Combo->setEditText(QString());
}

void UserLogin::hideCombo()
{
    if (Combo->isHidden())
        return;
    Combo->hide();
    txtUserName->setFocusPolicy(Qt::StrongFocus);
}

bool UserLogin::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Combo && event->type() == QEvent::FocusOut && !Combo->isHidden())
        txtUserName->setText(Combo->currentText());
    return QDialog::eventFilter(watched, event);
}

void UserLogin::cmdOK_Click()
{
    if (!Combo->isHidden())
        txtUserName->setText(Combo->currentText());
    const QString vid = CheckUser(txtPassword->text(), txtUserName->text());
    if (gLoginOK) {
        gUserVid = vid;
        OK = true;
        accept();
        return;
    }
    if (s_lastWithoutPassword)
        msgBox(QStringLiteral("Потребителят няма парола! ") + QLatin1Char('\r')
                   + QStringLiteral("Помолете администратора да ви даде парола! "),
               QStringLiteral("Парола"));
    else if (!s_lastCheckFailed)
        msgBox(QStringLiteral("Парола е невалидна! ") + QLatin1Char('\r') + QStringLiteral("Опитайте отново! "),
               QStringLiteral("Парола"));
    // The name box must show to take the focus.
    hideCombo();
    txtUserName->setFocus();
    txtUserName->selectAll();
}

void UserLogin::cmdCancel_Click()
{
    reject();
}

void UserLogin::reject()
{
    OK = false;
    QDialog::reject();
}

bool runUserLogin()
{
    UserLogin dlg;
    dlg.exec();
    return dlg.OK;
}

} // namespace kelm
