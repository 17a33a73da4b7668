#include "printing/report.h"

#include "dialogs/diainf.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "platform/textwidths.h"
#include "printing/reportpreview.h"

#include <QFileInfo>
#include <QMap>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>
#include <deque>
#include <limits>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kelm {

// ---------------------------------------------------------------------------
// errors, data, value texts

ReportError::ReportError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}

ReportData::ReportData(const QStringList &fields, const QVector<QVector<QVariant>> &rows)
{
    setFields(fields);
    for (const auto &r : rows) {
        for (int f = 0; f < fields.size(); ++f)
            appendValue(f, f < r.size() ? r.at(f) : QVariant());
        ++m_rows;
    }
}

void ReportData::setFields(const QStringList &fields)
{
    m_fields = fields;
    m_index.clear();
    for (int i = 0; i < m_fields.size(); ++i)
        m_index.insert(m_fields.at(i).toLower(), i);
    m_columns = QVector<Column>(fields.size());
}

ReportData::Cell &ReportData::newCell()
{
    const qsizetype perChunk = qsizetype(kChunkRows) * std::max<qsizetype>(m_fields.size(), 1);
    if (m_chunks.isEmpty() || m_chunks.last()->size() == size_t(perChunk)) {
        auto chunk = std::make_shared<std::vector<Cell>>();
        chunk->reserve(perChunk);
        m_chunks.append(chunk);
    }
    ++m_cellCount;
    return m_chunks.last()->emplace_back();
}

void ReportData::appendValue(int field, const QVariant &v)
{
    Cell &c = newCell();
    if (!v.isValid() || v.isNull())
        return;
    switch (v.typeId()) {
    case QMetaType::Bool:
        c.kind = Cell::Bool;
        c.v.i = v.toBool();
        break;
    case QMetaType::Int:
        c.kind = Cell::Int;
        c.v.i = v.toInt();
        break;
    case QMetaType::LongLong:
        c.kind = Cell::LongLong;
        c.v.i = v.toLongLong();
        break;
    case QMetaType::Double:
        c.kind = Cell::Double;
        c.v.d = v.toDouble();
        break;
    case QMetaType::QDate:
        c.kind = Cell::Date;
        c.v.i = v.toDate().toJulianDay();
        break;
    case QMetaType::QTime:
        c.kind = Cell::Time;
        c.v.i = v.toTime().msecsSinceStartOfDay();
        break;
    case QMetaType::QString: {
        Column &col = m_columns[field];
        const QString s = v.toString();
        auto it = col.textIndex.constFind(s);
        if (it == col.textIndex.constEnd()) {
            it = col.textIndex.insert(s, quint32(col.texts.size()));
            col.texts.append(s);
        }
        c.kind = Cell::Text;
        c.index = *it;
        break;
    }
    default:
        c.kind = Cell::Other;
        c.index = quint32(m_other.size());
        m_other.append(v);
        break;
    }
}

ReportData ReportData::fromRecordset(const Recordset &rs)
{
    ReportData d;
    d.setFields(rs.fieldNames());
    const int n = rs.recordCount();
    for (int r = 0; r < n; ++r) {
        for (int f = 0; f < d.m_fields.size(); ++f)
            d.appendValue(f, rs.value(r, d.m_fields.at(f)));
        ++d.m_rows;
    }
    return d;
}

ReportData ReportData::fromQuery(Connection &conn, const QString &sql, const QVariantList &params)
{
    // Each value goes from SQLite straight into its cell, typed by its column's
    // declared type as a recordset types it; a text is looked up by its stored
    // bytes and decoded only the first time it is seen in its column.
    enum Kind { Generic, Text, Date, Double, Integer, Boolean };
    ReportData d;
    QStringList types;
    std::vector<Kind> kinds;
    std::vector<std::unordered_map<std::string_view, quint32>> seen;
    std::deque<std::string> seenBytes;
    forEachStatementRow(
        conn, sql, params,
        [&](const QStringList &names, const QStringList &decl) {
            d.setFields(names);
            types = decl;
            seen.resize(size_t(names.size()));
            for (const QString &t : decl)
                kinds.push_back(t == QLatin1String("TEXT")      ? Text
                                : t == QLatin1String("DATE")    ? Date
                                : t == QLatin1String("DOUBLE")  ? Double
                                : t == QLatin1String("INTEGER") ? Integer
                                : t == QLatin1String("BOOLEAN") ? Boolean
                                                                : Generic);
        },
        [&](sqlite3_stmt *st) {
            const int n = int(kinds.size());
            for (int i = 0; i < n; ++i) {
                const int type = sqlite3_column_type(st, i);
                if (type == SQLITE_NULL) {
                    d.newCell();
                    continue;
                }
                switch (kinds[size_t(i)]) {
                case Text:
                    if (type == SQLITE_TEXT) {
                        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
                        const std::string_view bytes(p, size_t(sqlite3_column_bytes(st, i)));
                        auto &known = seen[size_t(i)];
                        auto it = known.find(bytes);
                        quint32 index;
                        if (it != known.end()) {
                            index = it->second;
                        } else {
                            const QString s = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
                            Column &col = d.m_columns[i];
                            auto qi = col.textIndex.constFind(s);
                            if (qi == col.textIndex.constEnd()) {
                                qi = col.textIndex.insert(s, quint32(col.texts.size()));
                                col.texts.append(s);
                            }
                            index = *qi;
                            seenBytes.emplace_back(bytes);
                            known.emplace(std::string_view(seenBytes.back()), index);
                        }
                        Cell &c = d.newCell();
                        c.kind = Cell::Text;
                        c.index = index;
                        continue;
                    }
                    break;
                case Date:
                    if (type == SQLITE_TEXT) {
                        // yyyy-MM-dd; anything else is no date, as the data layer reads it.
                        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
                        const int len = sqlite3_column_bytes(st, i);
                        auto num = [p](int from, int count) {
                            int v = 0;
                            for (int k = from; k < from + count; ++k) {
                                if (p[k] < '0' || p[k] > '9')
                                    return -1;
                                v = v * 10 + (p[k] - '0');
                            }
                            return v;
                        };
                        Cell &c = d.newCell();
                        if (len >= 10 && p[4] == '-' && p[7] == '-') {
                            const QDate date(num(0, 4), num(5, 2), num(8, 2));
                            if (date.isValid()) {
                                c.kind = Cell::Date;
                                c.v.i = date.toJulianDay();
                            }
                        }
                        continue;
                    }
                    break;
                case Double:
                    if (type == SQLITE_FLOAT || type == SQLITE_INTEGER) {
                        Cell &c = d.newCell();
                        c.kind = Cell::Double;
                        c.v.d = sqlite3_column_double(st, i);
                        continue;
                    }
                    break;
                case Integer:
                    if (type == SQLITE_INTEGER) {
                        const qint64 v = sqlite3_column_int64(st, i);
                        Cell &c = d.newCell();
                        c.kind = (v >= INT_MIN && v <= INT_MAX) ? Cell::Int : Cell::LongLong;
                        c.v.i = v;
                        continue;
                    }
                    break;
                case Boolean:
                    if (type == SQLITE_INTEGER) {
                        Cell &c = d.newCell();
                        c.kind = Cell::Bool;
                        c.v.i = sqlite3_column_int64(st, i) != 0;
                        continue;
                    }
                    break;
                case Generic:
                    break;
                }
                // Anything else through the data layer's own conversion.
                QVariant raw;
                switch (type) {
                case SQLITE_INTEGER: raw = QVariant(qlonglong(sqlite3_column_int64(st, i))); break;
                case SQLITE_FLOAT: raw = QVariant(sqlite3_column_double(st, i)); break;
                case SQLITE_TEXT:
                    raw = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                            sqlite3_column_bytes(st, i));
                    break;
                default:
                    raw = QByteArray(static_cast<const char *>(sqlite3_column_blob(st, i)),
                                     sqlite3_column_bytes(st, i));
                    break;
                }
                d.appendValue(i, fromStorage(raw, types.at(i)));
            }
            ++d.m_rows;
        });
    return d;
}

