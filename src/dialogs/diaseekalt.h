#pragma once
#include <QDate>
#include <QDialog>

namespace kelm {

// Search dialog: a period and a three-way option ("All", "Yes", "No"), and in
// mode "Driver" a driver.
class DiaSeekAlt : public QDialog {
    Q_OBJECT
public:
    static DiaSeekAlt &instance();

    bool lYes = false;
    QString sOption;
    QString ShofKod;
    QString ShofName;
    QString StartData;
    QString EndData;

    QDate startDate() const;
    QDate endDate() const;

private:
    explicit DiaSeekAlt(QWidget *parent = nullptr);
};

} // namespace kelm
