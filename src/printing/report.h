#pragma once
// The banded report runtime: a design declared once in code (sections with named
// controls), one instance per design, filled at run time from a snapshot of rows,
// laid out into pages once, and painted by one painter to the preview, the printer
// and PDF files.
//
// A filler's usual run:
//     Report &r = Report::instance("rptX", &declareRptX);
//     r.setCaption(screenCaption("..."));
//     r.setDataSource(ReportData::fromRecordset(rs));
//     r.section("ReportHeader").control("Label1").setCaption(gFirmName);
//     r.section("Detail").control("Text100").setDataField("Data");
//     r.show(modal);
// Unknown sections or controls, and DataFields that the rows do not have, throw
// ReportError; the filler reports it (showReportError) and shows nothing.

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <stdexcept>

class QPainter;
class QPagedPaintDevice;
class QPageLayout;

namespace kelm {

class Recordset;
class Report;
struct ReportColumn; // a detail column as the layout fits it (report.cpp)
class ReportPreview;

class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString &text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

// A report's rows, copied when the data source is set, so that a later change of
// the tables (a rebuilt scratch database) never changes a report already shown.
// Field names match without regard to case. The cells are held in one block, and
// equal short texts of a column share one copy, so large reports stay small.
class Connection;
class ReportData {
public:
    ReportData() = default;
    ReportData(const QStringList &fields, const QVector<QVector<QVariant>> &rows);
    // The rows an open recordset holds now.
    static ReportData fromRecordset(const Recordset &rs);
    // Runs a query (values bound, as Recordset::open does) and keeps its rows,
    // typed as a recordset would give them. Throws DbError when the query fails.
    static ReportData fromQuery(Connection &conn, const QString &sql, const QVariantList &params = {});

    const QStringList &fieldNames() const { return m_fields; }
    int fieldIndex(const QString &name) const; // -1 when absent
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
    int rowCount() const { return m_rows; }
    QVariant value(int row, int field) const;
    QVariant value(int row, const QString &field) const;

private:
    // One value in 16 bytes: numbers, flags, dates and times inline; texts as an
    // index into the column's table of distinct texts.
    struct Cell {
        enum Kind : quint32 { Null, Bool, Int, LongLong, Double, Date, Time, Text, Other };
        Kind kind = Null;
        quint32 index = 0;
        union {
            double d;
            qint64 i;
        } v{};
    };
    struct Column {
        QStringList texts;
        QHash<QString, quint32> textIndex;
    };
    static constexpr int kChunkRows = 1024;

    void setFields(const QStringList &fields);
    void appendValue(int field, const QVariant &v);
    Cell &newCell();

    QStringList m_fields;
    QHash<QString, int> m_index;
    // Cells row after row, in chunks of kChunkRows rows (no large copies as rows come).
    QVector<std::shared_ptr<std::vector<Cell>>> m_chunks;
    QVector<Column> m_columns;
    QVector<QVariant> m_other;
    int m_rows = 0;
    qsizetype m_cellCount = 0;
};

// The text a bound value prints as: text as it is; dates dd.mm.yyyy; numbers with
// a decimal comma (with the given format, e.g. "###0.00", or as many decimals as
// the value has when none); Booleans as the report's tick mark or nothing.
QString reportValueText(const QVariant &v, const QString &format = QString());
// The mark a True flag prints as.
QString reportTrueMark();

enum class ReportAlign { Left, Center, Right };

class ReportControl {
public:
    enum Kind { Label, TextBox, Function, Line, Shape };

    Kind kind() const { return m_kind; }
    QString name() const { return m_name; }