int ReportData::fieldIndex(const QString &name) const
{
    return m_index.value(name.toLower(), -1);
}

QVariant ReportData::value(int row, int field) const
{
    if (row < 0 || row >= m_rows || field < 0 || field >= m_fields.size())
        return {};
    const qsizetype at = qsizetype(row) * m_fields.size() + field;
    const qsizetype perChunk = qsizetype(kChunkRows) * m_fields.size();
    const Cell &c = (*m_chunks.at(at / perChunk))[size_t(at % perChunk)];
    switch (c.kind) {
    case Cell::Null:
        return {};
    case Cell::Bool:
        return QVariant(c.v.i != 0);
    case Cell::Int:
        return QVariant(int(c.v.i));
    case Cell::LongLong:
        return QVariant(c.v.i);
    case Cell::Double:
        return QVariant(c.v.d);
    case Cell::Date:
        return QVariant(QDate::fromJulianDay(c.v.i));
    case Cell::Time:
        return QVariant(QTime::fromMSecsSinceStartOfDay(int(c.v.i)));
    case Cell::Text:
        return QVariant(m_columns.at(field).texts.at(c.index));
    case Cell::Other:
        return m_other.at(c.index);
    }
    return {};
}

QVariant ReportData::value(int row, const QString &field) const
{
    return value(row, fieldIndex(field));
}

QString reportTrueMark()
{
    return QStringLiteral("✓");
}

QString reportValueText(const QVariant &v, const QString &format)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return formatDate(toDate(v));
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::Bool:
        return v.toBool() ? reportTrueMark() : QString();
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::Double:
    case QMetaType::Float:
        return format.isEmpty() ? formatGeneral(v.toDouble()) : formatNumber(v.toDouble(), format);
    default:
        return v.toString();
    }
}

// A value's part of a sum: numbers as they are, staged number texts read back.
static double numberOf(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString)
        return parseNumber(v.toString()).value_or(0);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    return v.toDouble();
}

// ---------------------------------------------------------------------------
// controls and sections

void ReportControl::changed()
{
    if (m_report)
        m_report->invalidate();
}

ReportControl &ReportControl::setCaption(const QString &text) { m_caption = text; changed(); return *this; }
ReportControl &ReportControl::setDataField(const QString &f) { m_dataField = f; changed(); return *this; }
ReportControl &ReportControl::setFunctionType(int t) { m_functionType = t; changed(); return *this; }
ReportControl &ReportControl::setDataFormat(const QString &f) { m_format = f; changed(); return *this; }
ReportControl &ReportControl::setAlignment(ReportAlign a) { m_align = a; changed(); return *this; }
ReportControl &ReportControl::setBackColor(const QColor &c) { m_backColor = c; changed(); return *this; }
ReportControl &ReportControl::setRowBackColor(RowColor fn) { m_rowColor = std::move(fn); changed(); return *this; }
ReportControl &ReportControl::setVisible(bool v) { m_visible = v; changed(); return *this; }
ReportControl &ReportControl::setLeft(int t) { m_left = t; changed(); return *this; }
ReportControl &ReportControl::setTop(int t) { m_top = t; changed(); return *this; }
ReportControl &ReportControl::setFontFamily(const QString &f) { m_family = f; changed(); return *this; }
ReportControl &ReportControl::setLineWidth(int t) { m_lineWidth = t; changed(); return *this; }
ReportControl &ReportControl::setWordWrap(bool on) { m_wordWrap = on; changed(); return *this; }

ReportControl &ReportControl::setGeometry(int l, int t, int w, int h)
{
    m_left = l;
    m_top = t;
    m_width = w;
    m_height = h;
    changed();
    return *this;
}

ReportControl &ReportControl::setFont(double points, bool bold)
{
    m_fontSize = points;
    m_bold = bold;
    changed();
    return *this;
}

QColor ReportControl::backColorAt(const ReportData &data, int row) const
{
    if (m_rowColor && row >= 0) {
        const QColor c = m_rowColor(data, row);
        if (c.isValid())
            return c;
    }
    return m_backColor;
}

ReportControl &ReportSection::control(const QString &name)
{
    for (auto &c : m_controls)
        if (c->name().compare(name, Qt::CaseInsensitive) == 0)
            return *c;
    throw ReportError(QStringLiteral("Справка %1: разделът %2 няма елемент „%3“.")
                          .arg(m_report->name(), m_name, name));
}

const ReportControl *ReportSection::findControl(const QString &name) const
{
    for (auto &c : m_controls)
        if (c->name().compare(name, Qt::CaseInsensitive) == 0)
            return c.get();
    return nullptr;
}

ReportControl &ReportSection::add(ReportControl::Kind k, const QString &name, int l, int t, int w, int h)
{
    auto c = std::unique_ptr<ReportControl>(new ReportControl(k, name));
    c->m_report = m_report;
    c->m_left = l;
    c->m_top = t;
    c->m_width = w;
    c->m_height = h;
    m_controls.push_back(std::move(c));
    m_report->invalidate();
    return *m_controls.back();
}

ReportControl &ReportSection::addLabel(const QString &name, int l, int t, int w, int h, const QString &caption,
                                       double points, bool bold, ReportAlign align)
{
    ReportControl &c = add(ReportControl::Label, name, l, t, w, h);
    c.m_caption = caption;
    c.m_fontSize = points;
    c.m_bold = bold;
    c.m_align = align;
    return c;
}

ReportControl &ReportSection::addTextBox(const QString &name, int l, int t, int w, int h, ReportAlign align,
                                         const QString &format)
{
    ReportControl &c = add(ReportControl::TextBox, name, l, t, w, h);
    c.m_align = align;
    c.m_format = format;
    return c;
}

ReportControl &ReportSection::addFunction(const QString &name, int l, int t, int w, int h, ReportAlign align,
                                          const QString &format)
{
    ReportControl &c = add(ReportControl::Function, name, l, t, w, h);
    c.m_align = align;
    c.m_format = format;
    c.m_bold = true;
    return c;
}

ReportControl &ReportSection::addLine(const QString &name, int l, int t, int w, int h)
{
    return add(ReportControl::Line, name, l, t, w, h);
}

ReportControl &ReportSection::addShape(const QString &name, int l, int t, int w, int h)
{
    return add(ReportControl::Shape, name, l, t, w, h);
}

