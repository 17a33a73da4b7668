#include "filedialogcheck.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QStringList>

QString fileDialogChanges(QFileDialog *dialog)
{
    if (!dialog)
        return QStringLiteral("no file dialog");
    QStringList wrong;
    if (!dialog->testOption(QFileDialog::DontUseNativeDialog))
        wrong << QStringLiteral("a native dialog");
    if (!dialog->testOption(QFileDialog::ReadOnly))
        wrong << QStringLiteral("not read-only");
    const auto *model = dialog->findChild<QFileSystemModel *>();
    if (!model || !model->isReadOnly())
        wrong << QStringLiteral("its list may rename");
    for (const char *name : {"qt_rename_action", "qt_delete_action", "qt_new_folder_action"}) {
        const auto *action = dialog->findChild<QAction *>(QLatin1String(name));
        if (!action || action->isEnabled())
            wrong << QLatin1String(name);
    }
    if (const auto *button = dialog->findChild<QAbstractButton *>(QStringLiteral("newFolderButton"));
        !button || (button->isEnabled() && !button->isHidden()))
        wrong << QStringLiteral("its new-folder button");
    return wrong.join(QStringLiteral(", "));
}
