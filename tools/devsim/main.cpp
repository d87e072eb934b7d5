// korva-devsim: one or more simulated field devices on Modbus TCP, Modbus RTU and the
// "Ethernet (Direct)" broadcast transport, for trying KORVA without hardware and for testing
// it. It runs until SIGTERM or SIGINT and then exits 0.

#include "CFaultPlan.h"
#include "CSimDevice.h"
#include "CSimDirectServer.h"
#include "CSimRtuServer.h"
#include "CSimTcpServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <csignal>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

const char* const kDescription = R"text(Simulated KORVA field devices on Modbus TCP, Modbus RTU and Ethernet (Direct).

The device answers Modbus functions 1 to 6, 15 and 16 for any unit identifier. Its holding
registers hold the register map of its model (from --code and --firmware), every parameter at
its default value, plus the identity: 9600 model code, 9601-9616 model text (UTF-8),
9617-9619 firmware version, 1000 write-mode flag, 1100 wireless mode, 25502 status. Coils and
discrete inputs start off.

Once it serves, it prints one line per transport on standard output:
  tcp: HOST:PORT      the address to connect to (with --tcp HOST:0 the port chosen)
  pty: PATH           the serial port to open (with --pty)
  direct: HOST:PORT   where the devices hear Direct frames (with --direct)
and then runs until SIGTERM or SIGINT.

Faults (--fault, repeatable) make answers go wrong on purpose:
  KIND[:VALUE][@N | %N]
    silence          no answer at all
    delay:MS         the answer comes MS milliseconds late
    txid             the answer carries the previous transaction identifier (TCP)
    exception:CODE   an exception answer with CODE
    short            the answer's last byte is missing
    badcrc           the answer's CRC is wrong (RTU)
    split[:MS]       the answer goes out in two pieces, MS ms apart (default 20)
    close            the connection is closed instead of answering (TCP)
    garbage          three stray bytes come before the answer (Direct: a datagram of them)
    otherpc          the answer is addressed to another PC's node (Direct)
    oversize         the answer carries 16 bytes more than its data (Direct)
  @N: only the N-th request; %N: every N-th request; neither: every request.
  Requests are counted from 1 over all transports.

Example: try KORVA on this machine with one device on TCP port 5020:
  korva-devsim --tcp 127.0.0.1:5020 --code 6014 --model-text VK20C-4RYGB
then choose "Ethernet (TCP/IP)", address 127.0.0.1, port 5020, in KORVA's connect dialog.

Direct: --direct PORT serves on every address of the machine (broadcasts reach it only
there); --direct 127.0.0.1:0 stays on loopback. With --devices N, N devices answer on the
same port, with node addresses from --mac on (the last byte counting up), each with a register
store of its own; TCP and RTU serve the first. Every device answers a frame addressed to its
node or to FF:FF:FF:FF:FF:FF.)text";

void Log(const QString& line)
{
    std::fprintf(stderr, "korva-devsim: %s\n", line.toLocal8Bit().constData());
}

struct Options {
    CSimDevice::Identity identity;
    QString tcp;
    bool pty = false;
    QString tty;
    std::int32_t baud = 38400;
    QString direct;
    CSimDirectServer::Node mac{0x02, 0x4B, 0x56, 0x00, 0x00, 0x01};
    int devices = 1;
    CFaultPlan faults;
    bool verbose = false;
};

