#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

namespace kelm {

// The information box through which warnings, checks and errors reach the user.
// Lines of a message are joined by "\r". The box grows to fit a long message.
class DiaInf : public QDialog {
    Q_OBJECT
public:
    static DiaInf &instance();
    // Shows the message modally; an empty caption shows "Информация".
    static void show(const QString &caption, const QString &text);
    static void show(const QString &text) { show(QString(), text); }

    QLabel *Image1;
    QLabel *Label1;
    QPushButton *OKButton;

protected:
    void showEvent(QShowEvent *e) override;

private:
    explicit DiaInf(QWidget *parent = nullptr);
    void layoutMessage();
};

} // namespace kelm