    // Labels: the printed text; a carriage return starts a new line.
    QString caption() const { return m_caption; }
    ReportControl &setCaption(const QString &text);
    // Text and function boxes: the field of the rows.
    QString dataField() const { return m_dataField; }
    ReportControl &setDataField(const QString &field);
    // Function boxes: 0 = sum (the only kind used).
    int functionType() const { return m_functionType; }
    ReportControl &setFunctionType(int type);
    // Number format of a bound value ("###0", "###0.00", ...); empty: as it comes.
    QString dataFormat() const { return m_format; }
    ReportControl &setDataFormat(const QString &format);
    ReportAlign alignment() const { return m_align; }
    ReportControl &setAlignment(ReportAlign a);
    // Background of the box; an invalid colour is transparent.
    QColor backColor() const { return m_backColor; }
    ReportControl &setBackColor(const QColor &c);
    // Text boxes: a background decided per row (overrides backColor when set and
    // returning a valid colour).
    using RowColor = std::function<QColor(const ReportData &data, int row)>;
    ReportControl &setRowBackColor(RowColor fn);
    QColor backColorAt(const ReportData &data, int row) const;
    bool visible() const { return m_visible; }
    ReportControl &setVisible(bool v);
    // Position and size within the section, twips.
    int left() const { return m_left; }
    int top() const { return m_top; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    ReportControl &setLeft(int twips);
    ReportControl &setTop(int twips);
    ReportControl &setGeometry(int left, int top, int width, int height);
    // Font: size in points, bold.
    double fontSize() const { return m_fontSize; }
    bool bold() const { return m_bold; }
    ReportControl &setFont(double points, bool bold = false);
    // Font family; empty: the report's own (DejaVu Sans).
    QString fontFamily() const { return m_family; }
    ReportControl &setFontFamily(const QString &family);
    // Lines and frames: pen width in twips.
    int lineWidth() const { return m_lineWidth; }
    ReportControl &setLineWidth(int twips);
    // Labels: a paragraph set from the box's top, its lines filling the box's
    // width. (Any text too wide for its box runs on over further lines, see
    // ReportItem::lines; this only sets where the first line stands.)
    bool wordWrap() const { return m_wordWrap; }
    ReportControl &setWordWrap(bool on);

private:
    friend class ReportSection;
    friend class Report;
    ReportControl(Kind k, const QString &name) : m_kind(k), m_name(name) {}
    void changed();

    Report *m_report = nullptr;
    Kind m_kind;
    QString m_name;
    QString m_caption;
    QString m_dataField;
    int m_functionType = 0;
    QString m_format;
    ReportAlign m_align = ReportAlign::Left;
    QColor m_backColor;
    RowColor m_rowColor;
    bool m_visible = true;
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    double m_fontSize = 9;
    bool m_bold = false;
    QString m_family;
    int m_lineWidth = 15;
    bool m_wordWrap = false;
};

class ReportSection {
public:
    QString name() const { return m_name; }
    int height() const { return m_height; }
    // Throws ReportError for a name the section does not have.
    ReportControl &control(const QString &name);
    const ReportControl *findControl(const QString &name) const;
    const std::vector<std::unique_ptr<ReportControl>> &controls() const { return m_controls; }

    // Declaring the design (done once, in the design's declaration function).
    ReportControl &addLabel(const QString &name, int left, int top, int width, int height,
                            const QString &caption = QString(), double points = 9, bool bold = false,
                            ReportAlign align = ReportAlign::Left);
    ReportControl &addTextBox(const QString &name, int left, int top, int width, int height,
                              ReportAlign align = ReportAlign::Left, const QString &format = QString());
    ReportControl &addFunction(const QString &name, int left, int top, int width, int height,
                               ReportAlign align = ReportAlign::Right, const QString &format = QString());
    // A horizontal or vertical line from (left, top) of the given width/height.
    ReportControl &addLine(const QString &name, int left, int top, int width, int height);
    ReportControl &addShape(const QString &name, int left, int top, int width, int height);

private:
    friend class Report;
    ReportSection(Report *r, const QString &name, int height) : m_report(r), m_name(name), m_height(height) {}
    ReportControl &add(ReportControl::Kind k, const QString &name, int l, int t, int w, int h);

