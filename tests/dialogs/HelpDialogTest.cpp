// The help dialog: the list's 162 lines in order with the fixed headings
// and quoted entries, the shape of the body text, and the list's scrolling.
#include "dialogs/HelpDialog.h"

#include "DialogTestSupport.h"
#include "dialogs/HelpText.h"

#include <QApplication>
#include <QListWidget>
#include <QScrollBar>
#include <cctype>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace marlow {
namespace {

const std::string StatusBarParagraph =
    "On the bottom (above the menu) of the screen are different statistics. They include (from "
    "left to right): L is the number of location (points) stored. P is the number of AP's total "
    "that were found (cumulative). X and Y cursor position in pixels for the last point are also "
    "shown.";
const std::string MenuSentence =
    "There are 6 menu items located in the main menu at the bottom of the screen.";

// Entries fixed word for word, numbered from 1.
const std::map<int, std::string> FixedEntries = {
    {1, "Help Contents"},
    {3, "Overview"},
    {29, "Quick Start"},
    {40, "OPEN A SITE FILE"},
    {50, "START SURVEY"},
    {67, "COMPLETE SURVEY"},
    {80, "Status Bar (Bottom)"},
    {81, StatusBarParagraph},
    {83, "Menu"},
    {84, MenuSentence},
    {86, "From left to right: "},
    {88, "Open a site file"},
    {89, "Save a site file"},
    {90, "View color codes for points    "},
    {91, "surveyed"},
    {92, "Zoom into the site"},
    {93, "Zoom away from the site"},
    {94, "Help information"},
    {96, "Zoom Mode"},
    {104, "Scroll Bars"},
    {109, "Joystick"},
    {120, "Color Codes"},
    {131, "Survey Information Screen"},
    {148, "Surveying Tips"},
};

const std::set<int> BlankEntries = {2,   4,   17,  28,  30,  35,  39,  49,  66,  75,
                                    79,  82,  85,  87,  95,  97,  103, 105, 108, 110,
                                    119, 121, 130, 132, 141, 144, 147, 149, 158};

// The numbered steps of the Quick Start, as ranges of entries.
const std::vector<std::pair<int, int>> StepRanges = {{41, 48}, {51, 65}, {68, 74}};

std::string entry(int number) {
    return HelpLines[static_cast<std::size_t>(number - 1)];
}

class HelpList : public testing::Test {
protected:
    QListWidget& list() { return *dialog.list(); }
    std::string item(int number) { return list().item(number - 1)->text().toStdString(); }

    CHelpDlg dialog{nullptr};
};

TEST_F(HelpList, HoldsEveryLineInOrderUnsorted) {
    ASSERT_EQ(list().count(), HelpLineCount);
    EXPECT_FALSE(list().isSortingEnabled());
    for (int number = 1; number <= HelpLineCount; ++number)
        ASSERT_EQ(item(number), entry(number)) << number;
    EXPECT_EQ(item(1), "Help Contents");
    EXPECT_EQ(item(2), "");
}

TEST_F(HelpList, LastEntriesEndTheOfficeExample) {
    std::string example;
    for (int number = 159; number <= 162; ++number)
        example += item(number) + " ";
    EXPECT_NE(example.find("20 x 20 office"), std::string::npos) << example;
    EXPECT_EQ(item(162), "at least 4 points.");
}

TEST_F(HelpList, HeadingsAndQuotedEntriesAreExact) {
    for (const auto& [number, text] : FixedEntries)
        EXPECT_EQ(item(number), text) << number;
}

TEST_F(HelpList, BlankEntriesAreExactlyWhereTheyBelong) {
    for (int number = 1; number <= HelpLineCount; ++number)
        EXPECT_EQ(item(number).empty(), BlankEntries.count(number) == 1) << number;
}

TEST(HelpText, BodyLinesArePreBrokenToTheListsWidth) {
    for (int number = 1; number <= HelpLineCount; ++number) {
        if (number == 81 || number == 84)
            continue;
        const std::string line = entry(number);
        EXPECT_LE(line.size(), 36u) << number << ": " << line;
        if (!line.empty() && number != 86 && number != 90) {
            EXPECT_NE(line.back(), ' ') << number;
        }
    }
}

TEST(HelpText, NumberedStepsContinueWithThreeSpaces) {
    for (const auto& [first, last] : StepRanges) {
        int step = 0;
        for (int number = first; number <= last; ++number) {
            const std::string line = entry(number);
            const std::string label = std::to_string(step + 1) + ". ";
            if (line.rfind(label, 0) == 0) {
                ++step;
                continue;
            }
            ASSERT_GT(step, 0) << number << " comes before the first step";
            EXPECT_EQ(line.rfind("   ", 0), 0u) << number;
            EXPECT_NE(line[3], ' ') << number;
        }
        EXPECT_GE(step, 1) << first;
    }
}

TEST(HelpText, WordsBrokenAtALineEndAreHyphenated) {
    int hyphenated = 0;
    for (int number = 1; number < HelpLineCount; ++number) {
        const std::string line = entry(number);
        if (line.empty() || line.back() != '-')
            continue;
        ++hyphenated;
        // The word goes on, in lower case, on the next line.
        const std::string next = entry(number + 1);
        const std::size_t start = next.find_first_not_of(' ');
        ASSERT_NE(start, std::string::npos) << number;
        EXPECT_TRUE(std::islower(static_cast<unsigned char>(next[start]))) << number;
    }
    EXPECT_GT(hyphenated, 3);
}

TEST_F(HelpList, BothScrollBarsAreAlwaysShownAndNothingWrapsOrElides) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Marlow Fieldwalk Help"));
    EXPECT_EQ(list().verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(list().horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(list().wordWrap());
    EXPECT_EQ(list().textElideMode(), Qt::ElideNone);
}

class HelpScrolling : public testing::TestWithParam<int> {};

TEST_P(HelpScrolling, HorizontalScrollReachesTheEndOfTheLongestEntry) {
    const auto owner = test::makeOwner(GetParam());
    CHelpDlg dialog(owner.get());
    dialog.show();
    QApplication::processEvents();
    QListWidget& list = *dialog.list();
    const QScrollBar& bar = *list.horizontalScrollBar();
    const int longest = list.fontMetrics().horizontalAdvance(list.item(80)->text());
    EXPECT_GT(bar.maximum(), 0);
    EXPECT_GE(bar.maximum() + list.viewport()->width(), longest);
    EXPECT_GT(list.verticalScrollBar()->maximum(), 0);
    dialog.hide();
}

INSTANTIATE_TEST_SUITE_P(OwnerWidths, HelpScrolling, testing::Values(240, 480));

} // namespace
} // namespace marlow
