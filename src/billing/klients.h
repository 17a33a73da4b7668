#pragma once
// Klients: the client statement. A client's trips of a period (narrowed by
// prefixes of goods, route and car) as a working copy in the screen's own scratch
// rows, whose kilometres and tariffs can be corrected after F4 and whose rows can
// be removed with Delete; kept in a client data file ("*.kl") and loaded again,
// and printed with 20 % VAT on top. Nothing done here reaches the trips.

#include "billing/klientsrules.h"
#include "platform/database.h"

#include <QDialog>
#include <functional>
#include <memory>

class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelm {

class Grid;
class ScratchRows;

class Klients : public QDialog {
    Q_OBJECT
public:
    explicit Klients(QWidget *parent = nullptr);
    ~Klients() override;

    // Reads the criteria from DiaSeekAll and builds the statement. A search that
    // finds nothing says so and leaves the screen empty (true); false after a
    // failure was reported, and the screen is then not shown.
    bool load();

    // The file dialogs: a test answers them through this instead of a window,
    // getting the prepared dialog (title, filter, folder) and returning the chosen
    // path, or "" for cancel. An empty function restores the real dialogs.
    using FileAnswer = std::function<QString(QFileDialog &)>;
    static void setFileAnswer(FileAnswer answer);

    // The one open statement screen, or nullptr.
    static Klients *instance();

    const KlientCriteria &criteria() const { return m_criteria; }
    const StatementSubject &subject() const { return m_subject; }
    const StatementTotals &totals() const { return m_totals; }
    Recordset &statementRows() { return adoTempRS; }
    Connection &scratch();

    // Set by a print, a save, a load; never cleared while the screen is open.
    bool flgPrint = false;
    bool flgSave = false;
    bool flgLoad = false;

    QLineEdit *Text1 = nullptr;
    Grid *GridEX1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr; // km
    QLabel *Label3 = nullptr; // tons
    QLabel *Label4 = nullptr; // money
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QPushButton *cmdOpenFile = nullptr;
    QPushButton *cmdSaveFile = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdClose = nullptr;

    void cmdPrint_Click();
    void cmdSaveFile_Click();
    void cmdOpenFile_Click();

protected:
    bool event(QEvent *e) override;
    // Every way out ("Затвори", Esc, the close box, a close from outside) ends here.
    void done(int result) override;

private:
    void GridEX1_KeyDown(int &keyCode, int shift);
    void Form_Activate();
    void setColumns();
    void offerSave();
    // The statement rows changed: corrected amount, totals under the grid.
    void cellEdited(int row, int col);
    void showTotals();
    // A correction of a row's "Км" or "Тар." as typed, checked with the rest of its row.
    QString cellRefusal(int row, StatementCell cell, const QString &typed) const;
    QString askFile(bool save);

    KlientCriteria m_criteria;
    StatementSubject m_subject;
    StatementTotals m_totals;
    std::unique_ptr<ScratchRows> m_scratch;
    Recordset adoTempRS;
    bool m_activated = false;
    // A correction was taken in a cell after the last print or file save.
    bool m_unkeptCorrections = false;
};

// Справки > Клиент за факруриране: shows the statement for DiaSeekAll's
// criteria, modeless, or brings the open one forward.
void showKlients();

} // namespace kelm