// ---------------------------------------------------------------------------
// the report

namespace {
QMap<QString, Report *> &registry()
{
    static QMap<QString, Report *> map;
    return map;
}
constexpr int kA4Short = 11906; // 210 mm in twips
constexpr int kA4Long = 16838;  // 297 mm
const char *const kSectionOrder[] = {"ReportHeader", "PageHeader", "Detail", "PageFooter", "ReportFooter"};
} // namespace

Report &Report::instance(const QString &designName, Declare declare)
{
    Report *&r = registry()[designName];
    if (!r) {
        r = new Report(designName);
        if (declare)
            declare(*r);
        r->resetPageValues();
    }
    return *r;
}

Report *Report::existing(const QString &designName)
{
    return registry().value(designName, nullptr);
}

Report::Report(const QString &designName) : m_name(designName), m_designCaption(designName) {}

Report::~Report()
{
    if (m_preview)
        delete m_preview.data();
    auto &reg = registry();
    if (reg.value(m_name) == this)
        reg.remove(m_name);
}

void Report::invalidate()
{
    m_laidOut = false;
    m_sums.clear();
    ++m_revision;
}

void Report::setCaption(const QString &text) { m_caption = text; invalidate(); }

void Report::setDesignCaption(const QString &text)
{
    m_designCaption = text;
    m_caption = text;
    invalidate();
}

void Report::setReportWidth(int twips) { m_reportWidth = twips; invalidate(); }
void Report::setLandscape(bool on) { m_landscape = on; invalidate(); }

int Report::margin(int which) const
{
    return which >= 1 && which <= 4 ? m_margins[which - 1] : 0;
}

void Report::setMargins(int left, int right, int top, int bottom)
{
    m_margins[0] = left;
    m_margins[1] = right;
    m_margins[2] = top;
    m_margins[3] = bottom;
    invalidate();
}

void Report::setDefaultMargins(int left, int right, int top, int bottom)
{
    m_defMargins[0] = left;
    m_defMargins[1] = right;
    m_defMargins[2] = top;
    m_defMargins[3] = bottom;
    setMargins(left, right, top, bottom);
}

void Report::setWindowSize(int w, int h)
{
    m_winW = w;
    m_winH = h;
    ++m_revision;
}

void Report::setDefaultWindowSize(int w, int h)
{
    m_defWinW = w;
    m_defWinH = h;
    setWindowSize(w, h);
}

void Report::resetPageValues()
{
    m_landscape = m_defLandscape;
    std::copy(m_defMargins, m_defMargins + 4, m_margins);
    m_winW = m_defWinW;
    m_winH = m_defWinH;
    invalidate();
}

ReportSection &Report::addSection(const QString &name, int heightTwips)
{
    m_sections.push_back(std::unique_ptr<ReportSection>(new ReportSection(this, name, heightTwips)));
    // The design's orientation is whatever the declaration set last.
    m_defLandscape = m_landscape;
    invalidate();
    return *m_sections.back();
}

ReportSection &Report::section(const QString &name)
{
    for (auto &s : m_sections)
        if (s->name().compare(name, Qt::CaseInsensitive) == 0)
            return *s;
    throw ReportError(QStringLiteral("Справка %1 няма раздел „%2“.").arg(m_name, name));
}

const ReportSection *Report::findSection(const QString &name) const
{
    for (auto &s : m_sections)
        if (s->name().compare(name, Qt::CaseInsensitive) == 0)
            return s.get();
    return nullptr;
}

void Report::setDataSource(const ReportData &data)
{
    m_data = data;
    m_hasData = true;
    invalidate();
}

void Report::setDataSource(const Recordset &rs)
{
    setDataSource(ReportData::fromRecordset(rs));
}

void Report::clearDataSource()
{
    m_data = ReportData();
    m_hasData = false;
    invalidate();
}

int Report::paperWidth() const { return m_landscape ? kA4Long : kA4Short; }
int Report::paperHeight() const { return m_landscape ? kA4Short : kA4Long; }

void Report::checkFields() const
{
    for (auto &s : m_sections)
        for (auto &c : s->controls()) {
            if (c->kind() != ReportControl::TextBox && c->kind() != ReportControl::Function)
                continue;
            // Only sums are known; any other kind is found before the report is shown.
            if (c->kind() == ReportControl::Function && !c->dataField().isEmpty() && c->functionType() != 0)
                throw ReportError(QStringLiteral("Справка %1: непознат вид функция %2 в %3.")
                                      .arg(m_name)
                                      .arg(c->functionType())
                                      .arg(c->name()));
            if (!m_hasData || c->dataField().isEmpty() || m_data.hasField(c->dataField()))
                continue;
            throw ReportError(QStringLiteral("Справка %1: полето „%2“ на %3 липсва в данните.")
                                  .arg(m_name, c->dataField(), c->name()));
        }
}

void Report::layout()
{
    if (m_laidOut)
        return;
    checkFields();
    fitColumns();
    measureRows();
    breakPages();
    m_laidOut = true;
}

int Report::pageCount()
{
    layout();
    return int(m_pages.size());
}

ReportPage Report::page(int index)
{
    layout();
    return index >= 0 && index < m_pages.size() ? m_pages.at(index) : ReportPage();
}

double Report::sum(const QString &field) const
{
    const QString key = field.toLower();
    auto it = m_sums.constFind(key);
    if (it != m_sums.constEnd())
        return *it;
    double total = 0;
    const int f = m_data.fieldIndex(field);
    if (f >= 0)
        for (int r = 0; r < m_data.rowCount(); ++r)
            total += numberOf(m_data.value(r, f));
    m_sums.insert(key, total);
    return total;
}

QString Report::itemText(const ReportControl &c, int row) const
{
    switch (c.kind()) {
    case ReportControl::Label:
        return c.caption();
    case ReportControl::TextBox:
        if (c.dataField().isEmpty() || !m_hasData)
            return QString();
        return reportValueText(m_data.value(row < 0 ? 0 : row, c.dataField()), c.dataFormat());
    case ReportControl::Function:
        if (c.dataField().isEmpty())
            return QString();
        if (c.functionType() != 0)
            throw ReportError(QStringLiteral("Справка %1: непознат вид функция %2 в %3.")
                                  .arg(m_name)
                                  .arg(c.functionType())
                                  .arg(c.name()));
        return reportValueText(QVariant(sum(c.dataField())), c.dataFormat());
    default:
        return QString();
    }
}

static QFont reportFont(const QString &family, double points, bool bold);

