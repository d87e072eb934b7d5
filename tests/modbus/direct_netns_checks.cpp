// The client's half of the end-to-end test of "Ethernet (Direct)" in private network
// namespaces (direct_netns.sh builds them and starts this program in the PC's namespace): the
// real adapter list, real broadcasts to 255.255.255.255, the discovery of the simulated
// devices and a read and write of one device chosen by its node address.
//
// It broadcasts for real, so it first makes sure that it runs in the namespace the script
// made for it, and refuses to run anywhere else.
//
// The script passes what it built in the environment:
//   KORVA_NETNS            the name of the PC's namespace (/run/netns/<name>)
//   KORVA_NETNS_ADAPTERS   name=node=address+address…, one PC adapter per comma-separated item,
//                          in the system's order
//   KORVA_NETNS_DEVICES    node=address=model text=model code, one device per comma-separated item


#include "app/CResourceDatabase.h"
#include "connection/CDeviceDiscovery.h"
#include "connection/FindLocalNode.h"
#include "modbus/CDirectNetwork.h"
#include "modbus/CNetworkGuard.h"
#include "modbus/CModbusInterface.h"
#include "modbus/CSystemAdapterSource.h"
#include "modbus/DirectAnswer.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

namespace {

struct ExpectedDevice {
    QString node;
    QString address;
    QString modelText;
    std::uint16_t modelCode = 0;
};

QString Env(const char* name)
{
    return qEnvironmentVariable(name);
}

struct ExpectedAdapter {
    QString name;
    QString node;
    QStringList addresses;
};

std::vector<ExpectedAdapter> ExpectedAdapters()
{
    std::vector<ExpectedAdapter> adapters;
    for (const QString& item : Env("KORVA_NETNS_ADAPTERS").split(u',', Qt::SkipEmptyParts)) {
        const QStringList fields = item.split(u'=');
        if (fields.size() == 3)
            adapters.push_back({fields[0], fields[1], fields[2].split(u'+')});
    }
    return adapters;
}

QStringList PcAddresses()
{
    QStringList addresses;
    for (const ExpectedAdapter& adapter : ExpectedAdapters())
        addresses << adapter.addresses;
    return addresses;
}

std::vector<ExpectedDevice> ExpectedDevices()
{
    std::vector<ExpectedDevice> devices;
    for (const QString& item : Env("KORVA_NETNS_DEVICES").split(u',', Qt::SkipEmptyParts)) {
        const QStringList fields = item.split(u'=');
        if (fields.size() == 4)
            devices.push_back({fields[0], fields[1], fields[2], static_cast<std::uint16_t>(fields[3].toUInt())});
    }
    return devices;
}

ComSettings::NodeAddress ParseNode(const QString& text)
{
    ComSettings::NodeAddress node{};
    const QStringList parts = text.split(u':');
    for (std::size_t i = 0; i < node.size() && i < static_cast<std::size_t>(parts.size()); ++i)
        node[i] = static_cast<std::uint8_t>(parts[static_cast<qsizetype>(i)].toUInt(nullptr, 16));
    return node;
}

QString AddressText(const in_addr& address)
{
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return QString::fromLatin1(text);
}

// True only inside the namespace /run/netns/<name>, which is not the one of process 1.
bool InsideTheTestNamespace(const QString& name, QString& why)
{
    struct stat own{}, named{}, initial{};
    if (name.isEmpty() || name.contains(u'/')) {
        why = QStringLiteral("KORVA_NETNS does not name a namespace");
        return false;
    }
    const QByteArray path = QByteArray("/run/netns/") + name.toLocal8Bit();
    if (::stat("/proc/self/ns/net", &own) != 0 || ::stat(path.constData(), &named) != 0) {
        why = QStringLiteral("cannot compare this process's network namespace with %1").arg(QString::fromLocal8Bit(path));
        return false;
    }
    if (own.st_ino != named.st_ino || own.st_dev != named.st_dev) {
        why = QStringLiteral("this process is not in the network namespace %1").arg(name);
        return false;
    }
    if (::stat("/proc/1/ns/net", &initial) == 0 && initial.st_ino == own.st_ino && initial.st_dev == own.st_dev) {
        why = QStringLiteral("%1 is the host's own network namespace").arg(name);
        return false;
    }
    return true;
}

ComSettings DirectSettings(const ComSettings::NodeAddress& target)
{
    ComSettings settings;
    settings.Mode = ComSettings::ModeDirect;
    settings.OwnNode = CDeviceDiscovery::kFallbackNode;
    FindLocalNode(settings.OwnNode, CSystemAdapterSource());
    settings.TargetNode = target;
    return settings;
}

const ComSettings::NodeAddress kEveryDevice{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

} // namespace

// The namespace's Ethernet adapters, each with its addresses; loopback is not listed. The PC's
// node address is that of the first.
TEST(DirectInNamespaces, TheAdapterListHoldsTheNamespacesEthernetAdapters)
{
    const auto expected = ExpectedAdapters();
    const auto adapters = CSystemAdapterSource().ListAdapters();
    ASSERT_EQ(adapters.size(), expected.size());
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        SCOPED_TRACE(expected[i].name.toStdString());
        EXPECT_EQ(QString::fromStdString(adapters[i].name), expected[i].name);
        EXPECT_EQ(adapters[i].index, ::if_nametoindex(adapters[i].name.c_str()));
        EXPECT_EQ(CDeviceDiscovery::NodeText(adapters[i].node), expected[i].node);
        QStringList addresses;
        for (const in_addr& address : adapters[i].addresses)
            addresses << AddressText(address);
        EXPECT_EQ(addresses, expected[i].addresses);
    }

