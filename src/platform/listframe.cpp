#include "platform/listframe.h"

#include "platform/database.h"
#include "platform/fittexts.h"
#include "platform/grid.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelm {

ListFrame buildListFrame(QWidget *screen)
{
    ListFrame f;
    f.title = new QLineEdit(screen);
    f.title->setObjectName(QStringLiteral("Text1"));
    f.title->setReadOnly(true);
    f.title->setFocusPolicy(Qt::NoFocus);
    f.title->setAlignment(Qt::AlignCenter);
    f.bold = f.title->font();
    f.bold.setBold(true);
    f.title->setFont(f.bold);

    f.grid = new Grid(screen);
    f.grid->setObjectName(QStringLiteral("GridEX1"));

    f.layout = new QVBoxLayout(screen);
    f.layout->addWidget(f.title);
    f.layout->addWidget(f.grid, 1);
    return f;
}

QLabel *listLabel(QWidget *screen, const QString &name, const QString &text, bool bold, int leastWidth)
{
    auto *l = new LeastLabel(text, screen, leastWidth);
    l->setObjectName(name);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QPushButton *listButton(QWidget *screen, const QString &name, const QString &caption, int minWidth)
{
    auto *b = new LeastButton(caption, screen, minWidth);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

void setListColumns(Grid *grid, std::initializer_list<ListColumn> cols)
{
    int n = 1;
    for (const ListColumn &c : cols) {
        GridColumn col = grid->Columns(n++);
        col.setCaption(QString::fromUtf8(c.caption))
            .setWidth(c.width)
            .setTextAlignment(c.align)
            .setHeaderAlignment(1)
            .setEditable(c.editable);
        if (*c.format)
            col.setFormat(QString::fromLatin1(c.format));
    }
}

} // namespace kelm
