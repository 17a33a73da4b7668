#include "printing/reportpreview.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/filedialog.h"
#include "platform/files.h"
#include "printing/report.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace kelm {

namespace {
constexpr double kTwipsPerPixel = 15.0;

// A report printed into Kelm.mdb would take the company's data with it.
QString databaseFileRefusal(const QString &path)
{
    return QStringLiteral("Справката не е записана в „%1“.\rТова е файлът с данните на програмата. Изберете друго име.")
        .arg(path);
}

class PageView : public QWidget {
public:
    PageView(Report *r, ReportPreview *pv) : m_report(r), m_preview(pv)
    {
        setObjectName(QStringLiteral("pageView"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void fit()
    {
        const double z = m_preview->zoom() / kTwipsPerPixel;
        setFixedSize(int(m_report->paperWidth() * z) + 1, int(m_report->paperHeight() * z) + 1);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        // A fill that failed halfway (and was reported) leaves a blank page rather
        // than an error escaping the paint.
        try {
            if (m_report->pageCount() == 0)
                return;
            const double z = m_preview->zoom() / kTwipsPerPixel;
            p.scale(z, z);
            m_report->paintPage(p, m_preview->currentPage());
        } catch (const ReportError &) {
        }
    }

private:
    Report *m_report;
    ReportPreview *m_preview;
};
} // namespace

ReportPreview::ReportPreview(Report *report, QWidget *parent) : QDialog(parent), m_report(report)
{
    setObjectName(report->name());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    auto *bar = new QHBoxLayout;
    auto button = [this, bar](const char *name, const QString &text, const QString &tip) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        b->setAutoDefault(false);
        bar->addWidget(b);
        return b;
    };
    cmdPrint = button("cmdPrint", QStringLiteral("Печат..."), QStringLiteral("Отпечатване на справката"));
    cmdPdf = button("cmdPdf", QStringLiteral("Запис като PDF..."), QStringLiteral("Запис на справката във файл PDF"));
    bar->addSpacing(12);
    cmdFirst = button("cmdFirst", QStringLiteral("|<"), QStringLiteral("Първа страница"));
    cmdPrevious = button("cmdPrevious", QStringLiteral("<"), QStringLiteral("Предишна страница"));
    lblPage = new QLabel(this);
    lblPage->setObjectName(QStringLiteral("lblPage"));
    lblPage->setMinimumWidth(150);
    lblPage->setAlignment(Qt::AlignCenter);
    bar->addWidget(lblPage);
    cmdNext = button("cmdNext", QStringLiteral(">"), QStringLiteral("Следваща страница"));
    cmdLast = button("cmdLast", QStringLiteral(">|"), QStringLiteral("Последна страница"));
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("Мащаб:"), this));
    cboZoom = new QComboBox(this);
    cboZoom->setObjectName(QStringLiteral("cboZoom"));
    // The whole width of the page at first, as a wide report is read across.
    cboZoom->addItem(QStringLiteral("По ширина"), 0.0);
    for (int z : {50, 75, 100, 125, 150, 200})
        cboZoom->addItem(QString::number(z) + "%", z / 100.0);
    cboZoom->setCurrentIndex(0);
    bar->addWidget(cboZoom);
    bar->addStretch();
    cmdClose = button("cmdClose", QStringLiteral("Затвори"), QStringLiteral("Затваряне на прегледа"));

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrPage"));
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_pageWidget = new PageView(report, this);
    m_scroll->setWidget(m_pageWidget);

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(4, 4, 4, 4);
    lay->addLayout(bar);
    lay->addWidget(m_scroll, 1);