    ComSettings::NodeAddress node = CDeviceDiscovery::kFallbackNode;
    EXPECT_TRUE(FindLocalNode(node, CSystemAdapterSource()));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(CDeviceDiscovery::NodeText(node), expected[0].node);
}

// No route covers 255.255.255.255 here: a socket tied to no adapter cannot send to it at all,
// which is why every Direct datagram names its interface.
TEST(DirectInNamespaces, TheLimitedBroadcastHasNoRouteWithoutAnInterface)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in broadcast{};
    broadcast.sin_family = AF_INET;
    broadcast.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    broadcast.sin_port = htons(CDirectNetwork::kPort);
    const std::uint8_t probe[] = {0};
    const ssize_t sent = CNetworkGuard::SendTo(fd, probe, 0, reinterpret_cast<const sockaddr*>(&broadcast), sizeof broadcast);
    const int error = errno;
    ::close(fd);
    EXPECT_EQ(sent, -1);
    EXPECT_EQ(error, ENETUNREACH) << std::strerror(error);
}

// One request goes out once from each address of every adapter. Linux hands a copy of each
// broadcast back to this host's own sockets on the destination port, where it shows the PC's
// node as its source. Every device answers (a device on eth0 hears both of its addresses and
// is recorded once), from its own address, and no answer carries the PC's node.
TEST(DirectInNamespaces, EachAddressBroadcastsOnceAndTheOwnBroadcastComesBack)
{
    const int listener = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in port{};
    port.sin_family = AF_INET;
    port.sin_port = htons(CDirectNetwork::kPort);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&port), sizeof port), 0) << std::strerror(errno);

    const ComSettings settings = DirectSettings(kEveryDevice);
    CModbusInterface client;
    client.SetComSettings(settings);
    client.Open();
    std::vector<DirectAnswer> answers;
    EXPECT_TRUE(client.ReadHoldingRegistersFromAll(9600, 1, 64, answers));

    std::map<QString, int> fromEachAddress;
    for (;;) {
        pollfd fd{listener, POLLIN, 0};
        if (::poll(&fd, 1, 200) <= 0)
            break;
        std::uint8_t frame[64] = {};
        sockaddr_in sender{};
        socklen_t length = sizeof sender;
        const ssize_t n = ::recvfrom(listener, frame, sizeof frame, 0, reinterpret_cast<sockaddr*>(&sender), &length);
        ASSERT_GE(n, 18);
        EXPECT_TRUE(std::equal(settings.OwnNode.begin(), settings.OwnNode.end(), frame + 6)) << "source node of the own broadcast";
        ++fromEachAddress[AddressText(sender.sin_addr)];
    }
    ::close(listener);
    std::map<QString, int> expected;
    for (const QString& address : PcAddresses())
        expected[address] = 1;
    EXPECT_EQ(fromEachAddress, expected);

    std::set<QString> answered;
    for (const DirectAnswer& answer : answers) {
        EXPECT_NE(answer.senderNode, settings.OwnNode);
        EXPECT_EQ(answer.echoedNode, settings.OwnNode);
        answered.insert(CDeviceDiscovery::NodeText(answer.senderNode) + u' ' + AddressText(answer.sender.sin_addr));
    }
    std::set<QString> devices;
    for (const ExpectedDevice& device : ExpectedDevices())
        devices.insert(device.node + u' ' + device.address);
    EXPECT_EQ(answers.size(), devices.size());
    EXPECT_EQ(answered, devices);
}

