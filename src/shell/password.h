#pragma once
// PassWord: the users screen (every user but the administrators), a record
// screen on the data form.
#include "platform/database.h"

#include <QDialog>

class QLineEdit;

namespace kelm {

class DataForm;

class PassWord : public QDialog {
    Q_OBJECT
public:
    explicit PassWord(QWidget *parent = nullptr);
    ~PassWord() override;
    // Opens the connection and the users; false (after the message) when it fails.
    bool load();

    DataForm *form() const { return m_form; }

private:
    Connection m_conn;
    Recordset m_adoPrimaryRS;
    QLineEdit *m_txtFields[3];
    DataForm *m_form = nullptr;
};

// Menu Служебна > Пароли: shows the users screen modally.
void showPassWord();

} // namespace kelm
