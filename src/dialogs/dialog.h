#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

namespace kelm {

// The yes/no confirmation box. Closing it through the window's close button
// answers no; every showing starts at no.
class Dialog : public QDialog {
    Q_OBJECT
public:
    static Dialog &instance();
    // The button Enter presses. Every question the program asks deletes or
    // replaces data, so one Enter must refuse: "Отказ" unless a caller asks
    // something harmless and says "OK".
    enum class Default { Ok, Cancel };
    // Asks modally and returns lYes; an empty caption shows "Внимание!". Asked
    // while the box is open with another question, it answers no.
    static bool ask(const QString &caption, const QString &question, Default button = Default::Cancel);

    static bool lYes;

    QLabel *Picture1;
    QLabel *Label1;
    QPushButton *OKButton;
    QPushButton *CancelButton;

protected:
    void showEvent(QShowEvent *e) override;

private:
    explicit Dialog(QWidget *parent = nullptr);
    void layoutQuestion();
};

} // namespace kelm
