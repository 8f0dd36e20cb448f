// SurveySession: the rules of one surveyor's session, free of any window:
// the analyzer link, the open site with its file, and the survey operations
// that the view's gestures and commands ask for (open a site, take a point,
// commit its scan, select and remove a point, save). Each operation returns
// what the view shows; the session itself never speaks to the user.
#pragma once

#include "journal/Journal.h"
#include "link/AnalyzerLink.h"
#include "link/serial/LinkSession.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteError.h"
#include "sitefile/SiteFileState.h"
#include "sitefile/SiteReader.h"
#include "store/RecordList.h"
#include "store/SharedRecordList.h"
#include "store/SiteState.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace marlow {

// Whether Open a Site asks "Do you wish to keep existing data points?".
enum class KeepPointsQuestion {
    Always,
    // Only when the file holds points (the demo's sample site).
    WhenPointsStored,
};

// A site file read whole, waiting for the surveyor's answer whether to keep
// its stored points. Nothing of the open site has changed yet.
struct PendingSite {
    std::string path;
    OpenedSite site;
    // The file as it is now; nothing when it cannot be examined, and then
    // its work is not journalled.
    std::optional<SiteIdentity> identity;
    // The journal of an unsaved session on this very file (same path, size
    // and modification time) holding at least one entry: work to offer back.
    std::optional<JournalContents> unsaved;
};

// Called with the position of each point a replayed deletion removes.
using EraseSink = std::function<void(std::int32_t x, std::int32_t y)>;

// What restoring an unsaved session replayed.
struct RestoredWork {
    std::size_t points = 0;
    std::size_t deletions = 0;
    // Bytes after the last complete entry were ignored.
    bool damaged = false;
    // Where the last restored point was taken, for the panes.
    std::int32_t lastX = 0;
    std::int32_t lastY = 0;
};

// A point whose scan was committed, as the view shows it.
struct CommittedPoint {
    // False when nothing was heard and a placeholder was stored: the
    // coverage warning.
    bool heard = false;
    // The RSSI that colours the point's mark.
    std::int16_t bestRssi = 0;
};

// How the measurement of a point stands, for the survey screen.
enum class ScanProgress {
    // No point is being measured.
    Idle,
    Running,
    // Nothing has come from the board for BoardSilence, or there is no
    // board at all: the surveyor may go back to the map.
    BoardSilent,
};

class SurveySession {
public:
    using Clock = std::chrono::steady_clock;
    // The board is never timed out; after this long without a message the
    // surveyor is told that it is not answering.
    static constexpr std::chrono::seconds BoardSilence{10};
    // A board that ended an older sweep and began none for this long after
    // a measurement started did not take the start-scan command: it is
    // asked once more.
    static constexpr std::chrono::seconds IgnoredCommandWait{1};

    // Told where each point is taken, before the board is asked to scan.
    using PointListener = std::function<void(std::int32_t x, std::int32_t y)>;

    // The two record lists are the program's; they outlive the session.
    SurveySession(SharedRecordList& scanList, RecordList& store);
    ~SurveySession();
    SurveySession(const SurveySession&) = delete;
    SurveySession& operator=(const SurveySession&) = delete;

    // Starts the analyzer link: finds or opens the port, starts its threads,
    // pauses, asks the board for its firmware version, then calls started.
    // events and messages must outlive the link.
    void startLink(LinkEvents& events, LinkMessages& messages, const DriverRegistry& registry,
                   const LinkStartOptions& options, const std::function<void()>& started);
    // Stops the port's threads and closes the port; the link object stays.
    void stopLink();
    // Null before the link is started.
    AnalyzerLink* link();
    const AnalyzerLink* link() const;
    bool linkRunning() const;

    // Journals committed work in folder from now on, syncing with sync.
    // Without it nothing is journalled.
    void setJournalFolder(std::filesystem::path folder, SyncFile sync = syncData);

