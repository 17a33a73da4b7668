#pragma once
#include <QDate>
#include <QDialog>

namespace kelm {

// Search dialog: one criterion chosen by gSeekMode, and a period. The public
// fields keep their values after the dialog closed, for the command that showed it.
class DiaSeek : public QDialog {
    Q_OBJECT
public:
    static DiaSeek &instance();

    bool lYes = false;
    QString Kola;
    QString FakturaNom;
    QString ShofKod;
    QString ShofName;
    QString StartData; // date texts as typed (dd.mm.yyyy), blanks removed
    QString EndData;
    QString sNalich;
    QString Klient;

    // StartData and EndData read as dates (invalid when not a date).
    QDate startDate() const;
    QDate endDate() const;

private:
    explicit DiaSeek(QWidget *parent = nullptr);
};

} // namespace kelm
