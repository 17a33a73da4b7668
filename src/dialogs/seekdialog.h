#pragma once
// What the three search dialogs (DiaSeek, DiaSeekAlt, DiaSeekAll) share: the
// confirmed flag, the period check and its messages, "Отказ", the grey fields
// that turn white while in use, "Търси" becoming the default button, and how a
// command shows a dialog and reads its answer.

#include <QComboBox>
#include <QDialog>
#include <QHash>
#include <QString>
#include <functional>
#include <optional>

#include <QDate>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelm {

// ---- rules (no window needed) ----

enum class PeriodFault { None, Missing, Reversed };

// Both texts must be real dates (see periodDate); a missing or unreadable date is
// a missing period. Equal dates are a valid one-day period.
PeriodFault checkPeriod(const QString &start, const QString &end);
// A date typed into a period box: d.m.yyyy, d.m.yy, or month/day/year with
// slashes as the frame's hint "( ММ/ДД/ГГ )" shows; nothing when it is no date.
std::optional<QDate> periodDate(const QString &text);
// The message of a failed period check, lines joined by "\r"; empty for None.
QString periodMessage(PeriodFault fault);

// A driver's list entry "kod,ime": the code before the first comma and the name
// after it, each without surrounding blanks. False when the text has no comma
// (a typed text that names no driver of the list).
bool splitDriver(const QString &text, QString *kod, QString *name);

// Design colours of the fields (the old program's colour numbers).
QColor seekGrey();      // 12632256
QColor seekLightGrey(); // 14737632
QColor seekWhite();     // 16777215

// ---- controls ----

// A drop-down list with an editable text that tells when its list drops down.
class SeekCombo : public QComboBox {
    Q_OBJECT
public:
    explicit SeekCombo(QWidget *parent = nullptr);
    void showPopup() override;
Q_SIGNALS:
    void droppedDown();
};

// ---- the common dialog ----

class SeekDialog : public QDialog {
    Q_OBJECT
public:
    // True only after "Търси" with valid input; False at every load.
    bool lYes = false;

    // The load: lYes False, hourglass, the design state of every control, the
    // layout of the mode in gSeekMode with its lists, normal pointer. Tests call it
    // and then show() the dialog to drive it without blocking.
    void prepare();
    // What a command does: load, set the caption, show modally (or hand the dialog
    // to the test answer when one is set); returns lYes.
    bool run(const QString &caption);

    // Tests answer the modal dialog through this: while set, run() calls it with the
    // prepared dialog instead of exec(). The answer fills the controls and clicks
    // "Търси" or "Отказ".
    using Answer = std::function<void(SeekDialog &)>;
    static void setTestAnswer(Answer answer);

    QGroupBox *Frame1;   // the period
    QLabel *Label1_0;    // "от дата"
    QLabel *Label1_1;    // "до дата"
    QLineEdit *Text1_0;  // start date
    QLineEdit *Text1_1;  // end date
    QPushButton *OKButton;
    QPushButton *CancelButton;

protected:
    explicit SeekDialog(const QString &objectName, QWidget *parent = nullptr);

    // Back to the design: captions, colours, enabled and visible states, empty boxes.
    virtual void resetDesign() = 0;
    // The mode's layout and lists.
    virtual void loadMode() = 0;
    virtual void search() = 0;
    // The fields that take the focus when the dialog opens, first enabled one wins.
    virtual QList<QWidget *> focusOrder() const = 0;
    virtual void cancel();

    // Puts the period frame and its boxes at a place of the form.
    void placePeriod(int x, int y, int w, int h);
    // The date boxes back to their design look: empty, enabled, the rest colour.
    void resetDates(const QColor &rest);
    // The period check with its message; true when accepted.
    bool periodAccepted(const QString &start, const QString &end);
    // Closes with lYes True.
    void confirm();

    // Field looks while in use.
    static void paint(QWidget *w, const QColor &c);
    void makeSearchDefault();
    void watchList(SeekCombo *list);
    void watchText(QLineEdit *box);

    bool eventFilter(QObject *watched, QEvent *e) override;
    void changeEvent(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void done(int r) override;

    bool m_loading = false;

private:
    void textInUse(QLineEdit *box);
    // Every control back at its design place and the window at its design size,
    // before a mode fits them anew (noted at the first load).
    void restoreDesign();
    // The window as wide as its controls need, and wider when its caption needs
    // more; the controls keep their places.
    void fitCaption();

    bool m_prepared = false;
    struct DesignPlace {
        QRect place;
        QSize least; // the least size
    };
    QHash<QWidget *, DesignPlace> m_designPlaces;
    QSize m_designSize;
    int m_designMargin = 0; // right of the rightmost control
};

} // namespace kelm
