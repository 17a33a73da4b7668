#pragma once
// PassWord: the users screen (every user but the administrators), a record
// screen on the data form.
#include "platform/database.h"
#include "shell/userrules.h"

#include <QDialog>
#include <QString>

class QLineEdit;

namespace kelm {

class DataForm;

// Checks a user about to be saved by a user of kind signedInKind, in the order
// of the boxes; the message of the first that fails (two lines joined by "\r"),
// or "" when all pass; field, when given, is set to the failing box (0 name,
// 1 password, 2 kind). Names and passwords are kept as typed, but a blank one
// (isBlankCredential: only white space of any kind) never signs in; the kind is
// one letter, and only an administrator gives the kind "A".
QString checkUserFields(const QString &name, const QString &password, const QString &kind,
                        const QString &signedInKind, int *field = nullptr);

class PassWord : public QDialog {
    Q_OBJECT
public:
    explicit PassWord(QWidget *parent = nullptr);
    ~PassWord() override;
    // Opens the connection and the users; false (after the message) when it fails.
    bool load();

    DataForm *form() const { return m_form; }

private:
    bool validate();

    Connection m_conn;
    Recordset m_adoPrimaryRS;
    QLineEdit *m_txtFields[3];
    DataForm *m_form = nullptr;
};

// Menu Служебна > Пароли: shows the users screen modally.
void showPassWord();

} // namespace kelm
