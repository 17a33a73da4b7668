#include "dialogs/progdialog.h"

#include "platform/version.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace kelm {

namespace {
constexpr int tw(int twips) { return twips / 15; }
ProgDialog *s_prog = nullptr;
}

ProgDialog &ProgDialog::instance()
{
    if (!s_prog)
        s_prog = new ProgDialog;
    return *s_prog;
}

bool ProgDialog::exists()
{
    return s_prog != nullptr;
}

ProgDialog::ProgDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ProgDialog"));
    setWindowTitle(QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Обработка"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint);
    setModal(false);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(tw(240), tw(180), tw(5445), tw(450));
    ProgBar = new QProgressBar(this);
    ProgBar->setObjectName(QStringLiteral("ProgBar"));
    ProgBar->setGeometry(tw(240), tw(720), tw(5445), tw(330));
    ProgBar->setTextVisible(false);
    OKButton = new QPushButton(QStringLiteral("Затвори"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry((tw(5925) - tw(1215)) / 2, tw(1200), tw(1215), tw(375));
    connect(OKButton, &QPushButton::clicked, this, [this] {
        QApplication::restoreOverrideCursor();
        close();
    });
    setFixedSize(tw(5925), tw(1740));
}

void ProgDialog::start(const QString &label, int steps)
{
    Label1->setText(label);
    OKButton->setEnabled(false);
    ProgBar->setMinimum(1);
    ProgBar->setMaximum(std::max(1, steps));
    ProgBar->setValue(1);
    QDialog::show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgDialog::setStep(int value)
{
    ProgBar->setValue(std::min(value, ProgBar->maximum()));
    repaint();
    if (value >= ProgBar->maximum())
        finish();
}

void ProgDialog::finish()
{
    if (isVisible())
        close();
}

ProgressScope::ProgressScope(const QString &label, int steps)
{
    ProgDialog::instance().start(label, steps);
}

ProgressScope::~ProgressScope()
{
    if (ProgDialog::exists())
        ProgDialog::instance().finish();
}

void ProgressScope::step(int value)
{
    ProgDialog::instance().setStep(value);
}

} // namespace kelm
