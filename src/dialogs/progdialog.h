#pragma once
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kelm {

// The modeless progress window shown while long lists and reports are built.
class ProgDialog : public QDialog {
    Q_OBJECT
public:
    static ProgDialog &instance();
    static bool exists();

    // Label, bar from 1 to steps, "Затвори" disabled, shown and drawn at once.
    void start(const QString &label, int steps);
    // Sets the bar and redraws; closes the window when the last step is reached.
    void setStep(int value);
    void finish();

    QLabel *Label1;
    QProgressBar *ProgBar;
    QPushButton *OKButton;

private:
    explicit ProgDialog(QWidget *parent = nullptr);
};

// Closes the progress window when it goes out of scope, on every path: a wrong
// step count or an error can never leave the window standing.
class ProgressScope {
public:
    ProgressScope(const QString &label, int steps);
    ~ProgressScope();
    void step(int value);
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;
};

} // namespace kelm
