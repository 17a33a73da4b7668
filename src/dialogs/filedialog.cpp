#include "dialogs/filedialog.h"

#include <QAction>
#include <QShowEvent>
#include <QToolButton>

namespace kelm {

FileDialog::FileDialog(QWidget *parent, const QString &caption, const QString &folder, const QString &filter)
    : QFileDialog(parent, caption, folder, filter)
{
    // Qt's own widgets first: read-only then reaches their list and actions.
    setOption(DontUseNativeDialog);
    setOption(ReadOnly);
    offerNoNewFolder();
}

QFileDialog::Options FileDialog::pickOnly()
{
    return DontUseNativeDialog | ReadOnly;
}

void FileDialog::showEvent(QShowEvent *e)
{
    setOptions(options() | pickOnly());
    offerNoNewFolder();
    QFileDialog::showEvent(e);
}

// Read-only takes away rename and delete; the new-folder button and the
// context menu's entry that follows it are taken away here.
void FileDialog::offerNoNewFolder()
{
    if (auto *button = findChild<QToolButton *>(QStringLiteral("newFolderButton")))
        button->hide();
    if (auto *action = findChild<QAction *>(QStringLiteral("qt_new_folder_action")))
        action->setEnabled(false);
}

} // namespace kelm
