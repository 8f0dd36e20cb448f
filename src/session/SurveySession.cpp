// The survey session's operations; see SurveySession.h.
#include "session/SurveySession.h"

#include "measure/Measurement.h"
#include "protocol/Protocol.h"
#include "sitefile/ReplacementFile.h"
#include "sitefile/SiteWriter.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <new>
#include <system_error>
#include <utility>

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

std::int64_t now() {
    return static_cast<std::int64_t>(std::time(nullptr));
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
    m_linkStarted = Clock::now();
    m_link->start(registry, options, started);
    if (m_boardName.empty())
        m_boardName = m_link->device();
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

void SurveySession::setJournalFolder(std::filesystem::path folder, SyncFile sync) {
    m_journal.close();
    m_journal.setSync(std::move(sync));
    m_journalFolder = std::move(folder);
}

SiteResult<PendingSite> SurveySession::readSite(const std::string& path) {
    SiteResult<OpenedSite> opened = openSite(path);
    if (!opened)
        return fail(opened.error());
    // Temporaries that an interrupted save of ours left beside the file.
    removeStaleTemporaries(path);
    try {
        PendingSite pending{path, std::move(opened).value(), std::nullopt, std::nullopt};
        abandonPoint();
        if (Result<SiteIdentity> identity = identifySite(path))
            pending.identity = std::move(identity).value();
        if (!m_journalFolder.empty() && pending.identity) {
            std::optional<JournalContents> found =
                readJournal(journalPathFor(m_journalFolder, pending.identity->canonicalPath));
            if (found && found->header.site == *pending.identity && !found->entries.empty())
                pending.unsaved = std::move(found);
        }
        return pending;
    } catch (const std::bad_alloc&) {
        return fail(outOfMemoryError());
    }
}

bool SurveySession::asksToKeepPoints(const PendingSite& pending,
                                     KeepPointsQuestion question) const {
    return question == KeepPointsQuestion::Always || holdsPoints(pending.site);
}

void SurveySession::adopt(PendingSite& pending, bool keepPoints, const MarkSink& marks) {
    m_site = std::make_unique<SiteState>();
    m_siteFile = pending.site.file;
    m_sitePath = std::move(pending.path);
    resetSurvey(*m_site, m_store);
    m_unsaved = false;
    if (keepPoints)
        movePoints(pending.site, m_store, marks);
    m_journal.close();
    m_journalHeader.reset();
    m_journalPath.clear();
    if (m_journalFolder.empty() || !pending.identity)
        return;
    m_journalPath = journalPathFor(m_journalFolder, pending.identity->canonicalPath);
    m_journalHeader = JournalHeader{*pending.identity, keepPoints};
}

void SurveySession::adoptSite(PendingSite pending, bool keepPoints, const MarkSink& marks) {
    adopt(pending, keepPoints, marks);
    if (m_journalPath.empty() || !std::filesystem::exists(m_journalPath))
        return;
    // A journal of another state of the file, or unreadable, is work the
    // surveyor may still want by hand: kept. One without entries is nothing.
    const std::optional<JournalContents> left = readJournal(m_journalPath);
    if (left && left->header.site == m_journalHeader->site && left->entries.empty() &&
        !left->damaged)
        clearJournal(m_journalPath);
    else
        (void)setAsideJournal(m_journalPath, now());
}

RestoredWork SurveySession::restoreSite(PendingSite pending, const MarkSink& marks,
                                        const EraseSink& erase) {
    if (!pending.unsaved) {
        adoptSite(std::move(pending), false, marks);
        return {};
    }
    const JournalContents work = std::move(*pending.unsaved);
    adopt(pending, work.header.keepPoints, marks);
    RestoredWork restored{0, 0, work.damaged};
    for (const JournalEntry& entry : work.entries) {
        if (const auto* point = std::get_if<JournalPoint>(&entry)) {
            storeCommittedPoint(*m_site, point->records, point->heard, m_store);
            if (!point->records.empty()) {
                restored.lastX = point->records.front().x;
                restored.lastY = point->records.front().y;
                marks(restored.lastX, restored.lastY, m_site->lastBestRssi);
            }
            ++restored.points;
        } else {
            const auto& deletion = std::get<JournalDeletion>(entry);
            if (selectNearestPoint(deletion.x, deletion.y)) {
                marlow::removeSelectedPoint(*m_site, m_store);
                erase(static_cast<std::int32_t>(m_site->selX),
                      static_cast<std::int32_t>(m_site->selY));
            }
            ++restored.deletions;
        }
    }
    // What was restored is in the journal, not yet in the file.
    m_unsaved = restored.points + restored.deletions > 0;
    // Later work follows the complete entries; a damaged tail is cut off.
    if (m_journalHeader)
        (void)m_journal.resume(m_journalPath, work.completeBytes);
    return restored;
}

void SurveySession::journal(const JournalEntry& entry) {
    if (!m_journalHeader)
        return;
    // A journal that cannot be written leaves the work in memory, as it was
    // before there were journals; the next save still writes it. The
    // surveyor hears of it once, when the trouble starts.
    Result<void> written =
        m_journal.isOpen() ? Result<void>{} : m_journal.create(m_journalPath, *m_journalHeader);
    if (written)
        written = m_journal.append(entry);
    if (written) {
        m_journalFailing = false;
    } else if (!m_journalFailing) {
        m_journalFailing = true;
        m_journalWarning = written.error().message;
    }
}

std::optional<std::string> SurveySession::takeJournalWarning() {
    return std::exchange(m_journalWarning, std::nullopt);
}

void SurveySession::discardUnsavedWork() {
    m_unsaved = false;
    m_journal.close();
    if (!m_journalPath.empty() && std::filesystem::exists(m_journalPath))
        (void)setAsideJournal(m_journalPath, now());
}

void SurveySession::savedJournal() {
    m_journal.close();
    if (m_journalPath.empty())
        return;
    clearJournal(m_journalPath);
    // The file now holds the store: later work builds on its points.
    if (Result<SiteIdentity> identity = identifySite(m_sitePath))
        m_journalHeader = JournalHeader{std::move(identity).value(), true};
    else
        m_journalHeader.reset();
}

bool SurveySession::takePoint(std::int32_t x, std::int32_t y, Clock::time_point now) {
    if (!m_site)
        return false;
    m_measuring = true;
    m_measureStarted = now;
    m_askedAgain = false;
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
    m_measuring = false;
    const std::size_t before = m_store.size();
    const bool heard = commitScan(*m_site, m_scanList, m_store);
    m_unsaved = true;
    JournalPoint point{now(), heard, {}};
    point.records.assign(std::next(m_store.begin(), static_cast<std::ptrdiff_t>(before)),
                         m_store.end());
    journal(point);
    return CommittedPoint{heard, m_site->lastBestRssi};
}

namespace {

SurveySession::Clock::time_point arrivalTime(const AnalyzerLink& analyzer) {
    return SurveySession::Clock::time_point(
        SurveySession::Clock::duration(analyzer.lastArrival.load()));
}

} // namespace

ScanProgress SurveySession::checkScan(Clock::time_point now) {
    if (!m_measuring)
        return ScanProgress::Idle;
    AnalyzerLink* analyzer = link();
    if (!analyzer || !linkRunning())
        return ScanProgress::BoardSilent;
    const Clock::time_point arrived = arrivalTime(*analyzer);
    if (!m_askedAgain && analyzer->boardIdleBeforeSweep() && now - arrived >= IgnoredCommandWait) {
        m_askedAgain = true;
        m_measureStarted = now;
        analyzer->sendCommand(msg::StartScan);
    }
    const Clock::time_point heard = std::max(arrived, m_measureStarted);
    return now - heard >= BoardSilence ? ScanProgress::BoardSilent : ScanProgress::Running;
}

void SurveySession::abandonPoint() {
    m_measuring = false;
    if (AnalyzerLink* analyzer = link())
        analyzer->clearScanFlags();
}

bool SurveySession::boardAbsent(Clock::time_point now) const {
    const AnalyzerLink* analyzer = link();
    if (!analyzer || !linkRunning())
        return true;
    return analyzer->lastArrival.load() == 0 && now - m_linkStarted >= BoardSilence;
}

bool SurveySession::selectNearestPoint(std::int32_t x, std::int32_t y) {
    m_probeX = x;
    m_probeY = y;
    return m_site && marlow::selectNearestPoint(*m_site, m_store, x, y);
}

void SurveySession::removeSelectedPoint() {
    if (!m_site)
        return;
    marlow::removeSelectedPoint(*m_site, m_store);
    m_unsaved = true;
    journal(JournalDeletion{now(), m_probeX, m_probeY});
}

SiteResult<> SurveySession::saveSiteData(const SignatureSource& signature, std::uint32_t saveTime) {
    if (!m_site)
        return fail(cannotUpdateError(NoSiteDetail));
    SiteResult<> saved = marlow::saveSiteData(m_sitePath, m_siteFile, m_store, signature, saveTime);
    if (saved) {
        m_unsaved = false;
        savedJournal();
    }
    return saved;
}

SiteResult<> SurveySession::fullRewrite() {
    if (!m_site)
        return fail(cannotUpdateError(NoSiteDetail));
    SiteResult<> rewritten = rewriteSite(m_sitePath, m_siteFile, m_store, rewriteBitmapPath());
    if (rewritten) {
        m_unsaved = false;
        savedJournal();
    }
    return rewritten;
}

} // namespace marlow
