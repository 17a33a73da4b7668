#pragma once
// The page values and frame texts of every printed report, in one table: who fills
// it, what it is bound to, its window title(s), how much of the version its footer
// shows, its width and orientation, its four margins (and which of them the filler
// sets), its preview window, the labels of its company header and whether it is
// shown modal. Designs declare their defaults from here and fillers set their page
// from here, so the two never drift apart.

#include <QString>
#include <QVector>

namespace kelm {

class Report;

struct ReportDesignInfo {
    QString design;        // "rptKola"
    QString filler;        // "PrintTripsByCar", "Balans.cmdPrint_Click", ...
    QString dataSource;    // "tabl" (a query on the trips) or the scratch table
    // The window title after "Тревалон <major>.<minor> - ". Empty: the design keeps
    // its own caption (designCaption) with no version prefix.
    QString title;
    // The second title of the designs that print two kinds of list (paid/unpaid,
    // receipts/issues, balance/fuel); empty otherwise.
    QString altTitle;
    QString designCaption; // the caption the design is declared with
    bool fullVersion;      // footer "major.minor.revision" rather than "major.minor"
    int width;             // report width, twips
    bool landscape;
    int margins[4];        // margins 1 to 4 (left, right, top, bottom), twips
    bool fillerSetsMargin[4];
    int windowWidth;       // preview window, twips (0: its own size)
    int windowHeight;
    QString headerSection; // the band of the company header
    QString nameLabel;
    QString addressLabel;
    QString contactsLabel; // empty: the design has none
    bool addressOnly;      // the address label gets the street address alone
    QString versionLabel;  // page-footer label of the version
    QString titleLabel;    // design title label
    QString subjectLabel;  // subject line label
    bool modal;

    // The window title a run gives the report ("Тревалон 2.3 - ..."), or the design
    // caption where the design keeps it; `alt` picks the second title.
    QString windowCaption(bool alt = false) const;
    bool setsWindow() const { return windowWidth > 0 && windowHeight > 0; }
};

// All fifteen designs that are shown, in the order of the report list.
const QVector<ReportDesignInfo> &reportDesigns();
// The row of a design; throws ReportError for a name not in the table.
const ReportDesignInfo &reportDesign(const QString &design);

// Declares the design's own page values (caption, width, orientation, margins,
// window) on a report being declared.
void declareDesignPage(Report &r, const ReportDesignInfo &info);
// A run's page setup: orientation, the margins the filler sets, the window size;
// values the filler does not set go back to the design's.
void applyDesignPage(Report &r, const ReportDesignInfo &info);

} // namespace kelm