// Scans as the connect dialog runs them, one after another, until every device is listed.
TEST(DirectInNamespaces, DiscoveryListsEveryDeviceWithItsNodeAddressAndModel)
{
    const auto devices = ExpectedDevices();
    ASSERT_EQ(devices.size(), 4u);
    CDeviceDiscovery discovery;
    std::set<QString> found;
    for (int scan = 0; scan < 8 && found.size() < devices.size(); ++scan)
        for (const DiscoveredDevice& device : discovery.Scan())
            found.insert(device.nodeText + u' ' + device.addressText + u' ' + device.modelName);
    std::set<QString> expected;
    for (const ExpectedDevice& device : devices)
        expected.insert(device.node + u' ' + device.address + u' ' + device.modelText);
    EXPECT_EQ(found, expected);
    EXPECT_EQ(discovery.Devices().Count(), devices.size());
}

// The device picked by its node address alone takes the write; the others keep their value.
TEST(DirectInNamespaces, AReadAndAWriteReachOnlyTheDeviceChosenByItsNode)
{
    const auto devices = ExpectedDevices();
    ASSERT_EQ(devices.size(), 4u);
    const ExpectedDevice& chosen = devices[1];
    CModbusInterface client;
    client.SetComSettings(DirectSettings(ParseNode(chosen.node)));
    client.Open();
    std::uint16_t code = 0;
    EXPECT_TRUE(client.ReadHoldingRegisters(9600, 1, std::span(&code, 1)));
    EXPECT_EQ(code, chosen.modelCode);
    const std::uint16_t one[] = {1};
    EXPECT_TRUE(client.WriteMultipleRegisters(1000, 1, one));
    client.Close();

    for (const ExpectedDevice& device : devices) {
        SCOPED_TRACE(device.node.toStdString());
        client.SetComSettings(DirectSettings(ParseNode(device.node)));
        client.Open();
        std::uint16_t mode = 0xFFFF;
        client.ReadHoldingRegisters(1000, 1, std::span(&mode, 1));
        EXPECT_EQ(mode, &device == &chosen ? 1 : 0);
        client.Close();
    }
}

int main(int argc, char** argv)
{
    QString why;
    if (!InsideTheTestNamespace(Env("KORVA_NETNS"), why)) {
        std::fprintf(stderr, "direct_netns_checks: refusing to run: %s. It broadcasts for real and runs only "
                             "inside the namespace that direct_netns.sh made for it.\n", why.toLocal8Bit().constData());
        return 1;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("KORVA"));
    ::testing::InitGoogleTest(&argc, argv);
    CResourceDatabase::Instance().LoadLanguageFile(
        QDir(QStringLiteral(KORVA_PROGRAM_DIR)).filePath(QStringLiteral("English.lng")));
    return RUN_ALL_TESTS();
}