namespace {

// The widths of a report font, found by the terms a design gives it without
// making the font again (a report asks for a handful of fonts row by row).
TextWidths &fontWidths(const QString &family, double points, bool bold)
{
    struct Entry {
        QString family;
        double points;
        bool bold;
        TextWidths *widths;
    };
    static QVector<Entry> known;
    for (const Entry &e : known)
        if (e.points == points && e.bold == bold && e.family == family)
            return *e.widths;
    known.append({family, points, bold, &TextWidths::of(reportFont(family, points, bold))});
    return *known.last().widths;
}

// Whether a one-line text fits its room as bandHeight() sees it.
bool textFits(TextWidths &fw, const QString &t, double room)
{
    return t.isEmpty()
        || (!t.contains(QLatin1Char('\n')) && !t.contains(QLatin1Char('\r')) && fw.fits(t, room));
}

// A format that shows a number with as many decimals as it holds (kTariffFormat):
// its widest text is not that of its largest number.
bool heldDecimals(const QString &format)
{
    return format.endsWith(QLatin1Char('#'));
}

// Whether a number's text fits its room whatever its digits: its most characters
// (sign, whole part, decimals) times the widest character of a number, with the
// margin fits() keeps, so that no text need be made. False when not sure.
bool numberPlainlyFits(TextWidths &fw, const QVariant &v, const QString &format, double room)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::Double:
    case QMetaType::Float:
        break;
    default:
        return false;
    }
    const double x = std::fabs(v.toDouble());
    if (!(x < 1e15))
        return false;
    // As formatNumber() and formatGeneral() write it; a rounding up adds at most a digit.
    const int dot = int(format.indexOf(QLatin1Char('.')));
    int decimals = format.isEmpty() ? 6 : dot < 0 ? 0 : std::clamp(int(format.size()) - dot - 1, 0, 15);
    if (heldDecimals(format)) {
        const QString t = formatNumber(v.toDouble(), format);
        const int comma = int(t.indexOf(QLatin1Char(',')));
        decimals = comma < 0 ? 0 : int(t.size()) - comma - 1;
    }
    int whole = 1;
    for (double p = 10; p <= x + 1; p *= 10)
        ++whole;
    const int most = 1 + whole + (decimals > 0 ? decimals + 1 : 0);
    return most * fw.numberAdvance() <= TextWidths::estimateRoom(room) - 0.01;
}

// A number, a date or an amount with its unit ("9999999,99", "45,2л.", "1.3.2010",
// "-20,00лв."): printed whole or not at all. (A sign, a digit, digits and
// separators, then at most three letters and a stop.)
bool isNumberWord(QStringView w)
{
    const qsizetype n = w.size();
    qsizetype i = 0;
    if (i < n && (w[i] == QLatin1Char('-') || w[i] == QLatin1Char('+')))
        ++i;
    if (i >= n || !w[i].isDigit())
        return false;
    for (++i; i < n; ++i)
        if (!w[i].isDigit() && !QStringLiteral(".,:/").contains(w[i]))
            break;
    int letters = 0;
    for (; i < n && letters < 3 && w[i].isLetter(); ++i)
        ++letters;
    if (letters > 0 && i < n && w[i] == QLatin1Char('.'))
        ++i;
    return i == n;
}

bool isBreak(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// The widest number word of a text, from its characters' advances; width gets
// its width (0 and an empty view when the text has none).
QStringView widestNumberWord(TextWidths &fw, const QString &t, double *width)
{
    QStringView best;
    double most = 0;
    const qsizetype n = t.size();
    for (qsizetype i = 0; i < n;) {
        while (i < n && isBreak(t.at(i)))
            ++i;
        qsizetype e = i;
        while (e < n && !isBreak(t.at(e)))
            ++e;
        const QStringView w = QStringView(t).mid(i, e - i);
        if (!w.isEmpty() && isNumberWord(w)) {
            const double x = fw.estimate(w);
            if (x > most) {
                most = x;
                best = w;
            }
        }
        i = e;
    }
    *width = most;
    return best;
}

// The widest paragraph of a text and the widest word, from the characters' advances.
void widestParts(TextWidths &fw, const QString &t, double *paragraph, double *word)
{
    double para = 0, w = 0;
    *paragraph = *word = 0;
    for (const QChar c : t) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            para = w = 0;
            continue;
        }
        const double a = fw.advance(c);
        para += a;
        w = c == QLatin1Char(' ') ? 0 : w + a;
        *paragraph = std::max(*paragraph, para);
        *word = std::max(*word, w);
    }
}

// The size an item's text is set in: its box's own, or, when a number of it is
// wider than the room at that size, the largest half-point step down to
// kReportLeastPoints at which that number fits.
double fittedPoints(const QString &family, double points, bool bold, const QString &text, double room)
{
    TextWidths &fw = fontWidths(family, points, bold);
    if (fw.fits(text, room))
        return points;
    double w = 0;
    const QString word = widestNumberWord(fw, text, &w).toString();
    double p = points;
    while (!word.isEmpty() && p > kReportLeastPoints && !fontWidths(family, p, bold).fits(word, room))
        p = std::max(kReportLeastPoints, p - 0.5);
    return p;
}

// A text that wrapText() leaves on one line however narrow its room.
bool oneNumberWord(const QString &t)
{
    return !t.contains(QLatin1Char(' ')) && !t.contains(QLatin1Char('\n')) && !t.contains(QLatin1Char('\r'))
        && isNumberWord(t);
}

QString withoutTrailingBlanks(QString s)
{
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

// The text broken into lines no wider than `room`: at blanks, and inside a word
// only when the word alone is wider; a number (with its unit) is never broken.
// A carriage return or line feed always starts a new line.
QStringList wrapText(const QString &text, TextWidths &fw, double room)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList out;
    for (const QString &para : t.split(QLatin1Char('\n'))) {
        if (fw.fits(para, room)) {
            out << para;
            continue;
        }
        QString line;
        bool atStart = true; // a paragraph's own leading blanks are kept
        const int n = int(para.size());
        int i = 0;
        while (i < n) {
            int s = i;
            while (s < n && para.at(s) == QLatin1Char(' '))
                ++s;
            int e = s;
            while (e < n && para.at(e) != QLatin1Char(' '))
                ++e;
            const QString blanks = para.mid(i, s - i), word = para.mid(s, e - s);
            i = e;
            if (word.isEmpty())
                break;
            if (atStart || fw.fits(line + blanks + word, room)) {
                if (fw.fits(line + blanks + word, room) || isNumberWord(word)) {
                    line += blanks + word;
                    atStart = false;
                    continue;
                }
            } else {
                out << withoutTrailingBlanks(line);
                line.clear();
                if (fw.fits(word, room) || isNumberWord(word)) {
                    line = word;
                    continue;
                }
            }
            // A word wider than a whole line is broken inside, after a stop, a
            // hyphen, a slash or an "@" where one stands in the line's second half.
            QString start = atStart ? line + blanks : QString();
            atStart = false;
            QString rest = word;
            while (!fw.fits(start + rest, room) && rest.size() > 1) {
                int k = 1;
                while (k < rest.size() && fw.fits(start + rest.left(k + 1), room))
                    ++k;
                for (int p = k - 1; p >= k / 2 && p > 0; --p)
                    if (QStringLiteral(".-/@_,").contains(rest.at(p - 1))) {
                        k = p;
                        break;
                    }
                out << start + rest.left(k);
                rest = rest.mid(k);
                start.clear();
            }
            line = start + rest;
        }
        out << withoutTrailingBlanks(line);
    }
    return out;
}

// How much taller than its box a text's lines are.
double textGrowth(const ReportItem &it)
{
    const double h = it.rect.height();
    const double need = it.fromTop ? it.lines.size() * it.lineHeight : h + (it.lines.size() - 1) * it.lineHeight;
    return need > h + 0.5 ? need - h : 0;
}

