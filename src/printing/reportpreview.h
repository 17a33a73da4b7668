#pragma once
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace kelm {

class Report;

// The file name a report's PDF is offered under: the report's window title (what
// the print dialog offers too), without the characters a file name cannot hold,
// and ".pdf"; the design's name when the title leaves nothing.
QString pdfFileName(const QString &windowTitle, const QString &designName);

// The preview window of a report: its pages at a chosen zoom, page by page, with
// printing through the system's print dialog and saving as a PDF file.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    explicit ReportPreview(Report *report, QWidget *parent = nullptr);

    // Takes the report's new content: caption, size, pages; back to page 1.
    void reload();
    int currentPage() const { return m_page; } // 0-based
    void setCurrentPage(int index);
    // The zoom the page is shown at (1 = 100 %).
    double zoom() const { return m_zoom; }
    // A zoom, or 0 for the page's whole width in the window (kept on resizing).
    void setZoom(double zoom);
    bool fitsWidth() const { return m_fitWidth; }
    // The page widget as it shows now (for looking at it without a screen).
    QWidget *pageWidget() const { return m_pageWidget; }

    QPushButton *cmdFirst;
    QPushButton *cmdPrevious;
    QPushButton *cmdNext;
    QPushButton *cmdLast;
    QLabel *lblPage;
    QComboBox *cboZoom;
    QPushButton *cmdPrint;
    QPushButton *cmdPdf;
    QPushButton *cmdClose;

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    double widthZoom() const;
    void printReport();
    void savePdf();
    void updatePage();

    Report *m_report;
    QScrollArea *m_scroll;
    QWidget *m_pageWidget;
    int m_page = 0;
    double m_zoom = 1.0;
    bool m_fitWidth = true;
};

} // namespace kelm
