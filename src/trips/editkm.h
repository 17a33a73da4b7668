#pragma once
// EditKM: the kilometre correction. One car's trips of a period still standing
// at 1 km, in a grid whose "Км" and "Тар." cells take typing after F4; a changed
// trip gets its amounts computed again and is stored when the grid leaves it.

#include <QDialog>

#include "platform/database.h"
#include "trips/amounts.h"

#include <QHash>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelm {

class Grid;

class EditKM : public QDialog {
    Q_OBJECT
public:
    explicit EditKM(QWidget *parent = nullptr);
    ~EditKM() override;

    // Reads the car and the period from DiaSeek and lists the trips. False after
    // the failure was reported; the screen is then not shown.
    bool load();

    Recordset &trips() { return adoRS; }

    QLineEdit *Text1 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    Grid *GridEX1 = nullptr;
    QPushButton *cmdClose = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    // Every way out ("Затвори", Esc, the close box, a close from outside) ends here.
    void done(int result) override;

private:
    void GridEX1_KeyDown(int &keyCode, int shift);
    void recompute(int row, int col);
    // The message that refuses a km or tariff typed into a row ("" takes it).
    QString cellRefusal(int row, int col, const QString &typed) const;

    Connection db;
    Recordset adoRS;
    BandTariffs m_bands;
    // The kilometres each row shows, so that a correction knows the band it leaves.
    QHash<int, double> m_km;
};

// Shows the kilometre correction modally for DiaSeek's car and period.
void showEditKM();

} // namespace kelm
