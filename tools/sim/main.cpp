#include "InstallationConfig.h"
#include "SimInstallation.h"
#include "SimOptions.h"
#include "SimServer.h"
#include "link/StopSignals.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitCannotServe = 1;
const QString ExampleInstallation = QStringLiteral(":/example-installation.json");

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

    StopSignals::onStop(&app, &QCoreApplication::quit);
    SimServer server(SimInstallation(config.nodes, config.timing));
    if (!server.start(error)) {
        err << error << "\n";
        return ExitCannotServe;
    }
    return QCoreApplication::exec();
}
