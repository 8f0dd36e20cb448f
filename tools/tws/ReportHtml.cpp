// Writing the report as HTML.
#include "ReportHtml.h"

#include "SiteImages.h"

namespace marlow::tws {

namespace {

constexpr std::string_view Style = R"(
body { font-family: sans-serif; margin: 2em; color: #111; }
section { margin-bottom: 3em; }
img { max-width: 100%; height: auto; display: block; }
.signature { width: 20em; border: 1px solid #000; image-rendering: pixelated; }
table { border-collapse: collapse; font-size: 0.85em; }
caption { text-align: left; font-weight: bold; font-size: 1.2em; padding: 0.5em 0; }
th, td { padding: 0.2em 0.6em; text-align: left; overflow-wrap: anywhere; }
th { background: #d8dee4; }
tbody tr:nth-child(even) { background: #f2f4f6; }
@media print { section { break-before: page; } }
)";

// An image element with the picture inline, or nothing for no picture.
Result<void> appendImage(std::string& out, const QImage& image, const QString& alt,
                         std::string_view className = {}) {
    if (image.isNull())
        return {};
    const Result<QByteArray> png = encodePng(image);
    if (!png)
        return fail(png.error());
    out += "<img";
    if (!className.empty())
        out += " class=\"" + std::string(className) + '"';
    out += " alt=\"" + escapeHtml(alt) + "\" src=\"data:image/png;base64,";
    out += png->toBase64().toStdString();
    out += "\">\n";
    return {};
}

void appendRow(std::string& out, const QStringList& cells, std::string_view tag) {
    out += "<tr>";
    for (const QString& cell : cells)
        out += '<' + std::string(tag) + '>' + escapeHtml(cell) + "</" + std::string(tag) + '>';
    out += "</tr>\n";
}

void appendTable(std::string& out, const ReportTable& table) {
    out += "<section><table>\n<caption>" + escapeHtml(table.title) + "</caption>\n<thead>";
    appendRow(out, table.header, "th");
    out += "</thead>\n<tbody>\n";
    for (const QStringList& row : table.rows)
        appendRow(out, row, "td");
    out += "</tbody></table>\n";
    if (table.rows.empty())
        out += "<p>None.</p>\n";
    out += "</section>\n";
}

Result<void> appendMapPage(std::string& out, const MapPage& page) {
    out += "<section>\n<h2>" + escapeHtml(page.title) + "</h2>\n";
    if (Result<void> image = appendImage(out, page.image, page.title); !image)
        return image;
    for (const QString& line : page.lines)
        out += "<p>" + escapeHtml(line) + "</p>\n";
    out += "</section>\n";
    return {};
}

Result<void> appendCover(std::string& out, const CoverPage& cover) {
    out += "<section>\n<h1>" + escapeHtml(cover.title) + "</h1>\n<dl>\n";
    for (const auto& [label, value] : cover.facts)
        out += "<dt>" + escapeHtml(label) + "</dt><dd>" + escapeHtml(value) + "</dd>\n";
    out += "</dl>\n";
    if (Result<void> image =
            appendImage(out, cover.signature, QStringLiteral("Signature"), "signature");
        !image)
        return image;
    out += "<p><strong>" + escapeHtml(cover.signOff) + "</strong></p>\n</section>\n";
    return {};
}

} // namespace

std::string escapeHtml(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    out.reserve(static_cast<std::size_t>(utf8.size()));
    for (const char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

Result<std::string> renderHtml(const Report& report) {
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    out += "<title>" + escapeHtml(report.title) + "</title>\n<style>";
    out += Style;
    out += "</style>\n</head>\n<body>\n";
    if (Result<void> cover = appendCover(out, report.cover); !cover)
        return fail(cover.error());
    for (const ReportSection& section : report.sections) {
        if (const auto* map = std::get_if<MapPage>(&section)) {
            if (Result<void> page = appendMapPage(out, *map); !page)
                return fail(page.error());
        } else {
            appendTable(out, std::get<ReportTable>(section));
        }
    }
    out += "</body>\n</html>\n";
    return out;
}

} // namespace marlow::tws