bool isTextKind(ReportControl::Kind k)
{
    return k == ReportControl::Label || k == ReportControl::TextBox || k == ReportControl::Function;
}

} // namespace

double Report::boxLeft(const ReportControl &c) const
{
    if (!m_boxes.isEmpty())
        if (auto it = m_boxes.constFind(&c); it != m_boxes.constEnd())
            return it->first;
    return c.left();
}

double Report::boxWidth(const ReportControl &c) const
{
    if (!m_boxes.isEmpty())
        if (auto it = m_boxes.constFind(&c); it != m_boxes.constEnd())
            return it->second;
    return c.width();
}

// ---------------------------------------------------------------------------
// layout, first: the room of the detail columns

// A detail column as fitColumns() fits it, or a gap between two.
struct ReportColumn {
    const ReportControl *c = nullptr; // none: a gap
    double width = 0;
    double used = 0;  // its widest line as set at its width, with the inner margins
    bool usedKnown = false; // used is measured only when the column is asked to lend
    double need = 0;  // its widest number with the inner margins, at its size
    double least = 0; // what it keeps when texts run on: its numbers, its captions' words
    QString number;   // that widest number, and the box whose font sets it
    const ReportControl *numberBox = nullptr;
};

namespace {

constexpr double kColumnSlack = 0.01; // room not worth moving an edge for, twips

// The columns: the detail band's text boxes side by side, left to right, with
// any gap between two kept as it is. None when there are fewer than two, or
// when boxes stand above one another.
QVector<ReportColumn> detailColumns(const ReportSection &det)
{
    QVector<const ReportControl *> boxes;
    for (auto &cp : det.controls())
        if (cp->visible() && cp->kind() == ReportControl::TextBox && cp->width() > 0)
            boxes << cp.get();
    if (boxes.size() < 2)
        return {};
    std::sort(boxes.begin(), boxes.end(),
              [](const ReportControl *a, const ReportControl *b) { return a->left() < b->left(); });
    QVector<ReportColumn> cols;
    for (const ReportControl *b : boxes) {
        if (!cols.isEmpty()) {
            const int gap = b->left() - (cols.last().c->left() + cols.last().c->width());
            if (gap < 0)
                return {};
            if (gap > 0) {
                ReportColumn g;
                g.width = gap;
                cols << g;
            }
        }
        ReportColumn col;
        col.c = b;
        col.width = b->width();
        cols << col;
    }
    return cols;
}

// What the texts of a column and of the captions and totals over it need,
// taken text by text in the font of the box each stands in.
struct ColumnTexts {
    WidestText lines;           // their lines, as set at their boxes' widths
    double number = 0;          // their widest number word
    QString numberText;
    const ReportControl *numberBox = nullptr;
    double least = 0;           // the widest word of a caption, with the inner margins

    // withLines: also the lines the texts run on over, which only a column that
    // may lend room needs (they take most of the measuring).
    void take(const ReportControl &c, const QString &t, bool caption, bool withLines)
    {
        const double pad2 = 2 * kReportBoxPad;
        TextWidths &fw = fontWidths(c.fontFamily(), c.fontSize(), c.bold());
        double para = 0, word = 0, num = 0;
        const QStringView n = widestNumberWord(fw, t, &num);
        if (num > number || (num > 0 && num == number && c.fontSize() < numberBox->fontSize())) {
            number = num;
            numberText = n.toString();
            numberBox = &c;
        }
        if (!caption && !withLines)
            return;
        widestParts(fw, t, &para, &word);
        if (caption)
            least = std::max(least, word + pad2);
        if (!withLines)
            return;
        QString widest = t;
        // A text that runs on over more lines uses the room of its widest line.
        const double room = c.width() - pad2;
        if (c.wordWrap() || para > TextWidths::estimateRoom(room) || t.contains(QLatin1Char('\n'))
            || t.contains(QLatin1Char('\r'))) {
            para = 0;
            for (const QString &l : wrapText(t, fw, room))
                if (const double w = fw.estimate(l); w > para) {
                    para = w;
                    widest = l;
                }
        }
        lines.add(widest, para);
    }
};

// Hands each text of a data column that may be its widest to `take`: each
// distinct text once; of the numbers of a format, which grow with their size,
// the largest on either side of zero; dates and flags print at one width.
template <class Take>
void forWidestValueTexts(const ReportData &data, int field, const QString &format, Take take)
{
    double most[2] = {-1, -1};
    bool date = false, flag = false;
    QHash<const QChar *, qsizetype> texts;
    for (int r = 0; r < data.rowCount(); ++r) {
        const QVariant v = data.value(r, field);
        switch (v.typeId()) {
        case QMetaType::UnknownType:
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Double:
            if ((format.isEmpty() || heldDecimals(format)) && v.typeId() == QMetaType::Double) {
                take(reportValueText(v, format));
            } else {
                const double x = v.toDouble();
                if (std::isfinite(x))
                    most[x < 0] = std::max(most[x < 0], std::fabs(x));
                else
                    take(reportValueText(v, format));
            }
            break;
        case QMetaType::QDate:
            date = true;
            break;
        case QMetaType::Bool:
            flag = flag || v.toBool();
            break;
        case QMetaType::QString: {
            const QString &t = *static_cast<const QString *>(v.constData());
            auto known = texts.constFind(t.constData());
            if (known == texts.constEnd() || *known != t.size()) {
                texts.insert(t.constData(), t.size());
                take(t);
            }
            break;
        }
        default:
            take(reportValueText(v, format));
            break;
        }
    }
    if (most[0] >= 0)
        take(reportValueText(QVariant(most[0]), format));
    if (most[1] >= 0)
        take(reportValueText(QVariant(-most[1]), format));
    if (date)
        take(reportValueText(QVariant(QDate(2000, 12, 31))));
    if (flag)
        take(reportTrueMark());
}

// 1. A column whose number does not fit takes the room its neighbours leave
// unused, nearest first. True when an edge moved.
template <class MeasureLines>
bool lendUnusedRoom(QVector<ReportColumn> &cols, MeasureLines measureLines)
{
    const int n = int(cols.size());
    bool moved = false;
    auto spare = [&cols, &measureLines](int j) {
        ReportColumn &o = cols[j];
        if (!o.c)
            return 0.0;
        if (!o.usedKnown)
            measureLines(o);
        return std::max(0.0, o.width - std::max(o.used, o.least));
    };
    for (int i = 0; i < n; ++i) {
        double missing = cols[i].c ? cols[i].need - cols[i].width : 0;
        for (int d = 1; missing > 0 && d < n; ++d)
            for (const int j : {i - d, i + d}) {
                if (j < 0 || j >= n || missing <= 0)
                    continue;
                const double t = std::min(missing, spare(j));
                if (t <= kColumnSlack)
                    continue;
                cols[j].width -= t;
                cols[i].width += t;
                missing -= t;
                moved = true;
            }
    }
    return moved;
}

// 2. and 3. A number that fits at the least size is set smaller (when the page
// is laid out); one that does not takes the room it needs at the least size
// from the columns whose texts may run on, the most room first. True when an
// edge moved.
bool giveRoomAtLeastSize(QVector<ReportColumn> &cols)
{
    const int n = int(cols.size());
    bool moved = false;
    for (int i = 0; i < n; ++i) {
        ReportColumn &col = cols[i];
        if (!col.c || col.need <= col.width || !col.numberBox)
            continue;
        const ReportControl &nb = *col.numberBox;
        const double atLeast =
            fontWidths(nb.fontFamily(), std::min(kReportLeastPoints, nb.fontSize()), nb.bold()).measure(col.number)
            + 2 * kReportBoxPad;
        if (atLeast <= col.width)
            continue;
        double missing = atLeast - col.width;
        while (missing > 0) {
            int best = -1;
            double most = kColumnSlack;
            for (int j = 0; j < n; ++j)
                if (j != i && cols[j].c && cols[j].width - cols[j].least > most) {
                    best = j;
                    most = cols[j].width - cols[j].least;
                }
            if (best < 0)
                break;
            const double t = std::min(missing, most);
            cols[best].width -= t;
            col.width += t;
            missing -= t;
            moved = true;
        }
    }
    return moved;
}

} // namespace

