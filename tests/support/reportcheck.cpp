#include "reportcheck.h"

#include "printing/report.h"

#include <QDir>
#include <QFontMetricsF>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPair>
#include <QRegularExpression>
#include <QSet>
#include <QTextItem>

#include <algorithm>

using namespace kelm;

namespace {

// What the one painter really draws, recorded instead of drawn: each piece of
// text with the room its letters take on the paper (twips) and the clip it is
// drawn under. A paint device of 1440 dots an inch, so that the painter's own
// units are the device's.
struct PaintedRun {
    QString text;
    QRectF rect; // from the pen position to the end of the advance, ascent to descent
    QRectF clip; // empty when nothing clips
    double pixelSize = 0;
};

class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    QList<PaintedRun> runs;
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPath(const QPainterPath &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawLines(const QLineF *, int) override {}
    void drawRects(const QRectF *, int) override {}
    void drawTextItem(const QPointF &p, const QTextItem &ti) override
    {
        const QTransform t = painter()->worldTransform();
        const QRectF r(p.x(), p.y() - ti.ascent(), ti.width(), ti.ascent() + ti.descent());
        PaintedRun run;
        run.text = ti.text();
        run.rect = t.mapRect(r);
        if (painter()->hasClipping())
            run.clip = t.mapRect(painter()->clipBoundingRect());
        run.pixelSize = ti.font().pixelSize() * t.m22();
        runs << run;
    }
    Type type() const override { return QPaintEngine::User; }
};

class RecordingDevice : public QPaintDevice {
public:
    RecordingDevice(int w, int h) : m_w(w), m_h(h) {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    QList<PaintedRun> runs() const { return m_engine.runs; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return m_w;
        case PdmHeight: return m_h;
        case PdmWidthMM: return int(m_w * 25.4 / 1440);
        case PdmHeightMM: return int(m_h * 25.4 / 1440);
        case PdmNumColors: return 0x7fffffff;
        case PdmDepth: return 32;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 1440;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    int m_w, m_h;
    mutable RecordingEngine m_engine;
};

// Every piece of text the painter draws on a page, in drawing order.
QList<PaintedRun> paintedRuns(Report &r, int page)
{
    RecordingDevice dev(r.paperWidth(), r.paperHeight());
    QPainter p(&dev);
    r.paintPage(p, page);
    p.end();
    return dev.runs();
}

// The pieces the painter drew for each text of a page, matched to the laid-out
// items in drawing order: each laid-out line is drawn as one or more pieces.
struct PaintedItem {
    const ReportItem *item;
    QList<PaintedRun> runs;
    QStringList lines; // the text drawn for each laid-out line
};

bool isText(const ReportItem &it)
{
    return it.kind != ReportControl::Line && it.kind != ReportControl::Shape && !it.text.isEmpty();
}

QList<PaintedItem> paintedItems(const QVector<ReportItem> &items, const QList<PaintedRun> &runs)
{
    QList<PaintedItem> out;
    int next = 0;
    for (const ReportItem &it : items) {
        if (!isText(it))
            continue;
        PaintedItem pi{&it, {}, {}};
        for (const QString &line : it.lines) {
            QString drawn;
            while (next < runs.size() && drawn.size() < line.size()
                   && line.startsWith(drawn + runs.at(next).text)) {
                drawn += runs.at(next).text;
                pi.runs << runs.at(next++);
            }
            pi.lines << drawn;
        }
        out << pi;
    }
    return out;
}

// A number, a date or an amount with its unit, as a reader reads one word.
bool isNumberWord(const QString &w)
{
    static const QRegularExpression re(QStringLiteral("^[-+]?\\d[\\d.,:/]*(\\p{L}{1,3}\\.?)?$"));
    return re.match(w).hasMatch();
}

// What a reader finds wrong with one printed text: its laid-out lines and what
// the painter drew of them.
QStringList faultsOf(Report &r, int page, const ReportItem &it, const PaintedItem *painted)
{
    QStringList out;
    const QString where = QStringLiteral("%1 p.%2 %3 „%4“").arg(r.name()).arg(page + 1).arg(it.control, it.text);
    if (it.rect.right() > r.margin(1) + r.reportWidth() + 0.5)
        out << where + QStringLiteral(" reaches past the report's width");
    if (it.text.isEmpty())
        return out;
    if (it.lines.isEmpty())
        out << where + QStringLiteral(" is not printed");
    // The laid-out lines: each within the box's inner room, no number broken.
    const QFontMetricsF fm(reportItemFont(it));
    for (const QString &line : it.lines) {
        if (line.endsWith(QChar(0x2026)) && !it.text.endsWith(QChar(0x2026)))
            out << where + QStringLiteral(" ends in „…“");
        if (fm.horizontalAdvance(line) > reportTextRoom(it) + 0.5)
            out << where + QStringLiteral(" is wider than its box: „%1“ %2 > %3")
                               .arg(line)
                               .arg(fm.horizontalAdvance(line), 0, 'f', 0)
                               .arg(reportTextRoom(it), 0, 'f', 0);
    }
    QSet<QString> wordsOnLines;
    for (const QString &line : it.lines)
        for (const QString &w : line.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            wordsOnLines.insert(w);
    static const QRegularExpression blanks(QStringLiteral("[ \\r\\n]+"));
    for (const QString &w : it.text.split(blanks, Qt::SkipEmptyParts))
        if (isNumberWord(w) && !wordsOnLines.contains(w))
            out << where + QStringLiteral(" has the number „%1“ broken over lines").arg(w);
    const double need = it.firstLineTop + it.lines.size() * it.lineHeight + std::max(it.firstLineTop, 0.0);
    if (need > it.rect.height() + 0.5)
        out << where + QStringLiteral(" needs %1 twips of height, has %2").arg(need).arg(it.rect.height());
    if (!painted)
        return out;
    // What the painter drew: every line whole, inside the box's inner margins and
    // its clip, in a legible size.
    for (int i = 0; i < it.lines.size(); ++i)
        if (painted->lines.value(i) != it.lines.at(i) && !it.lines.at(i).trimmed().isEmpty())
            out << where
                       + QStringLiteral(" is drawn as „%1“, laid out as „%2“")
                             .arg(painted->lines.value(i), it.lines.at(i));
    const double inLeft = it.rect.left() + kReportBoxPad - 0.5, inRight = it.rect.right() - kReportBoxPad + 0.5;
    for (const PaintedRun &run : painted->runs) {
        if (run.text.trimmed().isEmpty())
            continue;
        if (run.rect.left() < inLeft || run.rect.right() > inRight)
            out << where + QStringLiteral(" draws „%1“ at %2..%3, its box's inner room is %4..%5")
                               .arg(run.text)
                               .arg(run.rect.left(), 0, 'f', 0)
                               .arg(run.rect.right(), 0, 'f', 0)
                               .arg(inLeft + 0.5, 0, 'f', 0)
                               .arg(inRight - 0.5, 0, 'f', 0);
        if (!run.clip.isEmpty() && !run.clip.adjusted(-0.5, -0.5, 0.5, 0.5).contains(run.rect))
            out << where + QStringLiteral(" has „%1“ cut by its box").arg(run.text);
        if (run.pixelSize < 6 * 20 - 0.5)
            out << where + QStringLiteral(" draws „%1“ at %2 pt").arg(run.text).arg(run.pixelSize / 20);
    }
    return out;
}

// Every problem of one page, and the ink of each painted piece against the others'.
QStringList pageFaults(Report &r, int page, bool overlaps)
{
    QStringList out;
    const QVector<ReportItem> items = r.pageItems(page);
    const QList<PaintedItem> painted = paintedItems(items, paintedRuns(r, page));
    int p = 0;
    for (const ReportItem &it : items) {
        const PaintedItem *pi = isText(it) && p < painted.size() ? &painted.at(p++) : nullptr;
        out += faultsOf(r, page, it, pi);
    }
    if (!overlaps)
        return out;
    for (int a = 0; a < painted.size(); ++a)
        for (int b = 0; b < a; ++b) {
            bool hit = false;
            for (const PaintedRun &x : painted.at(a).runs)
                for (const PaintedRun &y : painted.at(b).runs)
                    hit = hit
                        || (!x.text.trimmed().isEmpty() && !y.text.trimmed().isEmpty()
                            && y.rect.adjusted(0.5, 0.5, -0.5, -0.5).intersects(x.rect));
            if (hit)
                out << QStringLiteral("%1 p.%2: „%3“ runs into „%4“")
                           .arg(r.name())
                           .arg(page + 1)
                           .arg(painted.at(a).item->text, painted.at(b).item->text);
        }
    return out;
}

} // namespace

QStringList reportTextsCut(Report &r)
{
    QStringList problems;
    for (int page = 0; page < r.pageCount(); ++page)
        problems += pageFaults(r, page, false);
    return problems;
}

int cutOrOverlappingTexts(Report &r, int page)
{
    const QStringList faults = pageFaults(r, page, true);
    for (const QString &fault : faults)
        qWarning("%s", qPrintable(fault));
    return int(faults.size());
}

QStringList detailColumn(Report &r, const char *control)
{
    QStringList out;
    for (int i = 0; i < r.data().rowCount(); ++i)
        out << r.controlText(QStringLiteral("Detail"), QLatin1String(control), i);
    return out;
}

QString writeReportPdf(Report &r, const QString &dir, const QString &suffix)
{
    const QString name = r.name() + suffix + QStringLiteral(".pdf");
    const QString path = QDir(dir).filePath(name);
    r.exportPdf(path);
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        r.exportPdf(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath(name));
    return path;
}
