#include "shell/password.h"

#include "common/globals.h"
#include "platform/dataform.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kelm {

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
    m_txtFields[0]->setMinimumWidth(200);
    // The kind is one letter.
    m_txtFields[2]->setMaximumWidth(40);
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
    // Stored exactly as typed: the sign-in compares whole texts, so a password
    // of blanks must stay blanks, and an empty text stays a text (a user whose
    // kind is left empty is still listed here and can be corrected).
    auto asTyped = [](const QString &t) { return QVariant(t.isNull() ? QStringLiteral("") : t); };
    m_form = new DataForm(this, QString(), m_conn, m_adoPrimaryRS,
                          {{m_txtFields[0], QStringLiteral("Ime"), {}, asTyped},
                           {m_txtFields[1], QStringLiteral("Password"), {}, asTyped},
                           {m_txtFields[2], QStringLiteral("Vid"), {}, asTyped}},
                          cfg);

    auto *lay = new QVBoxLayout(this);
    lay->addWidget(frame);
    lay->addWidget(m_form->buttonsPanel());
    lay->addWidget(m_form->statusPanel());
    lay->setSizeConstraint(QLayout::SetFixedSize);
}

PassWord::~PassWord() = default;

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
    PassWord w(QApplication::activeWindow());
    if (!w.load())
        return;
    w.exec();
}

} // namespace kelm
