#include "dialogs/dialog.h"

#include "dialogs/messages.h"
#include "platform/placement.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace kelm {

namespace {
constexpr int tw(int twips) { return twips / 15; }
}

bool Dialog::lYes = false;

Dialog &Dialog::instance()
{
    static Dialog *box = nullptr;
    if (!box)
        box = new Dialog;
    return *box;
}

Dialog::Dialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("Внимание!"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setModal(true);
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(tw(480), tw(480)));
    Picture1->setGeometry(tw(150), tw(135), tw(480), tw(480));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton = new QPushButton(QStringLiteral("Отказ"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    setTabOrder(OKButton, CancelButton);
    connect(OKButton, &QPushButton::clicked, this, [this] {
        lYes = true;
        accept();
    });
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        lYes = false;
        reject();
    });
}

void Dialog::layoutQuestion()
{
    const int width = tw(3570);
    int h = Label1->heightForWidth(width);
    if (h <= 0)
        h = Label1->sizeHint().height();
    const int band = tw(750);
    const int margin = tw(120);
    // Centred in the band above the buttons; a long question makes the box grow.
    const int extra = std::max(0, h + 2 * margin - band);
    Label1->setGeometry(tw(765), extra > 0 ? margin : (band - h) / 2, width, h);
    OKButton->setGeometry(tw(1000), tw(900) + extra, tw(1215), tw(375));
    CancelButton->setGeometry(tw(2400), tw(900) + extra, tw(1215), tw(375));
    setFixedSize(tw(4590), tw(1365) + extra);
}

void Dialog::showEvent(QShowEvent *e)
{
    layoutQuestion();
    // Over the window that asked, at the size the question gives the box.
    placeOverAskingWindow(*this);
    QDialog::showEvent(e);
}

bool Dialog::ask(const QString &caption, const QString &question, Default button)
{
    lYes = false;
    const QString cap = caption.isEmpty() ? QStringLiteral("Внимание!") : caption;
    if (auto *c = MessageCapture::active()) {
        c->shown.push_back({ShownMessage::Confirm, cap, question});
        ++c->beeps;
        lYes = c->answers.isEmpty() ? false : c->answers.takeFirst();
        return lYes;
    }
    Dialog &box = instance();
    if (box.isVisible())
        return lYes; // never a second question in the open box
    box.setWindowTitle(cap);
    box.Label1->setText(shownLines(question));
    QPushButton *first = button == Default::Cancel ? box.CancelButton : box.OKButton;
    box.OKButton->setDefault(first == box.OKButton);
    box.CancelButton->setDefault(first == box.CancelButton);
    first->setFocus();
    beep();
    execWithArrow(box);
    return lYes;
}

} // namespace kelm
