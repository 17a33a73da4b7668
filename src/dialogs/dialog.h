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
    // Asks modally and returns lYes; an empty caption shows "Внимание!". Enter
    // answers yes, or no when the refusing button is the default.
    static bool ask(const QString &caption, const QString &question, bool defaultNo = false);

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
