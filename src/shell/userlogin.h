#pragma once
#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelm {

// Shows the sign-in dialog UserLogin modally; returns its OK. On success gUserVid
// holds the user's kind.
bool runUserLogin();
// Looks the pair up in Users; returns the kind of the last matching row, or "".
// Sets gLoginOK. Names and passwords compare exactly: case counts, nothing is trimmed.
// A row whose name or password is blank (canSignIn in userrules.h) never matches:
// a user stored with a blank password is told to ask an administrator for one.
QString CheckUser(const QString &password, const QString &userName);

// The sign-in dialog. The pick list lists the restricted users; administrators
// and full users type their name. The name checked is always txtUserName's text.
class UserLogin : public QDialog {
    Q_OBJECT
public:
    explicit UserLogin(QWidget *parent = nullptr);

    // True after a successful sign-in, false after "Изход".
    bool OK = false;

    QLabel *lblLabels[2];
    QLineEdit *txtUserName;
    QComboBox *Combo;
    QLineEdit *txtPassword;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

    void cmdOK_Click();
    void cmdCancel_Click();

public Q_SLOTS:
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void hideCombo();
};

} // namespace kelm
