// Status texts of the echo and the resolution of address texts.

#include "TestMain.h"
#include "scan/modServerPing.h"

#include <QTest>
#include <QtEndian>

#include <optional>

class TestModServerPing : public QObject
{
    Q_OBJECT

private slots:
    void echoStatusText_data();
    void echoStatusText();
    void resolveAddress_data();
    void resolveAddress();
};

void TestModServerPing::echoStatusText_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("timed out, in full") << 11010 << "11010   [ ip req timed out ]";
    QTest::newRow("negative, in full") << -1 << "-1   [ unknown  msg returned ]";
    const QList<std::pair<int, const char *>> table = {
        {0, "ip success"}, {200, "ping timeout"}, {11001, "ip buf too_small"}, {11002, "ip dest net unreachable"},
        {11003, "ip dest host unreachable"}, {11004, "ip dest prot unreachable"},
        {11005, "ip dest port unreachable"}, {11006, "ip no resources"}, {11007, "ip bad option"},
        {11008, "ip hw_error"}, {11009, "ip packet too_big"}, {11011, "ip bad req"}, {11012, "ip bad route"},
        {11013, "ip ttl expired transit"}, {11014, "ip ttl expired reassem"}, {11015, "ip param_problem"},
        {11016, "ip source quench"}, {11017, "ip option too_big"}, {11018, "ip bad destination"},
        {11019, "ip addr deleted"}, {11020, "ip spec mtu change"}, {11021, "ip mtu_change"}, {11022, "ip unload"},
        {11023, "ip addr added"}, {11050, "ip general failure"}, {11255, "ip pending"},
        {5, "unknown  msg returned"}, {11024, "unknown  msg returned"}};
    for (const auto &[status, text] : table)
        QTest::addRow("status %d", status) << status << QStringLiteral("%1   [ %2 ]").arg(status).arg(text);
}

void TestModServerPing::echoStatusText()
{
    QFETCH(int, status);
    QFETCH(QString, text);
    QCOMPARE(modServerPing::EchoStatusText(status), text);
}

void TestModServerPing::resolveAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("atOnce");
    QTest::addColumn<bool>("resolved");
    QTest::addColumn<quint32>("address");
    QTest::newRow("dotted address at once") << "10.73.91.1" << true << true << 0x0A495B01u;
    QTest::newRow("short and octal forms as the system reads them") << "10.073.1" << true << true << 0x0A3B0001u;
    QTest::newRow("all bits set is an address too") << "255.255.255.255" << true << true << 0xFFFFFFFFu;
    QTest::newRow("host name through the resolver") << "localhost" << false << true << 0x7F000001u;
    // Refused before any lookup leaves the machine.
    QTest::newRow("empty part names no host") << "10.73..1" << false << false << 0u;
}

void TestModServerPing::resolveAddress()
{
    QFETCH(QString, text);
    QFETCH(bool, atOnce);
    QFETCH(bool, resolved);
    QFETCH(quint32, address);
    QObject context;
    bool done = false;
    std::optional<quint32> result;
    modServerPing::ResolveAddress(text, &context, [&](std::optional<quint32> value) {
        done = true;
        result = value;
    });
    QCOMPARE(done, atOnce);
    QTRY_VERIFY(done);
    QCOMPARE(result.has_value(), resolved);
    if (resolved)
        QCOMPARE(*result, qToBigEndian(address));
}

TESSRA_TEST(TestModServerPing)
#include "tst_ModServerPing.moc"
