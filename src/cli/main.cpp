// tessra: the installation from the command line, on the window's functional core.
#include "cli/CommandLine.h"
#include "cli/Session.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// SIGINT and SIGTERM end a polling through a pipe, so that the output is whole
// and the status tells what came before.
int stopPipe[2] = {-1, -1};

void stopSignalled(int)
{
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &byte, 1);
}

void stopOnSignals(Session &session)
{
    if (::pipe(stopPipe) != 0)
        return; // the default action still ends the program
    auto *notifier = new QSocketNotifier(stopPipe[0], QSocketNotifier::Read, &session);
    QObject::connect(notifier, &QSocketNotifier::activated, &session, &Session::stop);
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
    stopOnSignals(session);
    session.start();
    return QCoreApplication::exec();
}
