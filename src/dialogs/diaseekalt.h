#pragma once
#include "dialogs/seekdialog.h"

#include <QDate>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

class QGroupBox;
class QRadioButton;

namespace kelm {

// Search dialog: a period and a three-way option ("All", "Yes", "No"), and in
// mode "Driver" a driver. Mode "All": all, invoiced or not invoiced trips of the
// company; mode "Driver": all, paid or unpaid trips of one driver.
class DiaSeekAlt : public SeekDialog {
    Q_OBJECT
public:
    static DiaSeekAlt &instance();

    // lYes (inherited): confirmed.
    QString sOption; // "All", "Yes" or "No"
    QString ShofKod;
    QString ShofName;
    QString StartData; // blanks removed
    QString EndData;

    QDate startDate() const;
    QDate endDate() const;

    QGroupBox *Frame3;
    QRadioButton *Option1; // "Всички"
    QRadioButton *Option2; // "Фактурирани" / "Платени"
    QRadioButton *Option3; // "Нефактурирани" / "Неплатени"
    QGroupBox *Frame2;
    SeekCombo *Combo1;     // drivers

protected:
    void resetDesign() override;
    void loadMode() override;
    void search() override;
    QList<QWidget *> focusOrder() const override { return {Combo1, Text1_0, OKButton}; }

private:
    explicit DiaSeekAlt(QWidget *parent = nullptr);
    bool m_driver = false; // this load is in mode "Driver"
};

} // namespace kelm
