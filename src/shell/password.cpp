#include "shell/password.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/messages.h"
#include "platform/boxlength.h"
#include "platform/dataform.h"
#include "platform/placement.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kelm {

namespace {
enum { iName = 0, iPassword, iKind };
}

QString checkUserFields(const QString &name, const QString &password, const QString &kind,
                        const QString &signedInKind, int *field)
{
    auto fail = [field](int box, const char *first, const char *second) {
        if (field)
            *field = box;
        return joinLines({QString::fromUtf8(first), QString::fromUtf8(second)});
    };
    if (isBlankCredential(name))
        return fail(iName, "Няма въведено име на потребителя!", "Моля, въведете име на потребителя!");
    if (isBlankCredential(password))
        return fail(iPassword, "Няма въведена парола на потребителя!", "Моля, въведете парола на потребителя!");
    const QString stored = userKindAsStored(kind);
    if (stored.isEmpty())
        return fail(iKind, "Няма въведен вид достъп!", "Моля, въведете една буква за вид достъп!");
    if (stored.size() > kUserKindLength)
        return fail(iKind, "Вид достъп е повече от една буква!", "Моля, въведете една буква за вид достъп!");
    if (!isUserKind(stored))
        return fail(iKind, "Вид достъп не е буква!", "Моля, въведете една буква за вид достъп!");
    if (stored == QLatin1String("A") && signedInKind != QLatin1String("A"))
        return fail(iKind, "Само администратор дава вид достъп A!",
                    "Моля, въведете друг вид достъп на потребителя!");
    return QString();
}

PassWord::PassWord(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PassWord"));
    setWindowTitle(QStringLiteral("Пароли"));
    setModal(true);

    auto *frame = new QGroupBox(QStringLiteral("Потребители "), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(frame);
    const char *labels[3] = {"Име:", "Парола:", "Вид достъп:"};
    for (int i = 0; i < 3; ++i) {
        auto *lbl = new QLabel(QString::fromUtf8(labels[i]), frame);
        lbl->setObjectName(QStringLiteral("lblLabels_%1").arg(i));
        m_txtFields[i] = new QLineEdit(frame);
        m_txtFields[i]->setObjectName(QStringLiteral("txtFields_%1").arg(i));
        lbl->setBuddy(m_txtFields[i]);
        grid->addWidget(lbl, i, 0);
        grid->addWidget(m_txtFields[i], i, 1);
    }
    m_txtFields[iName]->setMinimumWidth(200);
    limitTyping(m_txtFields[iKind], kUserKindLength);
    m_txtFields[iKind]->setMaximumWidth(40);
    grid->setColumnStretch(1, 1);

    DataForm::Config cfg;
    cfg.statusText = QStringLiteral(" Потребител №:");
    cfg.addText = QStringLiteral(" Нов потребител");
    cfg.editText = QStringLiteral(" Корекция на потребител");
    // A user goes only after both questions: with the focus on "Изтрий" one key
    // would remove a user who then cannot sign in.
    cfg.deletes = DataForm::Delete::TwoQuestions;
    cfg.errors = DataForm::Errors::MessageBox;
    cfg.firstLastBeep = true;
    cfg.fieldClick = DataForm::FieldClick::StartsEditing;
    // Name and password are stored exactly as typed: the sign-in compares whole
    // texts.
    auto asTyped = [](const QString &t) { return QVariant(t.isNull() ? QStringLiteral("") : t); };
    auto asKind = [](const QString &t) { return QVariant(userKindAsStored(t)); };
    m_form = new DataForm(this, QString(), m_conn, m_adoPrimaryRS,
                          {{m_txtFields[iName], QStringLiteral("Ime"), {}, asTyped},
                           {m_txtFields[iPassword], QStringLiteral("Password"), {}, asTyped},
                           {m_txtFields[iKind], QStringLiteral("Vid"), {}, asKind}},
                          cfg);
    m_form->hooks.validate = [this] { return validate(); };

    auto *lay = new QVBoxLayout(this);
    lay->addWidget(frame);
    lay->addWidget(m_form->buttonsPanel());
    lay->addWidget(m_form->statusPanel());
    lay->setSizeConstraint(QLayout::SetFixedSize);
}

PassWord::~PassWord() = default;

bool PassWord::validate()
{
    int field = iName;
    const QString msg = checkUserFields(m_txtFields[iName]->text(), m_txtFields[iPassword]->text(),
                                        m_txtFields[iKind]->text(), gUserVid, &field);
    if (msg.isEmpty())
        return true;
    DiaInf::show(QStringLiteral("ГРЕШКА при запис!"), msg);
    // The box the message is about, ready to be typed over.
    m_txtFields[field]->setFocus();
    m_txtFields[field]->selectAll();
    return false;
}

bool PassWord::load()
{
    try {
        m_conn.open(gConnStr);
    } catch (const DbError &e) {
        m_form->reportError(DataForm::CmdLoad, e);
        return false;
    }
    // Administrators are neither shown nor editable here.
    return m_form->open(QStringLiteral("SELECT * FROM Users WHERE Vid<>'A' ORDER BY Vid"));
}

void showPassWord()
{
    PassWord w(openingWindow());
    if (!w.load())
        return;
    w.exec();
}

} // namespace kelm
