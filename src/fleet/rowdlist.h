#pragma once
// The waybill screen: one sheet of RowdList at a time on the page "Обща част",
// and the sheet's route legs (Marsh) with their fuel by norm on the page
// "Маршрути". The sheet side stands on the data-form template; the legs have a
// small command bar of their own over the grid.

#include "fleet/rowdlistrules.h"
#include "platform/database.h"

#include <QDialog>
#include <QSet>
#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTableView;
class QWidget;

namespace kelm {

class DataForm;
class MarshLegsModel;

class RowdList : public QDialog {
    Q_OBJECT
public:
    explicit RowdList(QWidget *parent = nullptr);
    ~RowdList() override;

    // Opens the connection and the sheets (at the last one); false after the
    // failure was reported. An empty table starts a new sheet at once.
    bool load();

    // The checks run when the number box is left (also called by its focus-out).
    void txtNumber_LostFocus();

    // Legs page commands (the buttons call them).
    void openLegs();
    void cmdAddMarsh_Click();
    void cmdEditMarsh_Click();
    void cmdUpdateMarsh_Click();
    void cmdCancelMarsh_Click();
    void cmdDeleteMarsh_Click();
    void cmdCloseMarsh_Click(); // "Изчисли"

    DataForm *sheetForm() const { return m_form; }
    Recordset &sheets() { return m_rowdRS; }
    Recordset &legs() { return m_marshRS; }
    bool headerPageFlag() const { return m_headerPage; }
    QString sheetNumber() const { return m_sheetNumber; }

protected:
    bool eventFilter(QObject *obj, QEvent *event) override;
    void keyPressEvent(QKeyEvent *e) override;
    void done(int r) override;

private:
    enum MoveCmd { MoveFirst, MoveLast, MovePrevious, MoveNext };

    void buildUi();
    void tabChanged(int index);
    void setSheetButtons(bool browsing);
    void ShowCombos(bool b);
    void HighlightRequired(bool b);
    void fillLists();
    bool validateSheet();
    void readSheetBoxes();
    void writeSheetExtra(Connection &conn);
    void afterSheetSave();
    void cmdCancelRowd_Before();
    void cmdDeleteRowd_Click();
    void reportSheetError(int cmd, const DbError &e);
    void closeLegs();
    // A refusal to open the legs page: the page lets go of the legs, but legs held
    // for the sheet being saved stay with it.
    void releaseLegsPage();
    // The legs the sheet's save would write, and the car their fuel was computed with.
    QVector<WaybillLeg> legsToSave(Connection &conn) const;
    QString legsCar() const;
    // The legs the page read, for the check that they are still stored as read.
    LegsAsRead legsAsRead() const;
    bool newSheetTyped() const;
    // A leg being added or corrected holds something its save has not written
    // (a started leg nothing was typed into holds nothing).
    bool legTypedUnsaved() const;
    void SetMarshButtons(bool b);
    // A leg being added or corrected on a sheet only viewed keeps the sheet:
    // its moves and commands wait for the leg's "Запиши" or "Отказ".
    void holdSheetForLeg();
    void writeLegStatus();
    void dropAbandonedLegs();
    // The legs on the page (stored and held), in their order; saved, when given,
    // stands for the current leg (the one being added or corrected).
    QVector<WaybillLeg> heldLegs(const WaybillLeg *saved = nullptr) const;
    // While browsing, writes the page's legs of the stored sheet at once (saved
    // as in heldLegs) and reads them back.
    void writeLegsNow(const WaybillLeg *saved = nullptr);
    QString currentCar() const;

    Connection m_conn;
    Recordset m_rowdRS;
    Recordset m_marshRS;
    DataForm *m_form = nullptr;
    MarshLegsModel *m_legsModel = nullptr;

    bool m_headerPage = true;
    bool m_legEdit = false;
    bool m_legAdding = false;
    bool m_checkingNumber = false;
    QString m_sheetNumber;      // the number the legs shown are stored under
    QString m_carNumber;        // the car whose norm the legs use
    QString m_editNumber;       // the stored number of the sheet being corrected
    QString m_editCar;          // the stored car of the sheet being corrected
    QString m_legsCar;          // the car the held legs' fuel was computed with ("" mixed)
    bool m_legsHeld = false;    // the legs page holds the legs of the sheet being saved
    QString m_legsReadNumber;   // the number the page's legs were read under (none for a new sheet)
    MoveCmd m_lastMove = MoveFirst;

public:
    QTabBar *tbsOptions = nullptr;
    QWidget *picRowsList0 = nullptr;
    QWidget *picRowsList1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLineEdit *txtFields[11] = {};
    QComboBox *ComboNameShof = nullptr;
    QComboBox *ComboKola = nullptr;
    QPushButton *cmdAddRowd = nullptr, *cmdEditRowd = nullptr, *cmdUpdateRowd = nullptr,
                *cmdCancelRowd = nullptr, *cmdDeleteRowd = nullptr;
    QPushButton *cmdFirstRowd = nullptr, *cmdPreviousRowd = nullptr, *cmdNextRowd = nullptr,
                *cmdLastRowd = nullptr;
    QLabel *lblStatusRowd = nullptr;
    QPushButton *cmdCloseForm = nullptr;
    QTableView *grdMarsh = nullptr;
    QLabel *lblStatusMarsh = nullptr;
    QWidget *picButtonsMarsh = nullptr;
    QPushButton *cmdAddMarsh = nullptr, *cmdEditMarsh = nullptr, *cmdDeleteMarsh = nullptr,
                *cmdCloseMarsh = nullptr, *cmdUpdateMarsh = nullptr, *cmdCancelMarsh = nullptr;
};

// Данни > Пътни листи: shows the waybill screen modally.
void showRowdList(QWidget *parent = nullptr);

// The waybill screens' own boxes: a system message box with the critical icon,
// the lines shown with an empty line between them; and its Yes/No form.
void waybillMessage(const QStringList &lines, const QString &title);
bool waybillQuestion(const QStringList &lines, const QString &title);

} // namespace kelm
