#include "printing/reportdesigns.h"

#include "printing/report.h"
#include "printing/reportframe.h"

namespace kelm {

namespace {

const QString RH = QStringLiteral("ReportHeader");
const QString PH = QStringLiteral("PageHeader");

// Margins the filler sets at run time (the others stay the design's).
constexpr bool kAll[4] = {true, true, true, true};
constexpr bool kNone[4] = {false, false, false, false};
constexpr bool kTopBottom[4] = {false, false, true, true};

ReportDesignInfo row(const char *design, const char *filler, const char *source, const char *title,
                     const char *altTitle, const char *designCaption, bool full, int width, bool landscape,
                     std::initializer_list<int> m, const bool (&set)[4], int winW, int winH,
                     const QString &headerSection, const char *nameLbl, const char *addrLbl, const char *contLbl,
                     bool addressOnly, const char *versionLbl, const char *titleLbl, const char *subjectLbl,
                     bool modal)
{
    ReportDesignInfo i;
    i.design = QString::fromUtf8(design);
    i.filler = QString::fromUtf8(filler);
    i.dataSource = QString::fromUtf8(source);
    i.title = QString::fromUtf8(title);
    i.altTitle = QString::fromUtf8(altTitle);
    i.designCaption = QString::fromUtf8(designCaption);
    i.fullVersion = full;
    i.width = width;
    i.landscape = landscape;
    int k = 0;
    for (int v : m)
        i.margins[k++] = v;
    for (int j = 0; j < 4; ++j)
        i.fillerSetsMargin[j] = set[j];
    i.windowWidth = winW;
    i.windowHeight = winH;
    i.headerSection = headerSection;
    i.nameLabel = QString::fromUtf8(nameLbl);
    i.addressLabel = QString::fromUtf8(addrLbl);
    i.contactsLabel = QString::fromUtf8(contLbl);
    i.addressOnly = addressOnly;
    i.versionLabel = QString::fromUtf8(versionLbl);
    i.titleLabel = QString::fromUtf8(titleLbl);
    i.subjectLabel = QString::fromUtf8(subjectLbl);
    i.modal = modal;
    return i;
}

QVector<ReportDesignInfo> makeTable()
{
    constexpr bool L = true, P = false;       // orientation
    constexpr bool FULL = true, SHORT = false; // footer version
    constexpr bool MODAL = true, MODELESS = false;
    return {
        // The trip lists, read straight from the trips and kept open beside the main window.
        row("rptKola", "PrintTripsByCar", "tabl", "", "", "Справка за кола", FULL, 14805, L, {1000, 1000, 567, 600},
            kAll, 14800, 10050, RH, "Label1", "Label2", "Label9", false, "Label6", "Label3", "Label4", MODELESS),
        row("rptAll", "PrintTripsByPeriod", "tabl", "Справка за курсове", "", "Справка за курсове", FULL, 14805, L,
            {1000, 1000, 567, 600}, kAll, 14800, 10050, RH, "Label1", "Label2", "Label9", false, "Label6", "Label3",
            "Label4", MODELESS),
        row("rptKlient", "PrintTripsByClient", "tabl", "Справка за курсовете", "", "Справка за курсовете", FULL, 9645,
            P, {1440, 567, 567, 1000}, kAll, 0, 0, RH, "Label1", "Label2", "Label9", false, "Label6", "Label3",
            "Label4", MODELESS),
        row("rptDriver", "PrintTripsByDriver", "tabl", "Справка за курсовете", "", "Справка за курсовете", FULL,
            14805, L, {1000, 1000, 567, 600}, kAll, 14800, 10050, RH, "Label1", "Label2", "Label9", false, "Label6",
            "Label3", "Label4", MODELESS),
        // Staged reports, shown modal.
        row("rptRowdList", "PrintWaybillReport", "TempRowdList", "Справка пътни листи", "", "Справка пътни листи",
            FULL, 10020, P, {1000, 567, 567, 770}, kAll, 0, 0, RH, "Label1", "Label2", "Label9", false, "Label6",
            "Label3", "Label4", MODAL),
        row("rptZaplata", "PrintDriverSalary", "TempZaplata", "Заплата", "", "Заплата", SHORT, 10005, P,
            {990, 567, 567, 1000}, kAll, 0, 0, RH, "Label1", "Label2", "Label9", false, "Label6", "Label3", "Label4",
            MODAL),
        row("rptNePlaten", "PrintDriverTrips", "TempPlaten", "Справка платени курсове", "Справка неплатени курсове",
            "Справка платени курсове", SHORT, 10005, P, {1000, 567, 567, 1000}, kAll, 0, 0, RH, "Label1", "Label2",
            "Label9", false, "Label6", "Label3", "Label4", MODAL),
        row("rptSkladPR", "PrintStoreReport", "TempSKladPR", "Справка - Приходи в склада",
            "Справка - Разходи в склада", "Справка - Приходи в склада", SHORT, 9600, P, {1440, 440, 567, 1000},
            kTopBottom, 0, 0, RH, "Label4", "Label5", "Label9", false, "Label6", "Label1", "Label2", MODAL),
        row("rptBalans", "Balans.cmdPrint_Click", "TempBalans", "Справка баланс на колите", "Справка разход на нафта",
            "Справка баланс на колите", FULL, 9660, P, {1440, 440, 720, 975}, kNone, 0, 0, RH, "Label4", "Label5",
            "Label9", false, "Label6", "Label1", "Label2", MODAL),
        // The attestation has its own layout, all in its page header.
        row("rptDAI", "DAI.cmdPrint_Click", "shof", "Удостоверение за ДАИ", "", "Удостоверение за ДАИ", SHORT, 10005,
            P, {1100, 720, 440, 720}, kNone, 0, 0, PH, "Label1", "Label2", "Label6", false, "Label5", "", "", MODAL),
        // Screens' print buttons.
        row("rptFaktura", "Faktura.cmdPrint_Click", "TempPlaten", "Справка за курсовете във фактура", "",
            "Справка за курсовете във фактура", SHORT, 10005, P, {1000, 567, 567, 1000}, kAll, 0, 0, RH, "Label1",
            "Label2", "Label11", false, "Label6", "Label3", "Label4", MODAL),
        row("rptKlientS", "Klients.cmdPrint_Click", "TempKlientsNew", "Справка за курсове", "", "Справка за курсове",
            SHORT, 9645, P, {1440, 567, 567, 1000}, kAll, 0, 0, RH, "Label1", "Label2", "Label9", false, "Label6",
            "Label3", "Label4", MODELESS),
        row("rptPlaten", "Plashtane.cmdPrint_Click", "TempPlaten", "Справка платени курсове", "",
            "Справка платени курсове", SHORT, 10005, P, {1000, 567, 567, 1000}, kAll, 0, 0, RH, "Label1", "Label2", "",
            true, "Label6", "Label3", "Label4", MODAL),
        row("rptNalich", "NalichSK.cmdPrint_Click", "TempNal", "Справка склад", "", "Справка склад", SHORT, 9660, P,
            {1440, 440, 720, 975}, kNone, 0, 0, RH, "Label4", "Label5", "Label3", false, "Label6", "Label1", "Label2",
            MODAL),
        row("rptSklad", "SkladSK.cmdPrint_Click", "TempSKlad", "Справка склад", "", "Справка склад", SHORT, 9660, P,
            {1440, 440, 720, 975}, kNone, 0, 0, RH, "Label4", "Label5", "Label10", false, "Label6", "Label1",
            "Label2", MODAL),
    };
}

} // namespace

QString ReportDesignInfo::windowCaption(bool alt) const
{
    if (title.isEmpty())
        return designCaption;
    return reportWindowCaption(alt && !altTitle.isEmpty() ? altTitle : title);
}

const QVector<ReportDesignInfo> &reportDesigns()
{
    static const QVector<ReportDesignInfo> table = makeTable();
    return table;
}

const ReportDesignInfo &reportDesign(const QString &design)
{
    for (const ReportDesignInfo &i : reportDesigns())
        if (i.design == design)
            return i;
    throw ReportError(QStringLiteral("Няма справка „%1“.").arg(design));
}

void declareDesignPage(Report &r, const ReportDesignInfo &info)
{
    r.setDesignCaption(info.designCaption);
    r.setReportWidth(info.width);
    r.setLandscape(info.landscape);
    r.setDefaultMargins(info.margins[0], info.margins[1], info.margins[2], info.margins[3]);
    r.setDefaultWindowSize(info.windowWidth, info.windowHeight);
}

void applyDesignPage(Report &r, const ReportDesignInfo &info)
{
    r.resetPageValues();
    r.setLandscape(info.landscape);
    int m[4];
    for (int i = 0; i < 4; ++i)
        m[i] = info.fillerSetsMargin[i] ? info.margins[i] : r.margin(i + 1);
    r.setMargins(m[0], m[1], m[2], m[3]);
    if (info.setsWindow())
        r.setWindowSize(info.windowWidth, info.windowHeight);
}

} // namespace kelm
