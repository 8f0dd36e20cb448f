// The program's command line: --wifi takes its interface only when the next
// word is one, and the options that choose a board exclude each other.
#include "shell/CommandLine.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

Result<CommandLine> parse(QStringList words) {
    words.prepend(QStringLiteral("/usr/bin/marlow"));
    return parseCommandLine(words);
}

TEST(CommandLine, WifiTakesTheNextWordAsItsInterfaceUnlessItIsASiteOrAnOption) {
    const Result<CommandLine> named = parse({"--wifi", "wlan1", "site.tws"});
    ASSERT_TRUE(named) << named.error().message;
    EXPECT_TRUE(named->options.wifi);
    EXPECT_EQ(named->options.wifiInterface, "wlan1");
    EXPECT_EQ(named->options.sitePath, "site.tws");

    const Result<CommandLine> site = parse({"--wifi", "Office.TWS"});
    ASSERT_TRUE(site);
    EXPECT_TRUE(site->options.wifi);
    EXPECT_EQ(site->options.wifiInterface, "");
    EXPECT_EQ(site->options.sitePath, "Office.TWS");

    const Result<CommandLine> banded = parse({"--wifi", "--bands", "2.4,5"});
    ASSERT_TRUE(banded);
    EXPECT_EQ(banded->options.wifiInterface, "");
    EXPECT_TRUE(banded->options.bands.ghz24 && banded->options.bands.ghz5);

    const Result<CommandLine> plain = parse({"site.tws"});
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->options.wifi);
    EXPECT_TRUE(plain->options.bands.ghz24 && !plain->options.bands.ghz5);
}

TEST(CommandLine, BoardChoicesConflictAndBandsNeedWifi) {
    for (const QStringList& bad :
         {QStringList{"--wifi", "--demo"}, QStringList{"--port", "/dev/ttyS0", "--wifi", "wlan0"},
          QStringList{"--bands", "5"}, QStringList{"--wifi", "--bands", "6"}})
        EXPECT_FALSE(parse(bad)) << bad.join(' ').toStdString();
}

} // namespace
} // namespace marlow
