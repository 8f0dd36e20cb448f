// The journal's format and files: entries come back exactly as written, a
// journal cut anywhere in its last entry gives back the entries before it,
// each append is on disk before it is synced, and a journal is set aside
// under a name the user can find.
#include "journal/Journal.h"

#include "SiteFixtures.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Compares entries field by field, records byte for byte.
void expectEntries(const std::vector<JournalEntry>& got, const std::vector<JournalEntry>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(got[i].index(), want[i].index()) << i;
        if (const auto* p = std::get_if<JournalPoint>(&got[i])) {
            const auto& q = std::get<JournalPoint>(want[i]);
            EXPECT_EQ(std::tuple(p->time, p->heard), std::tuple(q.time, q.heard)) << i;
            EXPECT_TRUE(test::sameRecords(p->records, q.records)) << i;
        } else {
            const auto& d = std::get<JournalDeletion>(got[i]);
            const auto& e = std::get<JournalDeletion>(want[i]);
            EXPECT_EQ(std::tuple(d.time, d.x, d.y), std::tuple(e.time, e.x, e.y)) << i;
        }
    }
}

const JournalHeader Header{{"/surveys/floor 2.tws", 123456789012ULL, -5'000'000'001LL}, true};

std::vector<JournalEntry> sampleEntries() {
    SurveyRecord full =
        test::apRecord(-7, 2'000'000'000, 0xAB, -71, "ssid-of-32-bytes-exactly-abcdefg");
    // A name filling its field with no terminator, and a negative sum.
    std::memset(full.pointName, 'N', sizeof full.pointName);
    full.sampleCount = -3;
    return {JournalPoint{1'700'000'000, true, {test::apRecord(30, 20, 1, -62), full}},
            JournalDeletion{1'700'000'060, 31, -19},
            JournalPoint{1'700'000'120, false, {test::committedPlaceholder(80, 50)}}};
}

Bytes encode(const std::vector<JournalEntry>& entries) {
    Bytes bytes = encodeJournalStart(Header);
    for (const JournalEntry& entry : entries) {
        const Bytes one = encodeJournalEntry(entry);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
}

TEST(JournalFormat, EntriesComeBackExactlyAsWritten) {
    const Bytes bytes = encode(sampleEntries());
    const std::optional<JournalContents> read = decodeJournal(bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->header, Header);
    expectEntries(read->entries, sampleEntries());
    EXPECT_EQ(std::tuple(read->completeBytes, read->damaged), std::tuple(bytes.size(), false));
    // A point of a few access points costs a few hundred bytes.
    EXPECT_LT(encodeJournalEntry(sampleEntries()[0]).size(), 300u);
    // The checksum is the common CRC-32.
    const std::string check = "123456789";
    EXPECT_EQ(crc32(Bytes(check.begin(), check.end())), 0xCBF43926u);
}

TEST(JournalFormat, AJournalCutAnywhereInItsLastEntryKeepsTheEntriesBeforeIt) {
    const std::vector<JournalEntry> all = sampleEntries();
    const std::vector<JournalEntry> before(all.begin(), all.end() - 1);
    const std::size_t lastStart = encode(before).size();
    const Bytes whole = encode(all);
    for (std::size_t cut = lastStart; cut < whole.size(); ++cut) {
        const std::optional<JournalContents> read = decodeJournal(std::span(whole).first(cut));
        ASSERT_TRUE(read) << cut;
        expectEntries(read->entries, before);
        EXPECT_EQ(read->completeBytes, lastStart) << cut;
        EXPECT_EQ(read->damaged, cut > lastStart) << cut;
    }
    // A changed byte anywhere in the last entry is found by its checksum.
    for (std::size_t at = lastStart; at < whole.size(); ++at) {
        Bytes flipped = whole;
        flipped[at] ^= 0x20;
        const std::optional<JournalContents> read = decodeJournal(flipped);
        ASSERT_TRUE(read) << at;
        EXPECT_EQ(std::tuple(read->entries.size(), read->damaged), std::tuple(before.size(), true))
            << at;
    }
}

TEST(JournalFormat, WithoutItsOpeningAndHeaderNothingIsReadFromIt) {
    const Bytes whole = encode(sampleEntries());
    const std::size_t headerEnd = encode({}).size();
    for (std::size_t cut = 0; cut < headerEnd; ++cut)
        EXPECT_FALSE(decodeJournal(std::span(whole).first(cut))) << cut;
    Bytes otherVersion = whole;
    otherVersion[4] = JournalVersion + 1;
    EXPECT_FALSE(decodeJournal(otherVersion));
    // An entry of the site after the start is not a header.
    Bytes pointFirst = encode({});
    pointFirst.resize(8);
    const Bytes point = encodeJournalEntry(sampleEntries()[0]);
    pointFirst.insert(pointFirst.end(), point.begin(), point.end());
    EXPECT_FALSE(decodeJournal(pointFirst));
}

TEST(JournalFiles, TheStateFolderComesFromTheEnvironment) {
    const auto env = [](const char* xdg, const char* home) {
        return [=](const char* name) { return std::string(name) == "HOME" ? home : xdg; };
    };
    EXPECT_EQ(defaultJournalFolder(env("/st", "/home/w")), "/st/marlow/journals");
    // Relative or unset: the standard fallback under the home folder.
    EXPECT_EQ(defaultJournalFolder(env("st", "/home/w")), "/home/w/.local/state/marlow/journals");
    EXPECT_EQ(defaultJournalFolder(env(nullptr, "/home/w")),
              "/home/w/.local/state/marlow/journals");
    // One journal per site, the same one each time.
    EXPECT_EQ(journalPathFor("/j", "/a/site.tws"), journalPathFor("/j", "/a/site.tws"));
    EXPECT_NE(journalPathFor("/j", "/a/site.tws"), journalPathFor("/j", "/b/site.tws"));
    EXPECT_EQ(journalPathFor("/j", "/a/site.tws").parent_path(), "/j");
}

TEST(JournalFiles, EachAppendIsWrittenBeforeItIsSynced) {
    const test::TempDir dir;
    const std::filesystem::path path = std::filesystem::path(dir.path()) / "state" / "j";
    std::vector<std::uintmax_t> sizesAtSync;
    JournalFile journal([&](int) {
        sizesAtSync.push_back(std::filesystem::exists(path) ? std::filesystem::file_size(path) : 0);
        return 0;
    });
    ASSERT_TRUE(journal.create(path, Header));
    for (const JournalEntry& entry : sampleEntries())
        ASSERT_TRUE(journal.append(entry));
    const Bytes whole = encode(sampleEntries());
    // The header, then its folder, then one sync per entry with it whole.
    ASSERT_EQ(sizesAtSync.size(), 5u);
    EXPECT_EQ(sizesAtSync[0], encode({}).size());
    EXPECT_EQ(sizesAtSync.back(), whole.size());
    const std::optional<JournalContents> read = readJournal(path);
    ASSERT_TRUE(read);
    expectEntries(read->entries, sampleEntries());

    // A failed sync is a failed append.
    JournalFile failing([](int) { return -1; });
    EXPECT_FALSE(failing.create(path, Header));
}

TEST(JournalFiles, ASetAsideJournalIsKeptUnderAFindableName) {
    const test::TempDir dir;
    const std::filesystem::path path = std::filesystem::path(dir.path()) / "abc.journal";
    test::writeBytes(path.string(), test::Bytes{1, 2, 3});
    const Result<std::filesystem::path> first = setAsideJournal(path, 1'700'000'000);
    ASSERT_TRUE(first);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(first->filename().string().rfind("abc.journal.set-aside-", 0), 0u);
    EXPECT_EQ(test::readBytes(first->string()), (test::Bytes{1, 2, 3}));
    // A second one in the same second does not replace the first.
    test::writeBytes(path.string(), test::Bytes{4});
    const Result<std::filesystem::path> second = setAsideJournal(path, 1'700'000'000);
    ASSERT_TRUE(second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(dir.entries().size(), 2u);
    EXPECT_FALSE(setAsideJournal(path, 1'700'000'000)); // nothing left to set aside
}

} // namespace
} // namespace marlow
