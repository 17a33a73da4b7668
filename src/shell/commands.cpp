#include "shell/commands.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekall.h"
#include "dialogs/diaseekalt.h"
#include "dialogs/mousepointer.h"
#include "platform/database.h"
#include "scratch/temptable.h"
#include "shell/targets.h"

#include <exception>

namespace kelm {

namespace {

enum class Dlg { Seek, Alt, All };

// What a confirmed command does, in this order: pointer back to normal (before
// the text), the action text, pointer back to normal (after it), the second mode
// word, the scratch table, the target.
struct Action {
    bool pointerBefore;
    const char *text;
    bool pointerAfter;
    const char *secondMode; // nullptr: none
    const char *table;      // nullptr: none
    const char *target;
    bool arg;
};

struct SearchCommand {
    const char *control;
    bool hourglass;
    const char *startText; // nullptr: none
    const char *mode;      // nullptr: none
    Dlg dialog;
    const char *caption;
    Action action;
    bool byOption; // the action is chosen by DiaSeekAlt's sOption
};

constexpr const char *S = "Обработвам данните...";

// The statement of a client needs the dialog's trip layout whatever the previous
// command left in gSeekMode, hence its own mode word.
const SearchCommand kCommands[] = {
    {"mnuSprKola", true, S, "Kola", Dlg::Seek, "Търсене - Курсове на кола №",
     {false, "Справка за кола", false, nullptr, nullptr, "PrintTripsByCar", false}, false},
    {"mnuSprPer", true, S, "All", Dlg::Alt, "Търсене - Всички курсове на фирмата",
     {true, "Справка за период", false, nullptr, nullptr, "PrintTripsByPeriod", false}, false},
    {"mnuSprKlient", true, S, "Klients", Dlg::Seek, "Търсене - Всички курсове на клиент",
     {false, "Справка за клиент", false, nullptr, nullptr, "PrintTripsByClient", false}, false},
    {"mnuSprShof", true, S, "Driver", Dlg::Alt, "Търсене - Курсове на шофьор", {}, true},
    {"mnuSprKlientSakr", true, S, "KlientFakt", Dlg::All, "Търсене - Клиент за фактуриране",
     {false, "Справка за клиент", false, nullptr, "TempKlients", "Klients", false}, false},
    {"mnuSprBalanc", false, nullptr, "All", Dlg::Seek, "Търсене - Баланс",
     {false, "Справка за печалбата от колите", true, nullptr, nullptr, "Balans", false}, false},
    {"mnuSprPreRazh", true, S, "All", Dlg::Seek, "Търсене - Разход нафта от кола №",
     {false, "Справка за изгорената нафта от кола...", false, "PreRazh", nullptr, "Balans", false}, false},
    {"mnuSprRowdList", true, S, "Kola", Dlg::Seek, "Търсене - Справка пътни листи",
     {false, "Справка пътни листи", false, nullptr, "TempRowdList", "PrintWaybillReport", false}, false},
    {"mnuDataFakt", true, S, "FaktNew", Dlg::All, "Търсене - Нефактурирани курсове",
     {false, "Фактуриране на курсове...", false, nullptr, "TempPlaten", "Faktura", false}, false},
    {"mnuDataKyrc", true, S, "Kola", Dlg::Seek, "Търсене - Корекция на курсове на кола №",
     {false, "Корекция на курс", false, "EditKurs", nullptr, "Kurs", false}, false},
    {"mnuDataKorКм", false, S, "Kola", Dlg::Seek, "Търсене - Корекция КМ на курсовете на кола №",
     {false, "Корекция КМ на курс", false, nullptr, nullptr, "EditKM", false}, false},
    {"mnuDataKorPl", true, S, "Driver", Dlg::Seek, "Търсене - Корекция плащане на шофьор",
     {false, "Корекция на неплатени курсове на шофьор...", false, nullptr, "TempPlaten", "Plashtane", false}, false},
    {"mnuDataEditFakt", true, S, "EditFakt", Dlg::Seek, "Търсене - Корекция фактури",
     {false, "Корекция на фактурирани курсове...", false, nullptr, "TempPlaten", "Faktura", false}, false},
    {"mnuSlgZapl", true, S, "Driver", Dlg::Seek, "Търсене - Заплата на шофьор...",
     {false, "Заплати за период", false, nullptr, "TempZaplata", "PrintDriverSalary", false}, false},
    {"mnuSprPrihod", true, S, "SkladPR", Dlg::Seek, "Търсене - Справка приходи",
     {false, "Справка за приходите в склада", false, nullptr, "TempSKladPR", "PrintStoreReport", true}, false},
    {"mnuSprRazhod", true, S, "SkladPRN", Dlg::All, "Търсене - Справка разходи",
     {false, "Справка за разходите в склада", false, nullptr, "TempSKladPR", "PrintStoreReport", false}, false},
    {"mnuNal", true, S, "NalichSK", Dlg::Seek, "Търсене - Наличност в склада",
     {false, "Наличност в склада", false, nullptr, nullptr, "NalichSK", false}, false},
    {"mnuPrihPer", false, nullptr, "All", Dlg::Seek, "Търсене - Ревизия на склада",
     {false, "Справка за приходите и разходите в склада", true, nullptr, nullptr, "SkladSK", false}, false},
};

// Курсове от шофьор: the action by the option the user chose.
struct OptionAction {
    const char *option;
    Action action;
};
const OptionAction kDriverOptions[] = {
    {"All", {false, "Справка за всички курсове на шофьор", false, nullptr, nullptr, "PrintTripsByDriver", false}},
    {"Yes", {false, "Справка за платените курсове на шофьор", false, nullptr, "TempPlaten", "PrintDriverTrips", true}},
    {"No", {false, "Справка за неплатените курсове на шофьор", false, nullptr, "TempPlaten", "PrintDriverTrips", false}},
};

TempTableBuilder s_tempTable;

SeekDialog &dialogOf(Dlg d)
{
    switch (d) {
    case Dlg::Alt:
        return DiaSeekAlt::instance();
    case Dlg::All:
        return DiaSeekAll::instance();
    case Dlg::Seek:
        break;
    }
    return DiaSeek::instance();
}

const Action *actionOf(const SearchCommand &cmd)
{
    if (!cmd.byOption)
        return &cmd.action;
    const QString option = DiaSeekAlt::instance().sOption;
    for (const OptionAction &o : kDriverOptions)
        if (option == QLatin1String(o.option))
            return &o.action;
    return nullptr;
}

void run(const SearchCommand &cmd)
{
    if (cmd.hourglass)
        setWaitPointer();
    if (cmd.startText)
        setStatusText(QString::fromUtf8(cmd.startText));
    if (cmd.mode)
        gSeekMode = QString::fromUtf8(cmd.mode);
    if (!dialogOf(cmd.dialog).run(QString::fromUtf8(cmd.caption)))
        return; // cancelled: the start text stays, nothing else happens
    const Action *a = actionOf(cmd);
    if (!a)
        return;
    if (a->pointerBefore)
        setNormalPointer();
    setStatusText(QString::fromUtf8(a->text));
    if (a->pointerAfter)
        setNormalPointer();
    if (a->secondMode)
        gSeekMode = QString::fromUtf8(a->secondMode);
    if (a->table) {
        const QString table = QString::fromUtf8(a->table);
        if (s_tempTable)
            s_tempTable(table);
        else
            CreateTempTable(table);
    }
    runTarget(QString::fromUtf8(a->target), a->arg);
}

} // namespace

QStringList searchCommandTargets(const QString &control)
{
    QStringList targets;
    for (const SearchCommand &cmd : kCommands) {
        if (control != QString::fromUtf8(cmd.control))
            continue;
        if (!cmd.byOption)
            targets << QString::fromUtf8(cmd.action.target);
        else
            for (const OptionAction &o : kDriverOptions)
                targets << QString::fromUtf8(o.action.target);
    }
    return targets;
}

void setTempTableBuilder(TempTableBuilder builder)
{
    s_tempTable = std::move(builder);
}

bool runSearchCommand(const QString &control)
{
    for (const SearchCommand &cmd : kCommands) {
        if (control != QString::fromUtf8(cmd.control))
            continue;
        NormalPointerOnExit normal;
        try {
            run(cmd);
        } catch (const DbError &e) {
            setNormalPointer();
            DiaInf::show(QStringLiteral("ГРЕШКА!"), e.text());
        } catch (const std::exception &e) {
            setNormalPointer();
            DiaInf::show(QStringLiteral("ГРЕШКА!"), QString::fromUtf8(e.what()));
        }
        return true;
    }
    return false;
}

} // namespace kelm
