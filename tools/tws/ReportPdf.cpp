// Laying the report out on PDF pages. Each row of a table is measured once
// and drawn at once, so a table of thousands of rows costs in proportion to
// its rows.
#include "ReportPdf.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

namespace marlow::tws {

namespace {

constexpr int Dpi = 300;
constexpr double MarginMm = 15;
constexpr double TitlePt = 18;
constexpr double HeadingPt = 13;
constexpr double BodyPt = 10;
constexpr double TablePt = 8;
// Lines under a picture take at most this share of the page before the
// picture; more lines than that continue on the next page.
constexpr double MaxLinesShare = 1.0 / 3.0;
constexpr QRgb HeaderFill = 0xFFD8DEE4;
constexpr QRgb StripeFill = 0xFFF2F4F6;

double points(double pt) {
    return pt * Dpi / 72.0;
}

QFont fontOf(double pointSize, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    // No ligatures: text copied from the document (or read by a program)
    // keeps its letters, and unshaped text is quicker to lay out.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// Word wrap where every word fits the width; anywhere where one does not
// (a long escaped SSID has no spaces to break at).
int wrapFlags(const QFontMetricsF& metrics, const QString& text, double width) {
    for (const QStringView word : QStringView(text).split(u' ')) {
        if (metrics.horizontalAdvance(word.toString()) > width)
            return Qt::TextWrapAnywhere;
    }
    return Qt::TextWordWrap;
}

class PdfPages {
public:
    PdfPages(QPdfWriter& writer, QPainter& painter)
        : m_writer(writer), m_painter(painter), m_width(writer.width()), m_bottom(writer.height()) {
    }

    // A fresh page, unless the current one is still blank.
    void newPage() {
        if (m_y > 0)
            m_writer.newPage();
        m_y = 0;
    }
    bool fits(double height) const { return m_y + height <= m_bottom; }
    double spaceLeft() const { return m_bottom - m_y; }
    void skip(double height) { m_y += height; }

    // Text across the page, wrapped; moves to a new page first when the
    // text does not fit on this one.
    void text(const QString& line, const QFont& font) {
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, &m_writer);
        const int flags = wrapFlags(metrics, line, m_width);
        const QRectF bounds = metrics.boundingRect(QRectF(0, 0, m_width, m_bottom), flags, line);
        const double height = std::max(bounds.height(), metrics.height());
        if (!fits(height))
            newPage();
        m_painter.drawText(QRectF(0, m_y, m_width, height), flags, line);
        m_y += height;
    }

    // The picture scaled to fit width x height, keeping its proportions,
    // centred across the page.
    void picture(const QImage& image, double height) {
        if (image.isNull() || height <= 0)
            return;
        const QSizeF size = QSizeF(image.size()).scaled(m_width, height, Qt::KeepAspectRatio);
        m_painter.drawImage(QRectF((m_width - size.width()) / 2, m_y, size.width(), size.height()),
                            image);
        m_y += size.height();
    }

    void table(const ReportTable& table);

    double width() const { return m_width; }
    double y() const { return m_y; }
    QPainter& painter() { return m_painter; }
    QPdfWriter& writer() { return m_writer; }

private:
    struct Columns {
        std::vector<double> left;
        std::vector<double> width;
    };
    Columns columnsOf(const ReportTable& table) const;
    double rowHeight(const QStringList& cells, const Columns& columns,
                     const QFontMetricsF& metrics) const;
    void drawRow(const QStringList& cells, const Columns& columns, double height,
                 const QFontMetricsF& metrics, QRgb fill);

    QPdfWriter& m_writer;
    QPainter& m_painter;
    double m_width;
    double m_bottom;
    double m_y = 0;
};

// Room around the text of a cell.
double cellPadding() {
    return points(2);
}

PdfPages::Columns PdfPages::columnsOf(const ReportTable& table) const {
    Columns columns;
    double total = 0;
    for (const int w : table.widths)
        total += std::max(w, 1);
    double x = 0;
    for (const int w : table.widths) {
        columns.left.push_back(x);
        columns.width.push_back(m_width * std::max(w, 1) / total);
        x += columns.width.back();
    }
    return columns;
}

double PdfPages::rowHeight(const QStringList& cells, const Columns& columns,
                           const QFontMetricsF& metrics) const {
    double height = metrics.height();
    for (qsizetype i = 0; i < cells.size() && i < std::ssize(columns.width); ++i) {
        const double inner = columns.width[static_cast<std::size_t>(i)] - 2 * cellPadding();
        if (metrics.horizontalAdvance(cells[i]) <= inner)
            continue;
        const QRectF bounds = metrics.boundingRect(QRectF(0, 0, inner, m_bottom),
                                                   wrapFlags(metrics, cells[i], inner), cells[i]);
        height = std::max(height, bounds.height());
    }
    return height + 2 * cellPadding();
}

void PdfPages::drawRow(const QStringList& cells, const Columns& columns, double height,
                       const QFontMetricsF& metrics, QRgb fill) {
    if (qAlpha(fill) != 0)
        m_painter.fillRect(QRectF(0, m_y, m_width, height), QColor::fromRgba(fill));
    const double pad = cellPadding();
    for (qsizetype i = 0; i < cells.size() && i < std::ssize(columns.width); ++i) {
        const auto c = static_cast<std::size_t>(i);
        const double inner = columns.width[c] - 2 * pad;
        // One line, the common case, is drawn at its baseline: much cheaper
        // than laying out a rectangle of text.
        if (metrics.horizontalAdvance(cells[i]) <= inner)
            m_painter.drawText(QPointF(columns.left[c] + pad, m_y + pad + metrics.ascent()),
                               cells[i]);
        else
            m_painter.drawText(QRectF(columns.left[c] + pad, m_y + pad, inner, height),
                               wrapFlags(metrics, cells[i], inner), cells[i]);
    }
    m_y += height;
}

void PdfPages::table(const ReportTable& table) {
    const Columns columns = columnsOf(table);
    const QFont body = fontOf(TablePt);
    const QFont bold = fontOf(TablePt, true);
    const QFontMetricsF bodyMetrics(body, &m_writer);
    const QFontMetricsF boldMetrics(bold, &m_writer);
    const double headerHeight = rowHeight(table.header, columns, boldMetrics);
    const QFont heading = fontOf(HeadingPt, true);
    const double headingHeight = QFontMetricsF(heading, &m_writer).height() * 1.5;

    const auto startPage = [&](const QString& title) {
        text(title, heading);
        skip(headingHeight / 3);
        m_painter.setFont(bold);
        drawRow(table.header, columns, headerHeight, boldMetrics, HeaderFill);
        m_painter.setFont(body);
    };
    if (m_y > 0)
        skip(headingHeight / 2);
    const double firstRow =
        table.rows.empty() ? 0 : rowHeight(table.rows.front(), columns, bodyMetrics);
    if (!fits(headingHeight + headerHeight + firstRow))
        newPage();
    startPage(table.title);
    if (table.rows.empty())
        text(QStringLiteral("None."), body);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const double height = r == 0 ? firstRow : rowHeight(table.rows[r], columns, bodyMetrics);
        if (!fits(height)) {
            newPage();
            startPage(table.title + QStringLiteral(" (continued)"));
        }
        drawRow(table.rows[r], columns, height, bodyMetrics, r % 2 ? StripeFill : 0);
    }
    skip(headingHeight);
}

void drawCover(PdfPages& pages, const CoverPage& cover) {
    pages.text(cover.title, fontOf(TitlePt, true));
    pages.skip(points(12));
    const QFont body = fontOf(BodyPt);
    for (const auto& [label, value] : cover.facts)
        pages.text(label + QStringLiteral(": ") + value, body);
    pages.skip(points(24));
    // The signature at its stored proportions, 80 mm across, framed.
    const double width = std::min(pages.width(), 80.0 / 25.4 * Dpi);
    const double height = width * cover.signature.height() / std::max(1, cover.signature.width());
    if (!pages.fits(height))
        pages.newPage();
    const double top = pages.y();
    pages.picture(cover.signature, height);
    pages.painter().setPen(QPen(Qt::black, points(0.5)));
    pages.painter().drawRect(QRectF((pages.width() - width) / 2, top, width, height));
    pages.skip(points(6));
    pages.text(cover.signOff, fontOf(BodyPt, true));
}

void drawMapPage(PdfPages& pages, const MapPage& page) {
    pages.newPage();
    pages.text(page.title, fontOf(HeadingPt, true));
    pages.skip(points(6));
    const QFont body = fontOf(BodyPt);
    const QFontMetricsF metrics(body, &pages.writer());
    const double lines =
        std::min(pages.spaceLeft() * MaxLinesShare,
                 (metrics.height() * 1.2) * static_cast<double>(page.lines.size()));
    pages.picture(page.image, pages.spaceLeft() - lines - points(6));
    pages.skip(points(6));
    for (const QString& line : page.lines)
        pages.text(line, body);
}

} // namespace

Result<QByteArray> renderPdf(const Report& report) {
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(Dpi);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                          QPageLayout::Millimeter);
    writer.setTitle(report.title);
    writer.setCreator(QStringLiteral("tws"));
    QPainter painter;
    if (!painter.begin(&writer))
        return fail(Error{"cannot start the PDF"});
    PdfPages pages(writer, painter);
    drawCover(pages, report.cover);
    for (const ReportSection& section : report.sections) {
        if (const auto* map = std::get_if<MapPage>(&section))
            drawMapPage(pages, *map);
        else
            pages.table(std::get<ReportTable>(section));
    }
    if (!painter.end())
        return fail(Error{"cannot finish the PDF"});
    return pdf;
}

} // namespace marlow::tws
