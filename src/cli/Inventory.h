#pragma once

#include "cli/Exchange.h"
#include "cli/Target.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>

class QtSocketComponent;

// The parameter request to many LAN adapters at the same time, each on a
// connection of its own from the installation's port, as the window calls one
// adapter. Hosts are asked as they turn up, so that the requests go out while a
// scan still waits for the silent addresses of its range.
class Inventory : public QObject
{
    Q_OBJECT

public:
    // What one host came to: the lines the window would log, and the reply that
    // ended the exchange (empty where none came).
    struct Host
    {
        QString address;
        QStringList lines;
        QByteArray reply;
        Exchange::End end = Exchange::End::Failed;
        bool finished = false;
    };

    // target gives the port, the eNum and the rest of the window's LAN fields.
    Inventory(const Target &target, const QHostAddress &listenAddress, QObject *parent = nullptr);
    ~Inventory() override;

    // Sends the parameter request to the LAN adapter at address.
    void ask(const QString &address);
    // Ends every exchange still under way without a reply.
    void abort();
    bool busy() const;
    // In the order the hosts were asked.
    QList<Host> hosts() const;

signals:
    void frameSent(const QString &address, const QByteArray &frame);
    void replyReceived(const QString &address, const QByteArray &reply);
    // One more host has its answer, or has none.
    void hostFinished();

private:
    struct Call;

    const Target m_target;
    const QHostAddress m_listenAddress;
    std::vector<std::unique_ptr<Call>> m_calls;
};