    // Open a Site, first step: reads the file whole and finds the journal of
    // an unsaved session on it. On success any
    // measurement in progress is abandoned, so that a scan begun on the
    // previous site is never committed into this one; on failure, memory
    // running out included, nothing has changed. A file cut short reads as
    // far as it is complete and says so in pending.site.points.
    [[nodiscard]] SiteResult<PendingSite> readSite(const std::string& path);
    // Whether the keep-points question is to be asked for this file.
    bool asksToKeepPoints(const PendingSite& pending, KeepPointsQuestion question) const;
    // Second step: the read site replaces the open one, its survey starts
    // from zero and, when kept, its stored points are moved into the store
    // (nothing is allocated, so this cannot fail part-way), each reported to
    // marks with the RSSI that colours it.
    // Any journal left on the file is set aside (kept under another name),
    // or removed when it holds no work.
    void adoptSite(PendingSite pending, bool keepPoints, const MarkSink& marks);
    // Instead of adoptSite, for a pending site with unsaved work: adopts it
    // with that session's keep-points answer and replays its points and
    // deletions through the operations that made them, reporting each mark
    // drawn and erased. Later work goes on into the same journal.
    RestoredWork restoreSite(PendingSite pending, const MarkSink& marks, const EraseSink& erase);
    bool hasSite() const { return m_site != nullptr; }
    // Null until the first successful Open.
    const SiteState* site() const { return m_site.get(); }
    const SiteFileState& siteFile() const { return m_siteFile; }
    // Empty until the first successful Open; both saves write there.
    const std::string& sitePath() const { return m_sitePath; }

    void setPointListener(PointListener listener) { m_pointListener = std::move(listener); }
    // Starts measuring a point at map position (x, y): the scan list is
    // emptied and the position noted before the board is asked, so that
    // nothing it hears for this point is lost to the emptying. A point
    // still being measured is abandoned: nothing of its sweep is committed
    // into this one. False, with nothing done, when no site is open.
    bool takePoint(std::int32_t x, std::int32_t y, Clock::time_point now = Clock::now());
    // Commits the scan once the board has finished the point's sweep: the
    // point's records go into the store (a placeholder when nothing was
    // heard), are journalled, and both scan flags are cleared. Nothing while
    // no scan is finished or no site is open.
    std::optional<CommittedPoint> commitFinishedScan();
    // Where the measurement stands at now; asks a board that ignored the
    // start-scan command once more.
    ScanProgress checkScan(Clock::time_point now = Clock::now());
    // Gives up the point being measured without storing it.
    void abandonPoint();
    bool measuring() const { return m_measuring; }
    // How the surveyor knows the board: its device, or what stands in for
    // it. Named when the board does not answer.
    void setBoardName(std::string name) { m_boardName = std::move(name); }
    const std::string& boardName() const { return m_boardName; }
    // Since the link started nothing has come from the board for
    // BoardSilence, or there is no board.
    bool boardAbsent(Clock::time_point now = Clock::now()) const;

    // Selects the stored point nearest map position (x, y); false when none
    // lies within the selection radius or no site is open.
    bool selectNearestPoint(std::int32_t x, std::int32_t y);
    // Removes the selected point's records; the counters stay. The removal
    // is journalled as the position the selection was made at.
    void removeSelectedPoint();
    // Points committed or removed since the site was opened or last saved.
    bool hasUnsavedWork() const { return m_unsaved; }
    // The surveyor let the unsaved work go: the journal is set aside (kept
    // under another name, not offered again) and the work counts as done.
    // Later work goes into a new journal.
    void discardUnsavedWork();
    // Why the journal stopped keeping the work on disk, once, when it first
    // fails; nothing while it works (again).
    std::optional<std::string> takeJournalWarning();

    // Save Site Data with this signature, stamped saveTime. Each save that
    // succeeds clears the journal: the file now holds the work.
    [[nodiscard]] SiteResult<> saveSiteData(const SignatureSource& signature,
                                            std::uint32_t saveTime);
    // The full rewrite, with the floor plan copied from the bitmap file
    // "tmpsite.bmp" in the system's temporary folder.
    [[nodiscard]] SiteResult<> fullRewrite();

private:
    void adopt(PendingSite& pending, bool keepPoints, const MarkSink& marks);
    void journal(const JournalEntry& entry);
    void savedJournal();

    SharedRecordList& m_scanList;
    RecordList& m_store;
    MonotonicSecondsClock m_clock;
    std::unique_ptr<LinkSession> m_link;
    std::unique_ptr<SiteState> m_site;
    SiteFileState m_siteFile;
    std::string m_sitePath;
    PointListener m_pointListener;
    std::string m_boardName;
    Clock::time_point m_linkStarted{};
    // A point is being measured: since takePoint, until its commit or abandon.
    bool m_measuring = false;
    Clock::time_point m_measureStarted{};
    bool m_askedAgain = false;
    bool m_unsaved = false;
    bool m_journalFailing = false;
    std::optional<std::string> m_journalWarning;
    std::filesystem::path m_journalFolder;
    JournalFile m_journal;
    // The open site's journal and its header: the journal itself is made at
    // the first entry, so a site only looked at leaves none.
    std::filesystem::path m_journalPath;
    std::optional<JournalHeader> m_journalHeader;
    // Where the last selection was made; a removal is journalled there.
    std::int32_t m_probeX = 0;
    std::int32_t m_probeY = 0;
};

} // namespace marlow
