#pragma once
// DAI: the one-page attestation ("Удостоверение ДАИ") that a driver was on sick
// leave, on annual leave, or drove a vehicle outside the scope of Regulation (EC)
// No 561/2006 or AETR during a period. The company block comes from the company
// data, the driver block from shof; the period is typed and the reason ticked.
// Printed on rptDAI; nothing is stored. Modeless, one instance.

#include "dialogs/messages.h"
#include "platform/database.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelm {

class Report;

// The birth date a personal number (EGN) tells: digits 1-2 the year, 3-4 the
// month (plus 40 from the year 2000 on), 5-6 the day. 41-52 give the month
// without a leading zero and 20yy (054115… -> "15.1.2005"); 1-12 give the stored
// digits and 19yy (750312… -> "12.03.1975"). Fewer than six leading digits, a month
// outside those, or a day the month does not have give "".
QString birthDateFromEgn(const QString &egn);

// Item 17 as the screen shows it and as the printout has it.
QString daiItem17Screen();
QString daiItem17Print();
// The three notes at the top of the printout, lines joined by "\r".
QString daiNotes();

// Top of the cross of items 13, 14 and 15 in the page header, twips; 0 for none.
int daiCrossTop(int item);

class DAI : public QDialog {
    Q_OBJECT
public:
    explicit DAI(QWidget *parent = nullptr);
    ~DAI() override;

    static DAI *instance();

    // Fills the company block and the driver list. False after a failure was reported.
    bool load();
    // Loads the driver whose name the list shows. False when none was loaded
    // (the message was shown).
    bool Combo1_Click();
    void cmdPrint_Click();

    QString driverName() const { return m_name; }
    QString birthDate() const { return m_born; }
    QString idCard() const { return m_idCard; }

    QLabel *lblFirmaName = nullptr;
    QLabel *lblFirmaAdres = nullptr;
    QLabel *lblFirmaTel = nullptr;
    QLabel *lblFirmaFax = nullptr;
    QLabel *lblFirmaEmail = nullptr;
    QLabel *lblFirmaMOL = nullptr;
    QLabel *Label1 = nullptr; // item 7
    QComboBox *Combo1 = nullptr;
    QLabel *lblDriverName = nullptr;
    QLabel *lblDriverBorn = nullptr;
    QLabel *lblDriverLK = nullptr;
    QLineEdit *Text1_0 = nullptr;
    QLineEdit *Text1_1 = nullptr;
    QLabel *lblDataStart = nullptr;
    QLabel *lblDataStop = nullptr;
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QCheckBox *Check3 = nullptr;
    QLabel *Label2 = nullptr; // item 16
    QLabel *lblT17 = nullptr;
    QLabel *Label4 = nullptr; // item 18
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdClose = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    // A period box left: a real date goes into its label; anything else is refused.
    bool Text1_LostFocus(int index);
    // The driver the box shows, loaded for the print; a name not of the list is
    // refused with a message.
    bool pickShownDriver();
    void tickOnly(QCheckBox *ticked);

    Connection m_conn;
    Recordset adoNameRS;
    bool m_picked = false;
    bool m_checking = false;
    // The check each period box schedules when it is left.
    LeaveCheck m_leaveCheck[2] = {LeaveCheck(this), LeaveCheck(this)};
    QString m_name, m_born, m_idCard;
};

// Данни > ДАИ: shows the screen modeless, or brings the open one forward.
void showDAI();

// The design's instance.
Report &rptDAI();

} // namespace kelm
