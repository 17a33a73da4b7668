#pragma once
// The older route-leg screen: the legs of one sheet of the older waybill screen
// (PList), stored under Marsh.ListID with the route in Marsh.Marsh. Each leg's
// fuel by norm takes the fixed northern coefficient 1.2 when ticked, and the
// waybill screen's running totals follow every saved, corrected and deleted leg.

#include "platform/database.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;

namespace kelm {

class DataForm;
class PList;

class Marsh : public QDialog {
    Q_OBJECT
public:
    // "Add_Marsh" for the legs of a new sheet, "Edit_Marsh" for a corrected one.
    Marsh(PList &plist, const QString &sVidMarsh, QWidget *parent = nullptr);
    ~Marsh() override;

    bool load();

    QString sVidMarsh;
    DataForm *form() const { return m_form; }
    Recordset &legs() { return m_marshRS; }

    QLineEdit *txtFields[6] = {}; // 0 KM, 3 Marsh, 5 Ton
    QCheckBox *chkFields = nullptr;
    QComboBox *Combo1 = nullptr;
    QGroupBox *Frame1 = nullptr;

private:
    void EnableFields(bool b);
    bool validate();
    void readBoxes();
    void afterSave();
    void cmdAdd_Before();
    void cmdEdit_After();
    void cmdCancel_Before();
    void cmdDelete_Click();

    PList &m_plist;
    Connection m_conn;
    Recordset m_marshRS;
    DataForm *m_form = nullptr;
    bool m_holdsBookmark = false;
    bool m_cancelling = false;
    double m_keptKM = 0.0;      // the corrected leg's values when correction started
    double m_keptRazhN = 0.0;
    double m_newKM = 0.0;       // the leg being saved
    double m_newTon = 0.0;
    double m_newRazhN = 0.0;
    bool m_correcting = false;
};

} // namespace kelm
