// The list of application servers a client tries in order: what the configuration may write,
// what it refuses, and that the first server that answers is the one taken.

#include "ServerList.h"

#include <QtTest>

using Kav::ServerAddress;
using Kav::ServerList;

class TestServerList : public QObject
{
    Q_OBJECT

private slots:
    void entriesAreReadWithTheirPorts_data();
    void entriesAreReadWithTheirPorts();
    void badEntriesRefuseTheWholeList_data();
    void badEntriesRefuseTheWholeList();
    void connectStopsAtTheFirstServerThatAnswers();
};

constexpr int kDefaultPort = 8211;

void TestServerList::entriesAreReadWithTheirPorts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written"); // toString(): every entry with its port
    QTest::addRow("one host takes the configured port") << "appserver"
                                                        << "appserver:8211";
    QTest::addRow("one host and port") << "10.0.0.5:9000"
                                       << "10.0.0.5:9000";
    QTest::addRow("two servers in order") << "b:8300,a:8301"
                                          << "b:8300,a:8301";
    QTest::addRow("blanks around entries") << " a:1 ,  b "
                                           << "a:1,b:8211";
    QTest::addRow("bracketed IPv6 with port") << "[::1]:8300,127.0.0.1:8301"
                                              << "[::1]:8300,127.0.0.1:8301";
    QTest::addRow("bare IPv6 takes the configured port") << "::1"
                                                         << "[::1]:8211";
    QTest::addRow("bracketed IPv6 without port") << "[fe80::1]"
                                                 << "[fe80::1]:8211";
    QTest::addRow("highest port") << "h:65535"
                                  << "h:65535";
}

void TestServerList::entriesAreReadWithTheirPorts()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    const std::optional<ServerList> list = ServerList::parse(text, kDefaultPort);
    QVERIFY(list);
    QCOMPARE(list->toString(), written);
    // What it writes reads back as the same list.
    QCOMPARE(ServerList::parse(written, 1)->toString(), written);
}

void TestServerList::badEntriesRefuseTheWholeList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("defaultPort");
    QTest::addRow("nothing") << "" << kDefaultPort;
    QTest::addRow("an empty entry between two") << "a:1,,b:2" << kDefaultPort;
    QTest::addRow("a trailing comma") << "a:1," << kDefaultPort;
    QTest::addRow("port zero") << "a:0" << kDefaultPort;
    QTest::addRow("port past 65535") << "a:1,b:65536" << kDefaultPort;
    QTest::addRow("port not a number") << "a:http" << kDefaultPort;
    QTest::addRow("colon without port") << "a:" << kDefaultPort;
    QTest::addRow("no port anywhere") << "a" << 0;
    QTest::addRow("unclosed bracket") << "[::1:8300" << kDefaultPort;
    QTest::addRow("text after the bracket") << "[::1]x8300" << kDefaultPort;
    QTest::addRow("port only") << ":8300" << kDefaultPort;
    QTest::addRow("blank inside a host") << "app server:8300" << kDefaultPort;
}

void TestServerList::badEntriesRefuseTheWholeList()
{
    QFETCH(QString, text);
    QFETCH(int, defaultPort);
    QVERIFY(!ServerList::parse(text, defaultPort));
}

void TestServerList::connectStopsAtTheFirstServerThatAnswers()
{
    const ServerList list = *ServerList::parse("down:1,up:2,later:3", kDefaultPort);
    QStringList tried;
    const auto upOnly = [&](const ServerAddress& address) {
        tried.append(address.toString());
        return address.host == "up" ? QString() : QStringLiteral("%1 recusou").arg(address.toString());
    };
    QCOMPARE(list.connectFirst(upOnly), QString());
    QCOMPARE(tried, QStringList({"down:1", "up:2"}));

    // None answers: every reason is kept, in the order tried.
    const QString reasons =
        list.connectFirst([](const ServerAddress& address) { return address.toString() + " recusou"; });
    QCOMPARE(reasons, QStringLiteral("down:1 recusou\nup:2 recusou\nlater:3 recusou"));
}

QTEST_MAIN(TestServerList)
#include "tst_serverlist.moc"
