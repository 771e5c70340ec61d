// tessra: the installation from the command line, on the window's functional core.
#include "cli/CommandLine.h"
#include "cli/Session.h"
#include "link/StopSignals.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessra"));

    const std::variant<CommandLine::Invocation, CommandLine::Reply> parsed =
        CommandLine::parse(QCoreApplication::arguments());
    if (const auto *reply = std::get_if<CommandLine::Reply>(&parsed)) {
        const QByteArray text = reply->text.toUtf8();
        std::FILE *stream = reply->status == CommandLine::ExitAnswered ? stdout : stderr;
        std::fwrite(text.constData(), 1, size_t(text.size()), stream);
        return reply->status;
    }

    Session session(std::get<CommandLine::Invocation>(parsed), QCoreApplication::applicationDirPath(),
                    QCoreApplication::applicationFilePath());
    QObject::connect(&session, &Session::finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
    // SIGINT and SIGTERM end a polling in order, so that the output is whole and the status tells what came before.
    StopSignals::onStop(&session, &Session::stop);
    session.start();
    return QCoreApplication::exec();
}
