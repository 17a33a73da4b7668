#pragma once
#include <QDate>
#include <QDialog>

namespace kelm {

// Search dialog: a period and up to four filters (client, car, goods, route), or in
// mode "SkladPRN" the warehouse layout (article and document kind).
class DiaSeekAll : public QDialog {
    Q_OBJECT
public:
    static DiaSeekAll &instance();

    bool lYes = false;
    QString Klient;
    QString Kola;
    QString Tovar;
    QString Marsh;
    QString StartData; // as typed
    QString EndData;

    QDate startDate() const;
    QDate endDate() const;

private:
    explicit DiaSeekAll(QWidget *parent = nullptr);
};

} // namespace kelm
