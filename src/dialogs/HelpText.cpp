// The user guide's entries: headings, paragraphs and the blank lines
// between them. The help list wraps each entry to its width, so no entry is
// broken by hand.
#include "dialogs/HelpText.h"

namespace marlow {

// clang-format off
const std::array<const char*, HelpLineCount> HelpLines = {
    "Help Contents",
    "",
    "Overview",
    "",
    "Marlow Fieldwalk records a wireless site survey. It runs on a handheld or a computer "
    "connected by a serial line to the 802.11 analyzer board. You begin with a site file drawn "
    "up beforehand in the desktop tool Planwright. Walk the site and collect survey points; "
    "together they form a data file of what the 802.11 network looks like on site.",
    "",
    "The points are saved back into the site file, ready for the desktop analysis program "
    "Coverwise. While you work you can zoom in on the points, inspect them and delete them, "
    "and move over the whole site with the scroll bars or the arrow keys.",
    "",
    "Quick Start",
    "",
    "To turn a site file into a survey with data points for Coverwise, work through the steps "
    "below.",
    "",
    "Note: see Surveying Tips at the end of this guide for how many points to take.",
    "",
    "OPEN A SITE FILE",
    "1. Tap the leftmost icon at the bottom of the window, or press Ctrl+O, and choose the site "
    "file to open.",
    "2. If the file already holds points from an earlier survey, choose whether to keep them or "
    "to start afresh.",
    "",
    "START SURVEY",
    "1. Find the place where you stand on the map, using the scroll bars, the zoom buttons and "
    "the arrow keys.",
    "2. Tap that spot on the map to take a measurement, or bring it under the cross-hair in the "
    "middle of the map and press Return, Enter or Space. For a few seconds a screen shows the "
    "channel being scanned and the access points found so far; then the point appears on the "
    "map.",
    "3. Walk on to the next spot and take the next point in the same way.",
    "",
    "COMPLETE SURVEY",
    "1. When the whole site has been covered, tap the second icon from the left at the bottom, "
    "or press Ctrl+S. Sign on the pad, and the site file is saved together with its points. A "
    "note at the bottom of the map says how many points the file now holds.",
    "",
    "The file can now be taken back to the desktop computer and opened in Coverwise.",
    "",
    "Status Bar (Bottom)",
    "Above the command bar at the bottom of the window are four panes. From left to right: L "
    "is the number of locations (points) stored since the site was opened, P the number of "
    "access-point records found (cumulative), and X and Y the position in pixels of the last "
    "point.",
    "",
    "Command Bar",
    "There are 7 commands in the command bar at the bottom of the window. From left to right, "
    "with their keys:",
    "",
    "Open a site file (Ctrl+O)",
    "Save a site file (Ctrl+S)",
    "View color codes for points surveyed",
    "Zoom into the site (+, Ctrl++ or Ctrl+=)",
    "Zoom away from the site (- or Ctrl+-)",
    "Help information (F1)",
    "About the program",
    "",
    "Ctrl+Q closes the program.",
    "",
    "Zoom Mode",
    "",
    "The two icons showing a magnifying glass zoom the site. Tap the one marked +, or press +, "
    "to zoom in and the one marked -, or press -, to zoom out again.",
    "",
    "Scroll Bars",
    "",
    "Use the scroll bars to move around the site.",
    "",
    "Keys",
    "",
    "The arrow keys, like the handheld's joystick, move the map left, right, up or down.",
    "Return, Enter or Space, like pressing the joystick's center, takes a survey point under the "
    "cross-hair in the middle of the map.",
    "Escape gives up the point being measured: nothing of it is stored.",
    "",
    "Color Codes",
    "",
    "Every point you take is drawn on the map as a filled circle. Its color tells the strongest "
    "signal (RSSI) heard there. Tap the color wheel icon at the bottom of the window to see "
    "which color stands for which range of RSSI values.",
    "",
    "Survey Information Screen",
    "",
    "The survey screen appears whenever a point is started, with a tap or a key. It shows a "
    "turning radar picture, the list of channels with the one being scanned highlighted, and "
    "the access points seen so far.",
    "",
    "The access point list gives the MAC address, SSID and RSSI. It holds up to 4,096 access "
    "points; the screen counts the reports of any others.",
    "",
    "When nothing has come from the board for 10 seconds, the survey screen says that the board "
    "is not answering. A tap or Escape then returns to the map without storing the point.",
    "",
    "Point Information",
    "",
    "Hold the stylus or the mouse button still on a point for half a second, or right-click "
    "it, to open the information of the nearest stored point. If the point is not wanted, it "
    "can be deleted from there.",
    "",
    "Surveying Tips",
    "",
    "Take enough points to give a clear picture of the coverage. Coverwise draws each point as "
    "a circle with a radius of 10 feet, so keep your points no more than that distance apart if "
    "the picture is to have no gaps.",
    "",
    "The more points you take, the better. As an example, a typical 20 x 20 office could use at "
    "least 4 points.",
    "",
    "Unsaved Points",
    "",
    "Each point is kept safe on disk the moment it is taken. If the program ends before the "
    "survey is saved (minimised, a crash or a flat battery), opening the site again offers to "
    "restore the unsaved points. Closing the program or opening another site first asks whether "
    "to save them.",
};
// clang-format on

} // namespace marlow