    Report *m_report;
    QString m_name;
    int m_height;
    std::vector<std::unique_ptr<ReportControl>> m_controls;
};

// One laid-out page: which bands it carries and which rows. A page that only
// carries the report footer (moved on because it did not fit under the last
// row) has no page header: there are no columns under the captions.
struct ReportPage {
    bool reportHeader = false;
    bool pageHeader = false;
    int firstRow = 0;
    int rowCount = 0;
    bool reportFooter = false;
    bool pageFooter = false;
};

// One printed piece of a page, in twips from the paper's top-left corner.
struct ReportItem {
    QString section;
    QString control;
    int row = -1; // the data row for detail items
    ReportControl::Kind kind = ReportControl::Label;
    QRectF rect;
    QString text;
    QColor backColor;
    ReportAlign align = ReportAlign::Left;
    double fontSize = 9;
    bool bold = false;
    QString fontFamily;
    int lineWidth = 15;
    bool wordWrap = false;
    // What is printed: the text in lines, each within the box's width (a number
    // is never broken), and where the first line's slot stands below the box's
    // top. A text too wide for its box runs on over further lines, and the box,
    // the band and everything below it in the band grow to hold them. A number
    // too wide for its box at the box's size is set smaller (fontSize), never
    // below kReportLeastPoints; the detail columns have first been given the room
    // their numbers need (see Report::layout).
    QStringList lines;
    double firstLineTop = 0;
    double lineHeight = 0;
    bool fromTop = false; // a paragraph set from the box's top, not one line in its middle
};

class Report {
public:
    using Declare = void (*)(Report &);
    // The one instance of a design, declared by `declare` on first use.
    static Report &instance(const QString &designName, Declare declare);
    // An instance already created, or nullptr.
    static Report *existing(const QString &designName);

    // A free-standing report (tests, tools); normally use instance().
    explicit Report(const QString &designName);
    ~Report();
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    QString name() const { return m_name; }

    // Design values (set once in the declaration) and page values (per run).
    QString caption() const { return m_caption; }
    void setCaption(const QString &text);
    QString designCaption() const { return m_designCaption; }
    void setDesignCaption(const QString &text); // also the caption until one is set
    int reportWidth() const { return m_reportWidth; }
    void setReportWidth(int twips);
    bool landscape() const { return m_landscape; }
    void setLandscape(bool on);
    // Margins 1 to 4: left, right, top, bottom, twips.
    int margin(int which) const;
    void setMargins(int left, int right, int top, int bottom);
    void setDefaultMargins(int left, int right, int top, int bottom);
    // Preview window size, twips (0: a size of its own).
    int windowWidth() const { return m_winW; }
    int windowHeight() const { return m_winH; }
    void setWindowSize(int widthTwips, int heightTwips);
    void setDefaultWindowSize(int widthTwips, int heightTwips);
    // Back to the design's own page values (orientation, margins, window size).
    void resetPageValues();

    ReportSection &addSection(const QString &name, int heightTwips);
    // Throws ReportError for a section the design does not have.
    ReportSection &section(const QString &name);
    const ReportSection *findSection(const QString &name) const;

    // The rows, copied now; without a data source the report prints its other bands.
    void setDataSource(const ReportData &data);
    void setDataSource(const Recordset &rs);
    void clearDataSource();
    bool hasDataSource() const { return m_hasData; }
    const ReportData &data() const { return m_data; }

    // Lays the pages out (once per fill) after checking every DataField; throws
    // ReportError when a field is missing from the rows.
    //
    // Numbers are printed whole: a number (or a date, or an amount with its
    // unit) is never broken over lines, never cut and never set into a box's
    // inner margin. Before the pages are laid out the detail band's side-by-side
    // text boxes (the columns) are measured over every row, with the captions and
    // totals standing exactly over them; a column whose widest number does not
    // fit takes, in this order:
    //  1. the room its neighbours leave unused (nearest first): nothing else on
    //     the page changes but where the columns meet;
    //  2. nothing more when the number fits the room it now has at a smaller
    //     size, down to kReportLeastPoints: only that number is set smaller;
    //  3. otherwise the room it needs at that least size, from the columns whose
    //     texts may run on over more lines (most room first), as far as they can
    //     give it without breaking a number of their own or a word of a caption.
    // Everything of the page header, the detail band and the report footer that
    // stands on a line where two columns meet moves with it (captions, rules,
    // the totals under a column). Any other text whose number is wider than its
    // box is set smaller in the same way.
    void layout();
    int pageCount();
    ReportPage page(int index);
    // Everything printed on a page (index from 0), in drawing order.
    QVector<ReportItem> pageItems(int index);
    // Text of a control as printed: a detail box for a row, or a header/footer control.
    QString controlText(const QString &section, const QString &control, int row = -1);
    // Sum of a field over all rows (what a function box of type 0 prints).
    double sum(const QString &field) const;

