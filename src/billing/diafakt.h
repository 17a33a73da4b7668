#pragma once
// DiaFakt: "Номер на фактурата", the number of a new invoice. Lists the numbers in
// use, highest first, and hands back an accepted number: the entry, trimmed,
// right-aligned behind zeros into ten characters, and used by no trip.

#include <QDialog>
#include <QStringList>

class QComboBox;
class QPushButton;

namespace kelm {

class DiaFakt : public QDialog {
    Q_OBJECT
public:
    // The accepted number goes into sNomFakt and flgNomFakt of the invoicing
    // screen; flgNomFakt stays False unless a number is accepted.
    DiaFakt(QString &sNomFakt, bool &flgNomFakt, QWidget *parent = nullptr);

    // Fills the list of numbers in use. False when the database could not be
    // read (reported); the dialog is then not shown.
    bool load();

    QComboBox *Combo1 = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    void OKButton_Click();
    void CancelButton_Click();

    QString &m_sNomFakt;
    bool &m_flgNomFakt;
    QStringList m_used;
};

} // namespace kelm
