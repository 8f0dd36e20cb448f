// Reading the command line with QCommandLineParser.
#include "shell/CommandLine.h"

#include "base/Version.h"

#include <QCommandLineParser>
#include <QFile>

namespace marlow {

Result<CommandLine> parseCommandLine(const QStringList& arguments) {
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
    parser.addOptions({help, version, port, demo});
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
    result.options.port = QFile::encodeName(parser.value(port)).toStdString();
    result.options.demo = parser.isSet(demo);
    if (!sites.isEmpty())
        result.options.sitePath = QFile::encodeName(sites.constFirst()).toStdString();
    result.options.reportStartup = qEnvironmentVariableIsSet("MARLOW_STARTUP_REPORT");
    return result;
}

} // namespace marlow