void Report::fitColumns()
{
    m_boxes.clear();
    const ReportSection *det = findSection(QStringLiteral("Detail"));
    if (!det)
        return;
    QVector<ReportColumn> cols = detailColumns(*det);
    // The lines a column's texts run on over tell only how much room it could
    // lend, and take most of the measuring: they are measured for the columns
    // asked to lend, and not at all where every number fits as designed.
    for (ReportColumn &col : cols)
        if (col.c)
            measureColumn(col, false);
    const bool lent = lendUnusedRoom(cols, [this](ReportColumn &col) { measureColumn(col, true); });
    const bool given = giveRoomAtLeastSize(cols);
    if (lent || given)
        moveColumnEdges(cols);
}

void Report::measureColumn(ReportColumn &col, bool withLines)
{
    const ReportControl &c = *col.c;
    const int rows = m_hasData ? m_data.rowCount() : 0;
    ColumnTexts texts;
    const int field = c.dataField().isEmpty() || !m_hasData ? -1 : m_data.fieldIndex(c.dataField());
    if (field >= 0)
        forWidestValueTexts(m_data, field, c.dataFormat(), [&](const QString &t) { texts.take(c, t, false, withLines); });
    // Captions and totals standing exactly over the column.
    for (const char *name : {"PageHeader", "ReportFooter"})
        if (const ReportSection *s = findSection(QLatin1String(name)))
            for (auto &op : s->controls())
                if (op->visible() && isTextKind(op->kind()) && op->left() == c.left() && op->width() == c.width())
                    texts.take(*op, itemText(*op, rows ? rows - 1 : -1), true, withLines);
    // The widest texts measured whole, as they are printed.
    const double line = std::max(texts.lines.widestEstimate(),
                                 texts.lines.measured(fontWidths(c.fontFamily(), c.fontSize(), c.bold())));
    double number = texts.number;
    if (const ReportControl *nb = texts.numberBox)
        number = std::max(number, fontWidths(nb->fontFamily(), nb->fontSize(), nb->bold()).measure(texts.numberText));
    const double pad2 = 2 * kReportBoxPad;
    col.used = line + pad2;
    col.usedKnown = withLines;
    col.need = number > 0 ? number + pad2 : 0;
    col.least = std::max(texts.least, col.need);
    col.number = texts.numberText;
    col.numberBox = texts.numberBox;
}

void Report::moveColumnEdges(const QVector<ReportColumn> &cols)
{
    // Where the columns meet now; whatever stands on such a line moves with it.
    const int n = int(cols.size());
    QHash<int, double> edges;
    double x = cols.first().c->left();
    edges.insert(int(x), x);
    for (int i = 0; i < n; ++i) {
        x += cols[i].width;
        edges.insert(i + 1 < n && !cols[i].c ? cols[i + 1].c->left() : cols[i].c->left() + cols[i].c->width(), x);
    }
    for (const char *name : {"PageHeader", "Detail", "ReportFooter"}) {
        const ReportSection *s = findSection(QLatin1String(name));
        if (!s)
            continue;
        for (auto &cp : s->controls()) {
            const ReportControl &c = *cp;
            const int l = c.left(), r = c.left() + c.width();
            const auto a = edges.constFind(l), b = edges.constFind(r);
            QPair<double, double> box(l, c.width());
            if (a != edges.constEnd() && b != edges.constEnd())
                box = {*a, *b - *a};
            else if (a != edges.constEnd())
                box.first = *a;
            else if (b != edges.constEnd())
                box.first = l + (*b - r);
            if (std::fabs(box.first - l) > 1e-6 || std::fabs(box.second - c.width()) > 1e-6)
                m_boxes.insert(&c, box);
        }
    }
}

// ---------------------------------------------------------------------------
// layout, then: the rows' heights and the pages

namespace {

// A detail box with a data field, as the row check sees it.
struct RowCell {
    const ReportControl *c;
    TextWidths *fw;
    int field;
    double room;
    qint64 lastDay; // the date of the row before, seen to fit: rows in date order repeat it
    // A column's equal texts share one copy in the data: each is seen once
    // (by where its letters stand and how many there are).
    QHash<const QChar *, QPair<qsizetype, bool>> texts;
};

// Whether every value of a row is seen to fit its box on one line, without
// making the band; false when one may not.
bool rowFitsPlainly(const ReportData &data, int r, QVector<RowCell> &cells)
{
    for (RowCell &cell : cells) {
        const ReportControl &c = *cell.c;
        const QVariant v = data.value(r, cell.field);
        const bool isDate = v.typeId() == QMetaType::QDate;
        const qint64 day = isDate ? static_cast<const QDate *>(v.constData())->toJulianDay() : 0;
        if (isDate && day == cell.lastDay)
            continue;
        bool plain;
        if (numberPlainlyFits(*cell.fw, v, c.dataFormat(), cell.room)) {
            plain = true;
        } else if (v.typeId() == QMetaType::QString) {
            const QString &t = *static_cast<const QString *>(v.constData());
            auto known = cell.texts.constFind(t.constData());
            if (known == cell.texts.constEnd() || known->first != t.size())
                known = cell.texts.insert(t.constData(),
                                          {t.size(), textFits(*cell.fw, t, cell.room) || oneNumberWord(t)});
            plain = known->second;
        } else {
            // A number too wide for its box is still printed on one line.
            const QString t = reportValueText(v, c.dataFormat());
            plain = textFits(*cell.fw, t, cell.room) || oneNumberWord(t);
        }
        if (isDate)
            cell.lastDay = plain ? day : std::numeric_limits<qint64>::min();
        if (!plain)
            return false;
    }
    return true;
}

} // namespace

