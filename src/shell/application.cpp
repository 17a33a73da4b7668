#include "shell/application.h"

#include "dialogs/diainf.h"
#include "dialogs/filedialog.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/modalwindows.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>

namespace kelm {

namespace {
// An hourglass set by the failed command (or by a dialog it opened) must not
// outlive it: every pending override goes.
void restorePointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}
} // namespace

void reportFailure(const QString &caption, std::exception_ptr failure)
{
    restorePointer();
    QString text;
    try {
        std::rethrow_exception(failure);
    } catch (const DbError &e) {
        text = e.text();
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("Неизвестна грешка");
    }
    DiaInf::show(caption.isEmpty() ? QStringLiteral("ГРЕШКА!") : caption, text);
}

bool runGuarded(const QString &caption, const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (...) {
        reportFailure(caption, std::current_exception());
        return false;
    }
}

namespace {

// What Qt's own Bulgarian lacks of the texts its print and file dialogs show.
struct QtText {
    const char *context;
    const char *source;
    const char *bulgarian;
};
const QtText kMissingQtTexts[] = {
    {"QPrintSettingsOutput", "Pages", "Страници"},
    {"QPrintSettingsOutput", "Double Sided Printing", "Двустранен печат"},
    {"QPrintSettingsOutput", "Off", "Изключен"},
    {"QPrintSettingsOutput", "Long side binding", "Подвързване по дългата страна"},
    {"QPrintSettingsOutput", "Short side binding", "Подвързване по късата страна"},
    {"QPrintSettingsOutput",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. "
     "E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     "Посочете страници или интервали, разделени със запетаи. Интервалът се задава с две числа, разделени с "
     "тире. Напр.: 3,5-7,9 печата страници 3, 5, 6, 7 и 9."},
    {"QPrintPropertiesWidget", "Advanced", "Допълнителни"},
    {"QPrintPropertiesWidget", "There are conflicts in some options. Please fix them.",
     "Някои от настройките си противоречат. Моля, поправете ги."},
    {"QAbstractFileIconProvider", "Folder", "Папка"},
    {"QAbstractFileIconProvider", "Drive", "Устройство"},
};

// Consulted before Qt's own translation (the last one installed is asked
// first); every other text falls through to it.
class MissingQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (!context || !sourceText)
            return QString();
        for (const QtText &t : kMissingQtTexts)
            if (std::strcmp(t.context, context) == 0 && std::strcmp(t.source, sourceText) == 0)
                return QString::fromUtf8(t.bulgarian);
        return QString();
    }
    bool isEmpty() const override { return false; }
};

// The file dialog's sizes and dates ("Size", "Date Modified"), in Bulgarian
// whatever the machine's locale (Qt writes them in the system's). Only the
// dialog's view changes: the program's own numbers and dates never go through
// a locale.
class BulgarianFileDates : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        auto *fs = qobject_cast<QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !fs || (index.column() != 1 && index.column() != 3))
            return QIdentityProxyModel::data(index, role);
        const QLocale bg(QLocale::Bulgarian, QLocale::Bulgaria);
        const QModelIndex source = mapToSource(index);
        if (index.column() == 1)
            return fs->isDir(source) ? QIdentityProxyModel::data(index, role) : bg.formattedDataSize(fs->size(source));
        const QDateTime t = fs->lastModified(source);
        return t.isValid() ? bg.toString(t, QStringLiteral("d MMM yyyy HH:mm")) : QString();
    }
};

// Gives every file dialog of Qt's own (not a native one) its Bulgarian dates
// as it is first shown, and makes it pick only: also one that Qt opens by
// itself, as the print dialog's for a file to print to.
class FileDialogDates : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            if (auto *dlg = qobject_cast<QFileDialog *>(watched)) {
                FileDialog::makePickOnly(*dlg);
                if (!dynamic_cast<BulgarianFileDates *>(dlg->proxyModel()))
                    dlg->setProxyModel(new BulgarianFileDates(dlg));
            }
        return false;
    }
};

} // namespace

bool loadQtTranslations(QCoreApplication &app)
{
    // Once per application, however often it is called.
    const QString dates = QStringLiteral("FileDialogDates");
    if (!app.findChild<QObject *>(dates, Qt::FindDirectChildrenOnly)) {
        auto *filter = new FileDialogDates(&app);
        filter->setObjectName(dates);
        app.installEventFilter(filter);
    }
    auto *qt = new QTranslator(&app);
    if (!qt->load(QStringLiteral("qtbase_bg"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    if (!QCoreApplication::installTranslator(qt))
        return false;
    // Ours after Qt's, so that it is asked first.
    return QCoreApplication::installTranslator(new MissingQtTexts(&app));
}

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    // A desktop's own file dialog renames and deletes files whatever it is asked.
    setAttribute(Qt::AA_DontUseNativeDialogs);
    loadQtTranslations(*this);
    installPromptBoxes();
    keepModalWindowsInView();
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportFailure(QStringLiteral("ГРЕШКА!"), std::current_exception());
        return false;
    }
}

} // namespace kelm
