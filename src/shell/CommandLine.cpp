// Reading the command line with QCommandLineParser.
#include "shell/CommandLine.h"

#include "base/Version.h"

#include <QCommandLineParser>
#include <QFile>

namespace marlow {
namespace {

// --wifi takes an optional interface: the word after it is the interface
// unless it is an option or a site file, so that both `--wifi wlan0 SITE.tws`
// and `--wifi SITE.tws` read as meant. Rewrites the interface into the
// `--wifi=IFACE` form, which QCommandLineParser does not offer for an
// option whose value may be left out.
QStringList joinWifiInterface(QStringList arguments) {
    const QString wifi = QStringLiteral("--wifi");
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--"))
            break;
        if (arguments[i] != wifi)
            continue;
        const bool hasWord =
            i + 1 < arguments.size() && !arguments[i + 1].startsWith(QLatin1Char('-')) &&
            !arguments[i + 1].endsWith(QStringLiteral(".tws"), Qt::CaseInsensitive);
        arguments[i] =
            QStringLiteral("--wifi-interface=") + (hasWord ? arguments[i + 1] : QString());
        if (hasWord)
            arguments.removeAt(i + 1);
    }
    return arguments;
}

} // namespace

Result<CommandLine> parseCommandLine(const QStringList& givenArguments) {
    const QStringList arguments = joinWifiInterface(givenArguments);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Marlow Fieldwalk: a wireless site-survey recorder."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and end."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("The analyzer board's serial device."),
                                  QStringLiteral("DEVICE"));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Run a simulated board and open the sample office site."));
    QCommandLineOption wifi(
        QStringLiteral("wifi-interface"),
        QStringLiteral("Measure with this computer's Wi-Fi adapter (the interface "
                       "named, or the first that is up) instead of an analyzer board."),
        QStringLiteral("IFACE"));
    const QCommandLineOption bands(
        QStringLiteral("bands"),
        QStringLiteral("With --wifi, the bands to report: 2.4 (the default), 5, or 2.4,5."),
        QStringLiteral("LIST"));
    parser.addOptions({help, version, port, demo, wifi, bands});
    parser.addPositionalArgument(QStringLiteral("SITE.tws"), QStringLiteral("A site file to open."),
                                 QStringLiteral("[SITE.tws]"));

    CommandLine result;
    if (!parser.parse(arguments))
        return fail(Error{parser.errorText().toStdString()});
    if (parser.isSet(help)) {
        // The usage line names the program as it is called in the docs,
        // whatever path started it.
        QString text = parser.helpText();
        const qsizetype name = text.indexOf(QStringLiteral("Usage: ")) + 7;
        const qsizetype nameEnd = text.indexOf(QStringLiteral(" [options]"));
        if (name >= 7 && nameEnd > name)
            text.replace(name, nameEnd - name, QStringLiteral("marlow"));
        // Spaces keep the descriptions in their column.
        text.replace(QStringLiteral("--wifi-interface <IFACE>"),
                     QStringLiteral("--wifi [IFACE]          "));
        result.answer = text.toStdString();
        return result;
    }
    if (parser.isSet(version)) {
        result.answer = std::string("marlow ") + ProgramVersion + "\n";
        return result;
    }
    const QStringList sites = parser.positionalArguments();
    if (sites.size() > 1)
        return fail(Error{"only one site file can be opened"});
    if (parser.isSet(demo) && parser.isSet(port))
        return fail(Error{"--demo runs its own board; leave out --port"});
    const bool wantsWifi = parser.isSet(wifi);
    if (wantsWifi && (parser.isSet(demo) || parser.isSet(port)))
        return fail(
            Error{"--wifi plays the board with the Wi-Fi adapter; leave out --port and --demo"});
    if (parser.isSet(bands) && !wantsWifi)
        return fail(Error{"--bands goes with --wifi"});
    if (parser.isSet(bands)) {
        const Result<wifi::Bands> parsed = wifi::parseBands(parser.value(bands).toStdString());
        if (!parsed)
            return fail(parsed.error());
        result.options.bands = *parsed;
    }
    result.options.wifi = wantsWifi;
    result.options.wifiInterface = parser.value(wifi).toStdString();
    result.options.port = QFile::encodeName(parser.value(port)).toStdString();
    result.options.demo = parser.isSet(demo);
    if (!sites.isEmpty())
        result.options.sitePath = QFile::encodeName(sites.constFirst()).toStdString();
    result.options.reportStartup = qEnvironmentVariableIsSet("MARLOW_STARTUP_REPORT");
    return result;
}

} // namespace marlow
