#include "dialogs/diainf.h"

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

DiaInf &DiaInf::instance()
{
    static DiaInf *box = nullptr;
    if (!box)
        box = new DiaInf;
    return *box;
}

DiaInf::DiaInf(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DiaInf"));
    setWindowTitle(QStringLiteral("Информация"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setModal(true);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(tw(480), tw(480)));
    Image1->setGeometry(tw(180), tw(135), tw(480), tw(480));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    OKButton = new QPushButton(QStringLiteral("Затвори"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(tw(4590), tw(1275));
}

void DiaInf::layoutMessage()
{
    const int width = tw(3615);
    int h = Label1->heightForWidth(width);
    if (h <= 0)
        h = Label1->sizeHint().height();
    const int band = tw(750);
    const int margin = tw(120);
    // The message is centred in the band above the button; one that does not fit
    // with a margin makes the box grow downwards instead of starting above it.
    const int extra = std::max(0, h + 2 * margin - band);
    const int top = extra > 0 ? margin : (band - h) / 2;
    Label1->setGeometry(tw(840), top, width, h);
    OKButton->setGeometry((tw(4590) - tw(1215)) / 2, tw(900) + extra, tw(1215), tw(375));
    setFixedSize(tw(4590), tw(1275) + extra);
}

void DiaInf::showEvent(QShowEvent *e)
{
    layoutMessage();
    // Over the window that asked, at the size the message gives the box.
    placeOverAskingWindow(*this);
    QDialog::showEvent(e);
    beep();
}

void DiaInf::show(const QString &caption, const QString &text)
{
    const QString cap = caption.isEmpty() ? QStringLiteral("Информация") : caption;
    if (auto *c = MessageCapture::active()) {
        c->shown.push_back({ShownMessage::Info, cap, text});
        ++c->beeps;
        return;
    }
    DiaInf &box = instance();
    if (box.isVisible()) {
        // The box is open with another message: this one follows when it is closed.
        afterMessages(&box, [caption, text] { show(caption, text); });
        return;
    }
    box.setWindowTitle(cap);
    box.Label1->setText(shownLines(text));
    execWithArrow(box);
}

} // namespace kelm