    connect(cmdFirst, &QPushButton::clicked, this, [this] { setCurrentPage(0); });
    connect(cmdPrevious, &QPushButton::clicked, this, [this] { setCurrentPage(m_page - 1); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { setCurrentPage(m_page + 1); });
    connect(cmdLast, &QPushButton::clicked, this, [this] { setCurrentPage(m_report->pageCount() - 1); });
    connect(cboZoom, &QComboBox::currentIndexChanged, this,
            [this](int i) { setZoom(cboZoom->itemData(i).toDouble()); });
    connect(cmdPrint, &QPushButton::clicked, this, &ReportPreview::printReport);
    connect(cmdPdf, &QPushButton::clicked, this, &ReportPreview::savePdf);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
}

void ReportPreview::reload()
{
    setWindowTitle(m_report->caption());
    int w = m_report->windowWidth() > 0 ? int(m_report->windowWidth() / kTwipsPerPixel) : 0;
    int h = m_report->windowHeight() > 0 ? int(m_report->windowHeight() / kTwipsPerPixel) : 0;
    if (w <= 0)
        w = int(m_report->paperWidth() / kTwipsPerPixel) + 60;
    if (h <= 0)
        h = 700;
    if (const QScreen *s = QApplication::primaryScreen()) {
        const QRect avail = s->availableGeometry();
        w = std::min(w, avail.width());
        h = std::min(h, avail.height());
    }
    resize(w, h);
    m_page = 0;
    if (m_fitWidth)
        m_zoom = widthZoom();
    static_cast<PageView *>(m_pageWidget)->fit();
    updatePage();
}

void ReportPreview::setCurrentPage(int index)
{
    const int n = m_report->pageCount();
    m_page = std::clamp(index, 0, std::max(n - 1, 0));
    updatePage();
}

double ReportPreview::widthZoom() const
{
    const int room = m_scroll->width() - 2 * m_scroll->frameWidth()
                     - m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 4;
    return std::clamp(room * kTwipsPerPixel / m_report->paperWidth(), 0.25, 4.0);
}

void ReportPreview::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    if (m_fitWidth)
        setZoom(0);
}

void ReportPreview::setZoom(double zoom)
{
    m_fitWidth = zoom <= 0;
    m_zoom = m_fitWidth ? widthZoom() : zoom;
    static_cast<PageView *>(m_pageWidget)->fit();
    m_pageWidget->update();
}

void ReportPreview::updatePage()
{
    const int n = m_report->pageCount();
    lblPage->setText(QStringLiteral("Страница %1 от %2").arg(m_page + 1).arg(n));
    cmdFirst->setEnabled(m_page > 0);
    cmdPrevious->setEnabled(m_page > 0);
    cmdNext->setEnabled(m_page < n - 1);
    cmdLast->setEnabled(m_page < n - 1);
    m_pageWidget->update();
}

void ReportPreview::printReport()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(reportPageLayout(*m_report));
    printer.setFullPage(true);
    printer.setDocName(m_report->caption());
    QPrintDialog dlg(&printer, this);
    dlg.setMinMax(1, m_report->pageCount());
    dlg.setFromTo(1, m_report->pageCount());
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (printer.outputFormat() == QPrinter::PdfFormat && isDatabaseFileOrSide(printer.outputFileName(), gDbPath)) {
        showReportError(databaseFileRefusal(printer.outputFileName()));
        return;
    }
    int from = 0, to = -1;
    if (printer.printRange() == QPrinter::PageRange) {
        from = printer.fromPage() - 1;
        to = printer.toPage() - 1;
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        from = to = m_page;
    }
    try {
        // The dialog may have turned the paper; the report keeps its own.
        printer.setPageLayout(reportPageLayout(*m_report));
        printer.setFullPage(true);
        m_report->render(printer, from, to);
    } catch (const ReportError &e) {
        showReportError(e.text());
    }
}

QString pdfFileName(const QString &windowTitle, const QString &designName)
{
    QString name;
    for (const QChar c : windowTitle)
        name += QStringLiteral("/\\:*?\"<>|").contains(c) || c.category() == QChar::Other_Control ? QChar(u' ') : c;
    name = name.simplified();
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return (name.isEmpty() ? designName : name) + QStringLiteral(".pdf");
}

void ReportPreview::savePdf()
{
    const QString offered = QDir(programFolder()).filePath(pdfFileName(windowTitle(), m_report->name()));
    FileDialog dlg(this, QStringLiteral("Запис като PDF"), programFolder(), QStringLiteral("PDF файлове (*.pdf)"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.selectFile(offered);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    QString path = dlg.selectedFiles().constFirst();
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QLatin1String(".pdf");
    if (isDatabaseFileOrSide(path, gDbPath)) {
        showReportError(databaseFileRefusal(path));
        return;
    }
    try {
        m_report->exportPdf(path);
    } catch (const ReportError &e) {
        showReportError(e.text());
    }
}

} // namespace kelm
