// The survey session's operations; see SurveySession.h.
#include "session/SurveySession.h"

#include "measure/Measurement.h"
#include "protocol/Protocol.h"
#include "sitefile/SiteWriter.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace marlow {

namespace {

constexpr const char* NoSiteDetail = "No site file is open.";
// The full rewrite copies the floor plan from this file in the system's
// temporary folder.
constexpr const char* RewriteBitmapName = "tmpsite.bmp";

std::string rewriteBitmapPath() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return ((error ? std::filesystem::path("/tmp") : folder) / RewriteBitmapName).string();
}

} // namespace

SurveySession::SurveySession(SharedRecordList& scanList, RecordList& store)
    : m_scanList(scanList), m_store(store) {}

SurveySession::~SurveySession() {
    stopLink();
}

void SurveySession::startLink(LinkEvents& events, LinkMessages& messages,
                              const DriverRegistry& registry, const LinkStartOptions& options,
                              const std::function<void()>& started) {
    m_link = std::make_unique<LinkSession>(events, m_scanList, messages, m_clock);
    m_link->start(registry, options, started);
}

void SurveySession::stopLink() {
    if (m_link)
        m_link->stop();
}

AnalyzerLink* SurveySession::link() {
    return m_link ? &m_link->link() : nullptr;
}

const AnalyzerLink* SurveySession::link() const {
    return m_link ? &m_link->link() : nullptr;
}

bool SurveySession::linkRunning() const {
    return m_link && m_link->portOpen();
}

SiteResult<PendingSite> SurveySession::readSite(const std::string& path) {
    SiteResult<OpenedSite> opened = openSite(path);
    if (!opened)
        return fail(opened.error());
    try {
        PendingSite pending{path, std::move(opened).value()};
        if (AnalyzerLink* analyzer = link())
            analyzer->clearScanFlags();
        return pending;
    } catch (const std::bad_alloc&) {
        return fail(outOfMemoryError());
    }
}

bool SurveySession::asksToKeepPoints(const PendingSite& pending,
                                     KeepPointsQuestion question) const {
    return question == KeepPointsQuestion::Always || holdsPoints(pending.site);
}

void SurveySession::adoptSite(PendingSite pending, bool keepPoints, const MarkSink& marks) {
    m_site = std::make_unique<SiteState>();
    m_siteFile = pending.site.file;
    m_sitePath = std::move(pending.path);
    resetSurvey(*m_site, m_store);
    m_unsaved = false;
    if (keepPoints)
        movePoints(pending.site, m_store, marks);
}

bool SurveySession::takePoint(std::int32_t x, std::int32_t y) {
    if (!m_site)
        return false;
    startMeasurement(*m_site, m_scanList, x, y, TakenPointName);
    if (m_pointListener)
        m_pointListener(x, y);
    if (AnalyzerLink* analyzer = link())
        analyzer->sendCommand(msg::StartScan);
    return true;
}

std::optional<CommittedPoint> SurveySession::commitFinishedScan() {
    AnalyzerLink* analyzer = link();
    if (!analyzer || !m_site || !analyzer->scanRequested || !analyzer->scanDone)
        return std::nullopt;
    analyzer->clearScanFlags();
    const bool heard = commitScan(*m_site, m_scanList, m_store);
    m_unsaved = true;
    return CommittedPoint{heard, m_site->lastBestRssi};
}

bool SurveySession::selectNearestPoint(std::int32_t x, std::int32_t y) {
    return m_site && marlow::selectNearestPoint(*m_site, m_store, x, y);
}

void SurveySession::removeSelectedPoint() {
    if (m_site) {
        marlow::removeSelectedPoint(*m_site, m_store);
        m_unsaved = true;
    }
}

SiteResult<> SurveySession::saveSiteData(const SignatureSource& signature, std::uint32_t saveTime) {
    if (!m_site)
        return fail(cannotUpdateError(NoSiteDetail));
    SiteResult<> saved = marlow::saveSiteData(m_sitePath, m_siteFile, m_store, signature, saveTime);
    m_unsaved = m_unsaved && !saved;
    return saved;
}

SiteResult<> SurveySession::fullRewrite() {
    if (!m_site)
        return fail(cannotUpdateError(NoSiteDetail));
    SiteResult<> rewritten = rewriteSite(m_sitePath, m_siteFile, m_store, rewriteBitmapPath());
    m_unsaved = m_unsaved && !rewritten;
    return rewritten;
}

} // namespace marlow
