#pragma once
// Driver: the drivers' screen (table shof), a record screen on the data form,
// and the checks a driver's fields must pass before they are saved.
#include "platform/database.h"

#include <QDialog>
#include <QString>

class QLineEdit;

namespace kelm {

class DataForm;

// The fields of one driver as typed.
struct DriverFields {
    QString kod, ime, EGN, LKarta, adres, tel, mob;
};

// The lengths of a driver's fields, as the checks count them (trimmed): the
// name, mobile, telephone and address at most, the code, personal number and
// identity card exactly. The boxes take no more by typing.
constexpr int kDriverNameLength = 50;
constexpr int kDriverMobileLength = 12;
constexpr int kDriverPhoneLength = 10;
constexpr int kDriverAddressLength = 60;
constexpr int kDriverEgnLength = 10;
constexpr int kDriverCodeLength = 3;
constexpr int kDriverIdCardLength = 9;

// Runs every length check on the trimmed texts in the screen's order and gives
// back the message of the last one that fails (two lines joined by "\r"), or ""
// when all pass.
QString checkDriverFields(const DriverFields &f);

// The message for a code another driver already has.
QString duplicateDriverCodeMessage();

class Driver : public QDialog {
    Q_OBJECT
public:
    explicit Driver(QWidget *parent = nullptr);
    ~Driver() override;
    // Opens the connection and the drivers; false (after the message) when it fails.
    bool load();

    DataForm *form() const { return m_form; }

private:
    bool validate();
    DriverFields typed() const;

    Connection m_conn;
    Recordset m_adoPrimaryRS;
    // Indexed as the design has them: adres, EGN, ime, kod, LKarta, mob, tel.
    QLineEdit *m_txtFields[7];
    DataForm *m_form = nullptr;
};

// Данни > Шофьори: shows the drivers' screen modally.
void showDriver();

} // namespace kelm
