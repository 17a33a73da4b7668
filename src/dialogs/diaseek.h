#pragma once
#include "dialogs/seekdialog.h"

#include <QDate>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

class QGroupBox;
class QLineEdit;

namespace kelm {

// Search dialog: one criterion chosen by gSeekMode, and a period. The public
// fields keep their values after the dialog closed, for the command that showed it;
// each use writes only the fields of its own mode (and lYes, StartData, EndData).
//
// Modes: "Kola" (car), "Klients" (client), "Driver" (driver), "EditFakt" (an
// issued invoice's number, one of the list; no period), "All" (period only),
// "SkladPR" (article name and period), "NalichSK" (article name only).
class DiaSeek : public SeekDialog {
    Q_OBJECT
public:
    static DiaSeek &instance();

    // lYes (inherited): confirmed.
    QString Kola;
    QString FakturaNom; // ten characters, as stored in tabl.NomFakt
    QString ShofKod;
    QString ShofName;
    QString StartData; // date texts as typed (dd.mm.yyyy), blanks removed
    QString EndData;
    QString sNalich;
    QString Klient;

    // StartData and EndData read as dates (invalid when not a date).
    QDate startDate() const;
    QDate endDate() const;

    QGroupBox *Frame2; // the criterion
    SeekCombo *Combo1; // the criterion's pick list
    QLineEdit *Text2;  // article name, in Combo1's place

protected:
    void resetDesign() override;
    void loadMode() override;
    void search() override;
    QList<QWidget *> focusOrder() const override { return {Combo1, Text2, Text1_0, OKButton}; }

private:
    explicit DiaSeek(QWidget *parent = nullptr);
    QString m_mode; // the mode word this load laid the form out for
};

} // namespace kelm