void Report::measureRows()
{
    m_rowHeights.clear();
    const ReportSection *dtS = findSection(QStringLiteral("Detail"));
    const int rows = (m_hasData && dtS) ? m_data.rowCount() : 0;
    if (rows == 0)
        return;
    // A long report's rows are first seen to fit value by value, without making
    // the band: captions and sums once, a number from its length in characters.
    // Only a row with a text that may not fit has its band's height worked out.
    QVector<RowCell> cells;
    bool eachByBand = false;
    for (auto &cp : dtS->controls()) {
        const ReportControl &c = *cp;
        if (!c.visible() || !isTextKind(c.kind()))
            continue;
        TextWidths &fw = fontWidths(c.fontFamily(), c.fontSize(), c.bold());
        const double room = boxWidth(c) - 2 * kReportBoxPad;
        if (c.kind() == ReportControl::TextBox) {
            if (c.dataField().isEmpty())
                continue;
            if (c.wordWrap())
                eachByBand = true;
            cells.append({&c, &fw, m_data.fieldIndex(c.dataField()), room, std::numeric_limits<qint64>::min(), {}});
            continue;
        }
        const QString t = itemText(c, 0); // a caption or a sum: the same on every row
        if (!t.isEmpty() && (c.wordWrap() || !textFits(fw, t, room)))
            eachByBand = true;
    }
    // Each row's height: the band's, or more where a text runs on over more lines.
    const double dh = std::max(dtS->height(), 0);
    bool grew = false;
    QVector<float> heights(rows);
    for (int r = 0; r < rows; ++r) {
        heights[r] = !eachByBand && rowFitsPlainly(m_data, r, cells) ? float(dh) : float(bandHeight(*dtS, r));
        grew = grew || heights[r] != float(dh);
    }
    if (grew)
        m_rowHeights = heights;
}

void Report::breakPages()
{
    m_pages.clear();
    auto find = [this](const char *name) { return findSection(QLatin1String(name)); };
    const ReportSection *rhS = find("ReportHeader"), *phS = find("PageHeader"), *dtS = find("Detail");
    const ReportSection *pfS = find("PageFooter"), *rfS = find("ReportFooter");
    const double top = m_margins[2];
    const double limit = paperHeight() - m_margins[3] - (pfS ? bandHeight(*pfS, -1) : 0.0);
    const int rows = (m_hasData && dtS) ? m_data.rowCount() : 0;
    const double dh = dtS ? std::max(dtS->height(), 0) : 0;
    int row = 0;
    bool first = true;
    for (;;) {
        ReportPage pg;
        pg.pageFooter = pfS != nullptr;
        // A page that only carries the report footer has no columns to caption.
        pg.pageHeader = phS && (first || row < rows);
        double y = top;
        if (first && rhS) {
            pg.reportHeader = true;
            y += bandHeight(*rhS, -1);
        }
        if (pg.pageHeader)
            y += bandHeight(*phS, row < rows ? row : -1);
        pg.firstRow = row;
        int take = 0;
        while (row < rows) {
            const double h = m_rowHeights.isEmpty() ? dh : double(m_rowHeights[row]);
            // A row taller than a page still has to go somewhere.
            if (y + h > limit + 1e-9 && (take > 0 || pg.reportHeader))
                break;
            y += h;
            ++row;
            ++take;
        }
        pg.rowCount = take;
        first = false;
        if (row >= rows) {
            if (!rfS) {
                m_pages.append(pg);
                break;
            }
            // The report footer is kept whole: when it does not fit under the last
            // row it goes to a page of its own (where it is placed even if too tall).
            const double rf = bandHeight(*rfS, rows ? rows - 1 : -1);
            if (y + rf <= limit + 1e-9 || (take == 0 && !pg.reportHeader)) {
                pg.reportFooter = true;
                m_pages.append(pg);
                break;
            }
        }
        m_pages.append(pg);
    }
}

double Report::bandHeight(const ReportSection &s, int row)
{
    // Most bands hold texts that fit: seen without building the band.
    for (auto &cp : s.controls()) {
        const ReportControl &c = *cp;
        if (!c.visible() || !isTextKind(c.kind()))
            continue;
        const QString t = itemText(c, row);
        if (t.isEmpty())
            continue;
        if (c.wordWrap() || t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r'))
            || !fontWidths(c.fontFamily(), c.fontSize(), c.bold()).fits(t, boxWidth(c) - 2 * kReportBoxPad)) {
            double h = 0;
            sectionItems(s, 0, row, &h);
            return h;
        }
    }
    return std::max(s.height(), 0);
}

QVector<ReportItem> Report::sectionItems(const ReportSection &s, double top, int row, double *height)
{
    QVector<ReportItem> out;
    const double left = m_margins[0];
    // A text that runs on over more lines grows its box downwards; whatever stands
    // below a grown box in the band moves down with it, and lines and frames
    // reaching below it stretch.
    struct Growth {
        double top, bottom, grow, above, below;
    };
    QVector<Growth> growths;
    for (auto &cp : s.controls()) {
        const ReportControl &c = *cp;
        if (!c.visible())
            continue;
        ReportItem it;
        it.section = s.name();
        it.control = c.name();
        it.row = row;
        it.kind = c.kind();
        it.rect = QRectF(boxLeft(c), c.top(), boxWidth(c), c.height());
        it.text = itemText(c, row);
        it.backColor = c.kind() == ReportControl::TextBox ? c.backColorAt(m_data, row) : c.backColor();
        it.align = c.alignment();
        it.fontSize = c.fontSize();
        it.bold = c.bold();
        it.fontFamily = c.fontFamily();
        it.lineWidth = c.lineWidth();
        it.wordWrap = c.wordWrap();
        if (isTextKind(c.kind()) && !it.text.isEmpty()) {
            const double room = reportTextRoom(it);
            it.fontSize = fittedPoints(it.fontFamily, it.fontSize, it.bold, it.text, room);
            TextWidths &fw = fontWidths(it.fontFamily, it.fontSize, it.bold);
            // A paragraph stands from the box's top; a one-line text in the box's middle.
            const bool block = it.wordWrap || it.text.contains(QLatin1Char('\n')) || it.text.contains(QLatin1Char('\r'));
            it.lines = !block && fw.fits(it.text, room) ? QStringList{it.text} : wrapText(it.text, fw, room);
            it.lineHeight = fw.metrics().lineSpacing();
            const double h = c.height();
            it.fromTop = block;
            it.firstLineTop = block ? 0 : (h - it.lineHeight) / 2;
            const double grow = textGrowth(it);
            if (grow > 0)
                growths.append({double(c.top()), double(c.top()) + h, grow, 0, 0});
        }
        out.append(it);
    }
    // How far a point of the band moves down: by the most that any grown box
    // ending above it moved its own bottom; a point beside a grown box moves
    // with it in proportion (a rule along a row's foot stays at its foot).
    std::sort(growths.begin(), growths.end(), [](const Growth &a, const Growth &b) { return a.bottom < b.bottom; });
    int settled = 0;
    auto shiftAt = [&](double y) {
        double d = 0;
        for (int i = 0; i < settled; ++i)
            if (growths[i].bottom <= y + 0.5)
                d = std::max(d, growths[i].below);
            else if (growths[i].top < y)
                d = std::max(d, growths[i].above
                                    + growths[i].grow * (y - growths[i].top) / (growths[i].bottom - growths[i].top));
        return d;
    };
    for (; settled < growths.size();) {
        Growth &g = growths[settled];
        g.above = shiftAt(g.top);
        g.below = g.above + g.grow;
        ++settled;
    }
    for (ReportItem &it : out) {
        const double y1 = it.rect.top(), y2 = it.rect.top() + it.rect.height();
        if (isTextKind(it.kind)) {
            const double newTop = y1 + shiftAt(y1);
            it.rect = QRectF(left + it.rect.left(), top + newTop, it.rect.width(), it.rect.height() + textGrowth(it));
        } else {
            const double n1 = y1 + shiftAt(y1), n2 = y2 + shiftAt(y2);
            it.rect = QRectF(left + it.rect.left(), top + n1, it.rect.width(), n2 - n1);
        }
    }
    if (height)
        *height = std::max(s.height(), 0) + shiftAt(std::max(s.height(), 0));
    return out;
}

