#pragma once
// The trip editor Kurs: new trips ("NewKurs") and the correction of one car's
// trips over a period ("EditKurs"), on the record-screen template. The checks,
// amounts and the expense line live in tripsave.h; this form only moves texts
// between its boxes and those functions.

#include <QDialog>
#include <QHash>
#include <QList>
#include <QPair>

#include "platform/database.h"
#include "trips/amounts.h"
#include "trips/tripsave.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kelm {

class DataForm;

class Kurs : public QDialog {
    Q_OBJECT
public:
    explicit Kurs(QWidget *parent = nullptr);
    ~Kurs() override;

    // Form_Load: reads gSeekMode, the tariffs, the drivers and the pick lists,
    // opens the trips and, in "NewKurs", starts a new trip. False after the
    // failure was reported; the screen is then not shown.
    bool load();

    bool isNewKurs() const { return m_newKurs; }
    DataForm *form() const { return m_form; }
    Recordset &trips() { return m_rs; }

    // The form's own procedures.
    void SetButtons(bool browsing);
    void EnableFields(bool enabled);
    void ShowDriverName(const QString &code);
    void ShowSums(const QString &flag);
    void RequeryData();

    // Commands, as the buttons run them.
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdCancel_Click();

    // The boxes by their index in the txtFields array ("txtFields(1)" is the date).
    QLineEdit *txtFields(int index) const { return m_txt.value(index); }
    QLabel *lblLabels(int index) const { return m_lbl.value(index); }

protected:
    bool eventFilter(QObject *obj, QEvent *event) override;

private:
    void buildControls();
    void fillPickLists();
    void proposeTariff();
    void takeTripIntoLists();
    void showLists(bool visible);
    bool validateSave();
    void writeRowValues();
    void afterSave();
    void afterMove();
    void showTripInLists();
    qint64 currentTripId() const;
    QString currentKod() const;
    void focusBox(TripBox box);
    QWidget *boxWidget(TripBox box) const;

    bool m_newKurs = true;
    bool m_loaded = false;
    bool m_requerying = false; // the requery after a save is no move of the user's

    Connection m_conn;
    Recordset m_rs; // adoPrimaryRS
    DataForm *m_form = nullptr;
    BandTariffs m_tariffs;
    QList<QPair<QString, QString>> m_driverCodes;
    TripRow m_pending;
    QString m_pendingExpense;
    QHash<qint64, QString> m_expenses; // the expense typed at each trip's last save here

    int m_amountLeft[3] = {}; // left edges of the three amount labels in Frame1
    int m_amountTop = 0;
    QHash<int, QLineEdit *> m_txt;
    QHash<int, QLabel *> m_lbl;

public:
    QLineEdit *txtTarifa = nullptr;
    QLineEdit *txtRazhod = nullptr;
    QComboBox *Combo1 = nullptr; // cars
    QComboBox *Combo2 = nullptr; // routes
    QComboBox *Combo3 = nullptr; // clients
    QComboBox *Combo4 = nullptr; // goods
    QComboBox *Combo5 = nullptr; // drivers "kod,name"
    QCheckBox *Check1 = nullptr;    // Fakt
    QCheckBox *chkFields = nullptr; // plat
    QGroupBox *Frame1 = nullptr;
};

// Shows the trip editor modally in the mode gSeekMode names.
void showKurs();

} // namespace kelm
