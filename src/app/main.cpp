#include "shell/frmMain.h"
#include "shell/modRWIniFile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>

namespace {

constexpr int ExitUsage = 2;

// The options Qt's window system takes itself; they pass through untouched.
const QStringList QtValueOptions = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                    "qwindowicon", "qwindowtitle", "style", "stylesheet", "session", "display"};
const QStringList QtFlagOptions = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// Reads the command line before there is a display: --help and --version print and end the program, an unknown
// option is a usage error; nothing else changes what the window does.
std::optional<int> handleCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Konfiguriert und beobachtet LAN-Adapter und Funk-Geräte der Haussteuerung.\n"
                       "Ohne Optionen öffnet sich das Fenster; die Einstellungen stehen in TessraPrg.ini im\n"
                       "Programmordner, wenn dort eine liegt, sonst im Konfigurationsordner des Benutzers."));
    const QCommandLineOption help({"h", "help"}, QStringLiteral("Zeigt diese Hilfe und endet."));
    const QCommandLineOption version({"v", "version"}, QStringLiteral("Zeigt die Version und endet."));
    parser.addOptions({help, version});
    for (const QString &name : QtValueOptions) {
        QCommandLineOption option(name, QString(), QStringLiteral("wert"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString &name : QtFlagOptions) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        const QString problem = unknown.isEmpty() ? parser.errorText()
                                                  : QStringLiteral("unbekannte Option '%1'").arg(unknown.first());
        std::fprintf(stderr, "tessraprog: %s\nMehr mit: tessraprog --help\n", qPrintable(problem));
        return ExitUsage;
    }
    if (parser.isSet(help)) {
        std::printf("Aufruf: tessraprog [Optionen]\n\n%s\n\nOptionen:\n"
                    "  -h, --help     Zeigt diese Hilfe und endet.\n"
                    "  -v, --version  Zeigt die Version und endet.\n",
                    qPrintable(parser.applicationDescription()));
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("TessraProg %s\n", TESSRA_VERSION);
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = handleCommandLine(argc, argv))
        return *status;
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("TessraProg"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSRA_VERSION));
    // The desktop entry the window belongs to, for desktops that match windows to their menu entries by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.tessra.tessraprog"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("de.tessra.tessraprog")));
    frmMain window(
        {QHostAddress::Any, QCoreApplication::applicationDirPath(), modRWIniFile::UserSettingsFolder(), QString()});
    window.show();
    return QApplication::exec();
}
