#pragma once

#include "scan/EchoReply.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

class IcmpSocket;
class QSocketNotifier;

// One echo request to each of a list of addresses, all sent at once, their
// answers collected within one time-out. Runs on the thread it lives on,
// driven by its socket's events and a timer; never waits.
class EchoRound : public QObject
{
    Q_OBJECT

public:
    explicit EchoRound(QObject *parent = nullptr);
    ~EchoRound() override;

    // Resolves the addresses, sends the requests and reports finished() once
    // every request has its answer or the time-out has passed since the last
    // one went out. Call once.
    void start(const QStringList &addresses);

    // One reply per address, in the order of the addresses. An address that
    // names no host is not pinged and ends as a bad destination; a request
    // the system refused to send ends with the status of the refusal.
    const QList<EchoReply> &replies() const { return m_replies; }
    // At least one address named no host.
    bool anyUnresolved() const { return m_anyUnresolved; }
    // The system let the program open no ICMP socket; every request that
    // was due ended as a general failure.
    bool permissionRefused() const { return m_permissionRefused; }

signals:
    // The host at addresses[index] answered; its reply is in replies() already.
    void answered(int index);
    void finished();

private:
    void addressResolved(int index, std::optional<quint32> address);
    void sendAll();
    void readAnswers();
    void finish();

    QList<std::optional<quint32>> m_destinations;
    QList<EchoReply> m_replies;
    // The requests still waiting for an answer: sequence number to address index.
    QHash<quint16, int> m_waiting;
    int m_resolutionsLeft = 0;
    bool m_anyUnresolved = false;
    bool m_permissionRefused = false;
    bool m_finished = false;
    std::unique_ptr<IcmpSocket> m_socket;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_timeout;
};
