#include "dialogs/filedialog.h"

#include <QAction>
#include <QShowEvent>
#include <QToolButton>

namespace kelm {

FileDialog::FileDialog(QWidget *parent, const QString &caption, const QString &folder, const QString &filter)
    : QFileDialog(parent, caption, folder, filter)
{
    makePickOnly(*this);
}

void FileDialog::makePickOnly(QFileDialog &dialog)
{
    // Qt's own widgets first: read-only then reaches their list and actions.
    dialog.setOption(DontUseNativeDialog);
    dialog.setOption(ReadOnly);
    // Read-only takes away rename and delete; the new-folder button, and the
    // context menu's entry that follows it, go here.
    if (auto *button = dialog.findChild<QToolButton *>(QStringLiteral("newFolderButton")))
        button->hide();
    if (auto *action = dialog.findChild<QAction *>(QStringLiteral("qt_new_folder_action")))
        action->setEnabled(false);
}

void FileDialog::showEvent(QShowEvent *e)
{
    makePickOnly(*this);
    QFileDialog::showEvent(e);
}

} // namespace kelm
