// The help dialog: the list's 162 lines in order with the fixed headings
// and quoted entries, the shape of the body text and the list's scrolling.
#include "dialogs/HelpDialog.h"

#include "DialogTestSupport.h"
#include "dialogs/HelpText.h"

#include <QListWidget>
#include <QScrollBar>
#include <cctype>
#include <map>
#include <set>
#include <string>

namespace marlow {
namespace {

const std::string StatusBarParagraph =
    "On the bottom (above the menu) of the screen are different statistics. They include (from "
    "left to right): L is the number of location (points) stored. P is the number of AP's total "
    "that were found (cumulative). X and Y cursor position in pixels for the last point are also "
    "shown.";
const std::string MenuSentence =
    "There are 6 menu items located in the main menu at the bottom of the screen.";

// Entries fixed word for word, numbered from 1, and the blank ones.
// clang-format off
const std::map<int, std::string> FixedEntries = {
    {1, "Help Contents"}, {3, "Overview"}, {29, "Quick Start"}, {40, "OPEN A SITE FILE"},
    {50, "START SURVEY"}, {67, "COMPLETE SURVEY"}, {80, "Status Bar (Bottom)"},
    {81, StatusBarParagraph}, {83, "Menu"}, {84, MenuSentence}, {86, "From left to right: "},
    {88, "Open a site file"}, {89, "Save a site file"}, {90, "View color codes for points    "},
    {91, "surveyed"}, {92, "Zoom into the site"}, {93, "Zoom away from the site"},
    {94, "Help information"}, {96, "Zoom Mode"}, {104, "Scroll Bars"}, {109, "Joystick"},
    {120, "Color Codes"}, {131, "Survey Information Screen"}, {148, "Surveying Tips"},
    {162, "at least 4 points."}};
// clang-format on
const std::set<int> BlankEntries = {2,   4,   17,  28,  30,  35,  39,  49,  66,  75,
                                    79,  82,  85,  87,  95,  97,  103, 105, 108, 110,
                                    119, 121, 130, 132, 141, 144, 147, 149, 158};

bool inQuickStartSteps(int number) {
    return (number >= 41 && number <= 48) || (number >= 51 && number <= 65) ||
           (number >= 68 && number <= 74);
}

TEST(HelpDialog, ListHoldsEveryLineInOrderWithTheFixedEntriesAndBodyShape) {
    CHelpDlg dialog(nullptr);
    const QListWidget& list = *dialog.list();
    ASSERT_EQ(list.count(), 162);
    EXPECT_FALSE(list.isSortingEnabled());
    int hyphenated = 0;
    for (int number = 1; number <= 162; ++number) {
        const std::string item = list.item(number - 1)->text().toStdString();
        ASSERT_EQ(item, HelpLines[static_cast<std::size_t>(number - 1)]) << number;
        if (const auto fixed = FixedEntries.find(number); fixed != FixedEntries.end()) {
            EXPECT_EQ(item, fixed->second) << number;
        }
        EXPECT_EQ(item.empty(), BlankEntries.count(number) == 1) << number;
        // Body lines are pre-broken to the list's width, but for the two
        // long single entries; numbered steps go on with three spaces.
        EXPECT_TRUE(item.size() <= 36 || number == 81 || number == 84) << number;
        EXPECT_TRUE(item.empty() || item.back() != ' ' || number == 86 || number == 90) << number;
        if (inQuickStartSteps(number)) {
            const bool numbered =
                std::isdigit(static_cast<unsigned char>(item[0])) && item.compare(1, 2, ". ") == 0;
            EXPECT_TRUE(numbered || (item.rfind("   ", 0) == 0 && item[3] != ' ')) << number;
        }
        hyphenated += !item.empty() && item.back() == '-';
    }
    EXPECT_GT(hyphenated, 3);
}

class HelpScrolling : public testing::TestWithParam<int> {};

TEST_P(HelpScrolling, BothBarsAlwaysShownAndTheLongestEntryCanBeScrolledToItsEnd) {
    const auto owner = test::makeOwner(GetParam());
    CHelpDlg dialog(owner.get());
    QListWidget& list = *dialog.list();
    EXPECT_EQ(list.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(list.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    dialog.show();
    QApplication::processEvents();
    const int longest = list.fontMetrics().horizontalAdvance(list.item(80)->text());
    EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(list.horizontalScrollBar()->maximum() + list.viewport()->width(), longest);
    EXPECT_GT(list.verticalScrollBar()->maximum(), 0);
    dialog.hide();
}

INSTANTIATE_TEST_SUITE_P(OwnerWidths, HelpScrolling, testing::Values(240, 480));

} // namespace
} // namespace marlow