    // Paper in twips (A4, turned for landscape).
    int paperWidth() const;
    int paperHeight() const;

    // The one painter: draws page `index` with the painter in twips, origin at the
    // paper's top-left corner.
    void paintPage(QPainter &p, int index);
    // Prints pages [from, to] (0-based, inclusive; -1: all) on a printer or PDF writer.
    void render(QPagedPaintDevice &device, int from = 0, int to = -1);
    // Writes the whole report to a PDF file; throws ReportError when it cannot.
    void exportPdf(const QString &path);

    // Shows the preview: modeless returns at once (the same preview is reused and
    // refreshed while open); modal returns when it is closed.
    void show(bool modal = false);
    ReportPreview *preview() const;
    // Bumped by every change, so the preview knows when to refresh.
    int revision() const { return m_revision; }

private:
    friend class ReportControl;
    friend class ReportSection;
    void invalidate();
    void checkFields() const;
    // The band as printed at `top` for a row; `height` gets its height, grown
    // for texts that run on over more lines.
    QVector<ReportItem> sectionItems(const ReportSection &s, double top, int row, double *height = nullptr);
    // The printed height of a band for a row.
    double bandHeight(const ReportSection &s, int row);
    // The passes of layout(), in order. fitColumns() gives the detail columns
    // the room their numbers need: it measures each column, then moves the
    // edges where columns meet (see layout()). measureRows() finds each row's
    // printed height; breakPages() deals the rows out to pages.
    void fitColumns();
    void measureColumn(ReportColumn &col, bool withLines);
    void moveColumnEdges(const QVector<ReportColumn> &cols);
    void measureRows();
    void breakPages();
    // Where a control stands across the page for this fill, twips within the
    // report's width: its design place, or the one fitColumns() gave it.
    double boxLeft(const ReportControl &c) const;
    double boxWidth(const ReportControl &c) const;
    QString itemText(const ReportControl &c, int row) const;

    QString m_name;
    QString m_caption;
    QString m_designCaption;
    int m_reportWidth = 9645;
    bool m_landscape = false;
    bool m_defLandscape = false;
    int m_margins[4] = {1440, 1440, 1440, 1440};
    int m_defMargins[4] = {1440, 1440, 1440, 1440};
    int m_winW = 0, m_winH = 0, m_defWinW = 0, m_defWinH = 0;
    std::vector<std::unique_ptr<ReportSection>> m_sections;
    ReportData m_data;
    bool m_hasData = false;
    bool m_laidOut = false;
    QVector<ReportPage> m_pages;
    // Each detail row's printed height, when any row grew (else all are the band's).
    QVector<float> m_rowHeights;
    // Controls fitColumns() moved or widened: left and width, twips.
    QHash<const ReportControl *, QPair<double, double>> m_boxes;
    mutable QHash<QString, double> m_sums;
    int m_revision = 0;
    QPointer<ReportPreview> m_preview;
};

// While one lives, Report::show lays the report out and records it instead of
// opening a window (tests and tools that must not block).
class ReportCapture {
public:
    ReportCapture();
    ~ReportCapture();
    ReportCapture(const ReportCapture &) = delete;
    ReportCapture &operator=(const ReportCapture &) = delete;
    static ReportCapture *active();

    struct Shown {
        QString design;
        QString caption;
        bool modal;
        int pages;
    };
    QList<Shown> shown;

private:
    ReportCapture *m_previous;
};

// The inner space on either side of a box's text, twips.
constexpr double kReportBoxPad = 70;
// The least size a number is set in when it does not fit its box, points.
constexpr double kReportLeastPoints = 6;
// The font an item is painted in (sizes in twips, as the painter works).
QFont reportItemFont(const ReportItem &it);
// The width a line of the item's text may take, twips.
double reportTextRoom(const ReportItem &it);

// A4 paper of the report's orientation, with no margins of the device's own (the
// report keeps its own margins).
QPageLayout reportPageLayout(const Report &r);

// Reports a failed fill the program's way: DiaInf "ГРЕШКА!" with the message.
void showReportError(const QString &text);

} // namespace kelm