// Throws std::runtime_error with a message for the user.
void Parse(const QCoreApplication& app, Options& options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.addHelpOption();
    const QCommandLineOption tcp(QStringLiteral("tcp"), QStringLiteral("Serve Modbus TCP on HOST:PORT (IPv4; port 0 picks a free one)."), QStringLiteral("HOST:PORT"));
    const QCommandLineOption pty(QStringLiteral("pty"), QStringLiteral("Serve Modbus RTU on a new pseudo-terminal; its path is printed."));
    const QCommandLineOption tty(QStringLiteral("tty"), QStringLiteral("Serve Modbus RTU on an existing serial device, 8 data bits, no parity."), QStringLiteral("PATH"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Bit rate of --tty (default 38400)."), QStringLiteral("N"), QStringLiteral("38400"));
    const QCommandLineOption code(QStringLiteral("code"), QStringLiteral("Model code in register 9600 (default 6001)."), QStringLiteral("N"), QStringLiteral("6001"));
    const QCommandLineOption firmware(QStringLiteral("firmware"), QStringLiteral("Firmware version in registers 9617-9618 (default 1.0)."), QStringLiteral("MAJOR.MINOR"), QStringLiteral("1.0"));
    const QCommandLineOption modelText(QStringLiteral("model-text"), QStringLiteral("Model text with lamp letters in 9601-9616, such as VK20C-4RYGB (default: the model's name with -4RYGB)."), QStringLiteral("TEXT"));
    const QCommandLineOption direct(QStringLiteral("direct"), QStringLiteral("Serve Ethernet (Direct) on UDP [HOST:]PORT (default host 0.0.0.0; port 0 picks a free one)."), QStringLiteral("[HOST:]PORT"));
    const QCommandLineOption mac(QStringLiteral("mac"), QStringLiteral("Node (MAC) address of the first Direct device (default 02:4b:56:00:00:01)."), QStringLiteral("MAC"));
    const QCommandLineOption devices(QStringLiteral("devices"), QStringLiteral("Number of Direct devices, 1 to 64 (default 1)."), QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption fault(QStringLiteral("fault"), QStringLiteral("Make answers go wrong; see above. Repeatable."), QStringLiteral("FAULT"));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Report every request on standard error."));
    parser.addOptions({tcp, pty, tty, baud, direct, mac, devices, code, firmware, modelText, fault, verbose});
    parser.process(app);

    bool ok = false;
    const uint modelCode = parser.value(code).toUInt(&ok);
    if (!ok || modelCode > 0xFFFF)
        throw std::runtime_error("--code: a number from 0 to 65535");
    options.identity.modelCode = static_cast<std::uint16_t>(modelCode);
    const auto version = QRegularExpression(QStringLiteral("^(\\d+)\\.(\\d+)$")).match(parser.value(firmware));
    if (!version.hasMatch() || version.captured(1).toUInt() > 0xFFFF || version.captured(2).toUInt() > 0xFFFF)
        throw std::runtime_error("--firmware: MAJOR.MINOR, as in 1.0");
    options.identity.firmwareMajor = static_cast<std::uint16_t>(version.captured(1).toUInt());
    options.identity.firmwareMinor = static_cast<std::uint16_t>(version.captured(2).toUInt());
    options.identity.modelText = parser.value(modelText);
    if (options.identity.modelText.toUtf8().size() > 32)
        throw std::runtime_error("--model-text: at most 32 bytes of UTF-8");
    options.tcp = parser.value(tcp);
    options.pty = parser.isSet(pty);
    options.tty = parser.value(tty);
    options.baud = parser.value(baud).toInt(&ok);
    if (!ok)
        throw std::runtime_error("--baud: a number");
    options.direct = parser.value(direct);
    if (parser.isSet(mac) && !CSimDirectServer::ParseNode(parser.value(mac), options.mac))
        throw std::runtime_error("--mac: six bytes in hexadecimal, as in 02:4b:56:00:00:01");
    options.devices = parser.value(devices).toInt(&ok);
    if (!ok || options.devices < 1 || options.devices > 64)
        throw std::runtime_error("--devices: a number from 1 to 64");
    options.verbose = parser.isSet(verbose);
    for (const QString& text : parser.values(fault)) {
        QString error;
        const auto parsed = CFaultPlan::Parse(text, &error);
        if (!parsed)
            throw std::runtime_error(error.toStdString());
        options.faults.Add(*parsed);
    }
    if (options.tcp.isEmpty() && !options.pty && options.tty.isEmpty() && options.direct.isEmpty())
        throw std::runtime_error("nothing to serve: give --tcp, --pty, --tty or --direct (see --help)");
}

} // namespace

int main(int argc, char** argv)
{
    // The stop signals are taken by sigwait below, never by a handler: every thread that
    // starts from here on inherits the blocked set.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korva-devsim"));
    Options options;
    try {
        Parse(app, options);
    } catch (const std::exception& error) {
        Log(QString::fromUtf8(error.what()));
        return 2;
    }

    // The first device also serves TCP and RTU; the others answer Direct frames only.
    std::vector<std::unique_ptr<CSimDevice>> devices;
    for (int i = 0; i < options.devices; ++i)
        devices.push_back(std::make_unique<CSimDevice>(options.identity));
    CSimDevice& device = *devices.front();
    if (!device.HasModel())
        Log(QStringLiteral("no model has code %1 with firmware %2.%3: serving the identity registers only")
                .arg(options.identity.modelCode).arg(options.identity.firmwareMajor).arg(options.identity.firmwareMinor));

    std::unique_ptr<CSimTcpServer> tcpServer;
    std::unique_ptr<CSimRtuServer> ptyServer;
    std::unique_ptr<CSimRtuServer> ttyServer;
    std::unique_ptr<CSimDirectServer> directServer;
    try {
        if (!options.tcp.isEmpty()) {
            const qsizetype colon = options.tcp.lastIndexOf(u':');
            bool ok = false;
            const uint port = options.tcp.mid(colon + 1).toUInt(&ok);
            if (colon <= 0 || !ok || port > 0xFFFF)
                throw std::runtime_error("--tcp: HOST:PORT, as in 127.0.0.1:5020");
            tcpServer = std::make_unique<CSimTcpServer>(device, options.faults, options.tcp.left(colon),
                                                        static_cast<std::uint16_t>(port), Log, options.verbose);
        }
        if (options.pty)
            ptyServer = CSimRtuServer::OnNewPty(device, options.faults, Log, options.verbose);
        if (!options.tty.isEmpty())
            ttyServer = CSimRtuServer::OnTty(device, options.faults, options.tty, options.baud, Log, options.verbose);
        if (!options.direct.isEmpty()) {
            const qsizetype colon = options.direct.lastIndexOf(u':');
            bool ok = false;
            const uint port = options.direct.mid(colon + 1).toUInt(&ok);
            if (colon == 0 || !ok || port > 0xFFFF)
                throw std::runtime_error("--direct: [HOST:]PORT, as in 502 or 127.0.0.1:0");
            const QString host = colon < 0 ? QStringLiteral("0.0.0.0") : options.direct.left(colon);
            std::vector<CSimDirectServer::Member> members;
            for (std::size_t i = 0; i < devices.size(); ++i)
                members.push_back({CSimDirectServer::NextNode(options.mac, static_cast<unsigned>(i)), devices[i].get()});
            directServer = std::make_unique<CSimDirectServer>(std::move(members), options.faults, host,
                                                              static_cast<std::uint16_t>(port), Log, options.verbose);
        }
    } catch (const std::exception& error) {
        Log(QString::fromUtf8(error.what()));
        return 1;
    }

    const auto& identity = device.GetIdentity();
    std::printf("device: code %u firmware %u.%u model %s text %s\n", identity.modelCode, identity.firmwareMajor,
                identity.firmwareMinor, device.HasModel() ? device.ModelName().toUtf8().constData() : "(none)",
                identity.modelText.toUtf8().constData());
    if (tcpServer)
        std::printf("tcp: %s\n", tcpServer->Address().toUtf8().constData());
    if (ptyServer)
        std::printf("pty: %s\n", ptyServer->Path().toUtf8().constData());
    if (ttyServer)
        std::printf("tty: %s\n", ttyServer->Path().toUtf8().constData());
    if (directServer) {
        for (std::size_t i = 0; i < devices.size(); ++i)
            std::printf("node: %s\n", CSimDirectServer::NodeText(CSimDirectServer::NextNode(options.mac, static_cast<unsigned>(i))).toUtf8().constData());
        std::printf("direct: %s\n", directServer->Address().toUtf8().constData());
    }
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    return 0;
}
