#pragma once
// The older waybill screen: sheets of RowdList through their older fields
// (driver code, fuel actually used, KM and RazhN as the legs' totals). Its save
// has the legs entered in the older route-leg screen (Marsh) and books the
// diesel and oil filled as warehouse lines. Nothing in the menus opens it;
// showPList() does.

#include "platform/database.h"

#include <QDialog>
#include <QStringList>
#include <QVector>
#include <functional>

class QComboBox;
class QGroupBox;
class QLineEdit;

namespace kelm {

class DataForm;
class Marsh;

class PList : public QDialog {
    Q_OBJECT
public:
    explicit PList(QWidget *parent = nullptr);
    ~PList() override;

    bool load();

    // The contract with the route-leg screen.
    double nRazhKola = 0.0;
    bool lCancel = false;
    QString sListID;
    double nRazhListAll = 0.0;
    QString sKolaID;
    double nKMAll = 0.0;

    DataForm *form() const { return m_form; }
    Recordset &sheets() { return m_plistRS; }

    // The date box's check when it is left (also called by its focus-out).
    void txtDate_LostFocus();
    void ShowDriverName(const QString &kod);

    QLineEdit *txtFields[9] = {};   // 0..6 and 8; 7 does not exist
    QLineEdit *txtDriverName = nullptr; // txtFields(100)
    QLineEdit *txtRazhN = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QComboBox *Combo1 = nullptr;
    QComboBox *Combo2 = nullptr;
    QGroupBox *fraFuel = nullptr;

protected:
    bool eventFilter(QObject *obj, QEvent *event) override;

private:
    void setBoxesLocked(bool locked);
    void openBox(QLineEdit *box, bool on);
    bool validate();
    bool enterLegs();
    void readBoxes();
    void writeWarehouse(Connection &conn);
    void afterCancel();
    void cmdDelete_Click();
    void reportError(int cmd, const DbError &e);

    Connection m_conn;
    Recordset m_plistRS;
    DataForm *m_form = nullptr;
    QVector<QStringList> m_drivers; // code, name
    QStringList m_cars;
    bool m_checkingDate = false;
    bool m_adding = false; // a new sheet is on the screen, not yet saved
    // The sheet as stored before the correction: its warehouse lines go.
    QString m_oldListId;
    QString m_oldKola;
    double m_dieselPrice = 0.0;
    double m_oilPrice = 0.0;
};

void showPList(QWidget *parent = nullptr);

} // namespace kelm
