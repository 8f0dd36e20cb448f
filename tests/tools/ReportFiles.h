// Reading a report back as a reader would: a PDF's text through pdftotext,
// one of its pages as pixels through pdftoppm, and sites with known
// surveys saved for the report to read.
#pragma once

#include "TwsRun.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace marlow::test {

// The survey saved into the site, at a known save time.
inline void saveSurvey(const std::string& site, const RecordList& store) {
    SiteResult<OpenedSite> opened = openSite(site);
    if (!opened || !saveSiteData(site, opened->file, store, BlankSignature(), 1'700'000'000))
        throw std::runtime_error("cannot save " + site);
}

// Each page's text as laid out, runs of spaces made one, lines trimmed.
inline std::vector<std::vector<std::string>> pdfPages(const TempDir& dir, const std::string& pdf) {
    const std::string text = dir.file("report.txt");
    const std::string command = "pdftotext -layout '" + pdf + "' '" + text + "'";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("pdftotext failed on " + pdf);
    const Bytes bytes = readBytes(text);
    std::vector<std::vector<std::string>> pages(1);
    std::string line;
    const auto endLine = [&] {
        const auto first = line.find_first_not_of(' ');
        if (first != std::string::npos)
            pages.back().push_back(line.substr(first, line.find_last_not_of(' ') - first + 1));
        line.clear();
    };
    for (const std::uint8_t byte : bytes) {
        const char c = static_cast<char>(byte);
        if (c == '\f') {
            endLine();
            pages.emplace_back();
        } else if (c == '\n') {
            endLine();
        } else if (c != ' ' || (!line.empty() && line.back() != ' ')) {
            line += c;
        }
    }
    endLine();
    if (pages.back().empty())
        pages.pop_back();
    return pages;
}

inline bool hasLine(const std::vector<std::string>& lines, const std::string& wanted) {
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

// One page of the PDF as a picture.
inline QImage pdfPagePicture(const TempDir& dir, const std::string& pdf, int page, int dpi) {
    const std::string prefix = dir.file("page");
    const std::string command = "pdftoppm -png -singlefile -r " + std::to_string(dpi) + " -f " +
                                std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf +
                                "' '" + prefix + "'";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("pdftoppm failed on " + pdf);
    return QImage(QString::fromStdString(prefix + ".png"));
}

} // namespace marlow::test