QVector<ReportItem> Report::pageItems(int index)
{
    layout();
    QVector<ReportItem> out;
    if (index < 0 || index >= m_pages.size())
        return out;
    const ReportPage pg = m_pages.at(index);
    double y = m_margins[2];
    double h = 0;
    if (pg.reportHeader) {
        out += sectionItems(*findSection(QStringLiteral("ReportHeader")), y, -1, &h);
        y += h;
    }
    if (pg.pageHeader) {
        out += sectionItems(*findSection(QStringLiteral("PageHeader")), y, pg.rowCount ? pg.firstRow : -1, &h);
        y += h;
    }
    if (pg.rowCount > 0) {
        const ReportSection *s = findSection(QStringLiteral("Detail"));
        for (int r = pg.firstRow; r < pg.firstRow + pg.rowCount; ++r) {
            out += sectionItems(*s, y, r, &h);
            y += h;
        }
    }
    if (pg.reportFooter) {
        out += sectionItems(*findSection(QStringLiteral("ReportFooter")), y,
                            m_data.rowCount() ? m_data.rowCount() - 1 : -1, &h);
        y += h;
    }
    if (pg.pageFooter) {
        const ReportSection *s = findSection(QStringLiteral("PageFooter"));
        const int row = pg.rowCount ? pg.firstRow + pg.rowCount - 1 : -1;
        out += sectionItems(*s, paperHeight() - m_margins[3] - bandHeight(*s, row), row);
    }
    return out;
}

QString Report::controlText(const QString &sectionName, const QString &controlName, int row)
{
    layout();
    const ReportControl &c = section(sectionName).control(controlName);
    QString t = itemText(c, row);
    return t;
}

// ---------------------------------------------------------------------------
// painting

static QFont reportFont(const QString &family, double points, bool bold);

QFont reportItemFont(const ReportItem &it)
{
    return reportFont(it.fontFamily, it.fontSize, it.bold);
}

double reportTextRoom(const ReportItem &it)
{
    return it.rect.width() - 2 * kReportBoxPad;
}

static QFont reportFont(const QString &family, double points, bool bold)
{
    QFont f(family.isEmpty() ? QStringLiteral("DejaVu Sans") : family);
    f.setPixelSize(std::max(1, int(std::lround(points * 20)))); // the painter works in twips
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void Report::paintPage(QPainter &p, int index)
{
    const QVector<ReportItem> items = pageItems(index);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    constexpr double pad = kReportBoxPad;
    for (const ReportItem &it : items) {
        switch (it.kind) {
        case ReportControl::Line: {
            p.setPen(QPen(Qt::black, std::max(it.lineWidth, 1)));
            p.drawLine(it.rect.topLeft(), it.rect.bottomRight());
            break;
        }
        case ReportControl::Shape: {
            p.setPen(QPen(Qt::black, std::max(it.lineWidth, 1)));
            p.setBrush(it.backColor.isValid() ? QBrush(it.backColor) : Qt::NoBrush);
            p.drawRect(it.rect);
            p.setBrush(Qt::NoBrush);
            break;
        }
        default: {
            if (it.backColor.isValid())
                p.fillRect(it.rect, it.backColor);
            if (it.text.isEmpty())
                break;
            const QFont f = reportFont(it.fontFamily, it.fontSize, it.bold);
            p.setFont(f);
            p.setPen(Qt::black);
            const QRectF r = it.rect.adjusted(pad, 0, -pad, 0);
            int flags = it.align == ReportAlign::Right    ? Qt::AlignRight
                        : it.align == ReportAlign::Center ? Qt::AlignHCenter
                                                          : Qt::AlignLeft;
            // The lines laid out with the page, each in its own slot; nothing is
            // shortened.
            flags |= it.fromTop ? Qt::AlignTop : Qt::AlignVCenter;
            p.save();
            p.setClipRect(it.rect);
            for (int i = 0; i < it.lines.size(); ++i)
                p.drawText(QRectF(r.left(), r.top() + it.firstLineTop + i * it.lineHeight, r.width(), it.lineHeight),
                           flags, it.lines.at(i));
            p.restore();
            break;
        }
        }
    }
    p.restore();
}

void Report::render(QPagedPaintDevice &device, int from, int to)
{
    layout();
    const int last = pageCount() - 1;
    if (to < 0 || to > last)
        to = last;
    from = std::max(from, 0);
    QPainter p;
    if (!p.begin(&device))
        throw ReportError(QStringLiteral("Справката не може да се отпечата."));
    const double scale = device.logicalDpiX() / 1440.0;
    for (int i = from; i <= to; ++i) {
        if (i > from)
            device.newPage();
        p.save();
        p.scale(scale, device.logicalDpiY() / 1440.0);
        paintPage(p, i);
        p.restore();
    }
    p.end();
}

QPageLayout reportPageLayout(const Report &r)
{
    return QPageLayout(QPageSize(QPageSize::A4), r.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

void Report::exportPdf(const QString &path)
{
    layout();
    {
        QPdfWriter w(path);
        w.setResolution(1200);
        w.setTitle(m_caption);
        w.setCreator(QStringLiteral("Тревалон"));
        w.setPageLayout(reportPageLayout(*this));
        render(w);
    }
    if (!QFileInfo(path).exists() || QFileInfo(path).size() == 0)
        throw ReportError(QStringLiteral("Файлът „%1“ не може да се запише.").arg(path));
}

// ---------------------------------------------------------------------------
// showing

namespace {
ReportCapture *g_capture = nullptr;
}

ReportCapture::ReportCapture() : m_previous(g_capture) { g_capture = this; }
ReportCapture::~ReportCapture() { g_capture = m_previous; }
ReportCapture *ReportCapture::active() { return g_capture; }

void Report::show(bool modal)
{
    layout();
    if (ReportCapture *cap = ReportCapture::active()) {
        cap->shown.append({m_name, m_caption, modal, pageCount()});
        return;
    }
    if (!m_preview)
        m_preview = new ReportPreview(this);
    m_preview->reload();
    // A preview that holds the program has no minimise button: minimised, it
    // would leave nothing on screen that takes a click.
    if (bool(m_preview->windowFlags() & Qt::WindowMinimizeButtonHint) == modal)
        m_preview->setWindowFlag(Qt::WindowMinimizeButtonHint, !modal);
    if (modal) {
        m_preview->exec();
    } else {
        m_preview->setModal(false);
        m_preview->show();
        m_preview->raise();
        m_preview->activateWindow();
    }
}

void showReportError(const QString &text)
{
    DiaInf::show(QStringLiteral("ГРЕШКА!"), text);
}

} // namespace kelm

namespace kelm {
ReportPreview *Report::preview() const
{
    return m_preview.data();
}
} // namespace kelm
