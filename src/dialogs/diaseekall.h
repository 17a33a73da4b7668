#pragma once
#include "dialogs/seekdialog.h"

#include <QDate>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

class QGroupBox;
class QLabel;
class QLineEdit;

namespace kelm {

// Search dialog: a period and up to four filters (client, car, goods, route), or in
// mode "SkladPRN" the warehouse layout (article and document kind). Every other
// mode word gives the trip layout, in which a client of the trips is required and
// a car, when given, must be one of the trips' cars.
class DiaSeekAll : public SeekDialog {
    Q_OBJECT
public:
    static DiaSeekAll &instance();

    // lYes (inherited): confirmed.
    QString Klient;
    QString Kola;
    QString Tovar;
    QString Marsh;
    QString StartData; // as typed
    QString EndData;

    QDate startDate() const;
    QDate endDate() const;

    QGroupBox *Frame2;
    QLabel *Label1_5;  // "Клиент"
    SeekCombo *Combo1; // clients
    QLabel *Label1_2;  // "Вид товар"
    QLineEdit *Text2;  // goods
    QLabel *Label1_3;  // "Маршрут" / "Артикул"
    QLineEdit *Text3;  // route or article
    QLabel *Label1_4;  // "Кола №"
    SeekCombo *Combo2; // cars

protected:
    void resetDesign() override;
    void loadMode() override;
    void search() override;
    QList<QWidget *> focusOrder() const override { return {Combo1, Text2, Text3, Combo2, Text1_0, OKButton}; }

private:
    explicit DiaSeekAll(QWidget *parent = nullptr);
    // Copies a filled list's entries, blanks removed, under the progress window.
    static QStringList entriesOf(SeekCombo *list, const QString &progressLabel);

    QStringList aKlient;
    QStringList aKola;
    bool lNoKurs = false;
    bool m_article = false; // this load is in the warehouse layout
};

} // namespace kelm
