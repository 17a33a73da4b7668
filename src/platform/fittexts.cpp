#include "platform/fittexts.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace kelm {

namespace {

// The width the widget's own text needs, or 0 when it has none to fit.
int textWidth(QWidget *w)
{
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->wordWrap() || l->text().isEmpty() ? 0 : l->sizeHint().width();
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text().isEmpty() ? 0 : b->sizeHint().width();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->sizeAdjustPolicy() == QComboBox::AdjustToContents && c->count() > 0 ? c->sizeHint().width() : 0;
    return 0;
}

// Fits the children of one widget laid out at fixed places; returns how much
// wider the widget has to be.
int fitChildren(QWidget *parent)
{
    if (parent->layout())
        return 0; // a layout sizes its widgets itself
    QList<QWidget *> children;
    for (QWidget *c : parent->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (!c->isWindow())
            children << c;
    auto rightmost = [&children] {
        int r = 0;
        for (QWidget *c : children)
            r = std::max(r, c->x() + c->width());
        return r;
    };
    const int before = rightmost();
    for (QWidget *c : children) {
        const int right = c->x() + c->width();
        int need = fitChildren(c); // a frame grows itself
        if (const int text = textWidth(c); text > c->width()) {
            need += text - c->width();
            c->resize(text, c->height());
        }
        if (need <= 0)
            continue;
        for (QWidget *s : children)
            if (s != c && s->x() >= right)
                s->move(s->x() + need, s->y());
    }
    // The parent keeps its margin to the right of its rightmost child.
    const int grow = std::max(0, rightmost() - before);
    if (grow > 0 && !parent->isWindow())
        parent->resize(parent->width() + grow, parent->height());
    return grow;
}

} // namespace

void fitTexts(QWidget *window)
{
    const int grow = fitChildren(window);
    if (grow <= 0)
        return;
    const bool fixed = window->minimumSize() == window->maximumSize();
    const int width = window->width() + grow;
    if (fixed)
        window->setFixedSize(width, window->height());
    else
        window->resize(width, window->height());
}

int titleBarWidth(const QWidget *window)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const int text = QFontMetrics(font).horizontalAdvance(window->windowTitle());
    // A title bar button is about as wide as the bar is high; each side keeps
    // room for two and a half of them (the icon or the close button, and one
    // more, with the gaps between).
    const int button = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return text + 2 * (2 * button + button / 2);
}

void fitListToEntries(QComboBox *box)
{
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // A layout hands out room by the least size: the least is the longest entry.
    box->setMinimumWidth(box->sizeHint().width());
    QAbstractItemView *list = box->view();
    int width = list->sizeHintForColumn(0) + 2 * list->frameWidth();
    if (box->count() > box->maxVisibleItems())
        width += list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    list->setMinimumWidth(width);
}

} // namespace kelm
