#include "InstallationConfig.h"
#include "SimInstallation.h"
#include "SimOptions.h"
#include "SimServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <unistd.h>

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitCannotServe = 1;
const QString ExampleInstallation = QStringLiteral(":/example-installation.json");

// SIGTERM and SIGINT end the event loop through a pipe, so that the
// installation closes its connections and the program ends normally.
int stopPipe[2] = {-1, -1};

void stopSignalled(int)
{
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &byte, 1);
}

void stopOnSignals(QCoreApplication &app)
{
    if (::pipe(stopPipe) != 0)
        return; // the default action still ends the program
    auto *notifier = new QSocketNotifier(stopPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = stopSignalled;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessra-sim"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString error;
    QString help;
    const SimOptions options = SimOptions::parse(QCoreApplication::arguments(), error, help);
    if (!error.isEmpty()) {
        err << error << "\n\n" << help;
        return ExitUsage;
    }
    if (options.help) {
        out << help;
        return 0;
    }

    const QString path = options.configPath.isEmpty() ? ExampleInstallation : options.configPath;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "Cannot read " << path << ": " << file.errorString() << "\n";
        return ExitUsage;
    }
    QStringList errors;
    InstallationConfig config = InstallationConfig::fromJson(file.readAll(), errors);
    if (!errors.isEmpty()) {
        err << path << ":\n";
        for (const QString &e : errors)
            err << "  " << e << "\n";
        return ExitUsage;
    }
    if (!config.place(options.address, options.port.value_or(config.port), options.destination, error)) {
        err << error << "\n";
        return ExitUsage;
    }

    stopOnSignals(app);
    SimServer server(SimInstallation(config.nodes, config.timing));
    if (!server.start(error)) {
        err << error << "\n";
        return ExitCannotServe;
    }
    return QCoreApplication::exec();
}
