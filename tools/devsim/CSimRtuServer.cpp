#include "CSimRtuServer.h"

#include "CFaultPlan.h"
#include "CSimDevice.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

// Bytes of one frame follow each other closely; a longer gap ends the frame.
constexpr int kFrameGapMs = 50;
const std::uint8_t kGarbage[] = {0x00, 0xFF, 0x7E};

bool MakeRaw(int fd, speed_t speed)
{
    termios attributes{};
    if (::tcgetattr(fd, &attributes) != 0)
        return false;
    ::cfmakeraw(&attributes);
    attributes.c_cflag |= CLOCAL | CREAD;
    attributes.c_cc[VMIN] = 1;
    attributes.c_cc[VTIME] = 0;
    ::cfsetispeed(&attributes, speed);
    ::cfsetospeed(&attributes, speed);
    return ::tcsetattr(fd, TCSANOW, &attributes) == 0;
}

speed_t SpeedCode(std::int32_t baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

} // namespace

std::uint16_t CSimRtuServer::Crc(std::span<const std::uint8_t> bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

CSimRtuServer::CSimRtuServer(CSimDevice& device, CFaultPlan& faults, Log log, bool verbose)
    : m_device(device), m_faults(faults), m_log(std::move(log)), m_verbose(verbose), m_stop(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

std::unique_ptr<CSimRtuServer> CSimRtuServer::OnNewPty(CSimDevice& device, CFaultPlan& faults, Log log,
                                                       bool verbose)
{
    std::unique_ptr<CSimRtuServer> server(new CSimRtuServer(device, faults, std::move(log), verbose));
    server->m_line.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    std::array<char, 128> name{};
    if (!server->m_line || ::grantpt(server->m_line.Get()) != 0 || ::unlockpt(server->m_line.Get()) != 0
        || ::ptsname_r(server->m_line.Get(), name.data(), name.size()) != 0)
        throw std::runtime_error(std::string("--pty: cannot make a pseudo-terminal: ") + std::strerror(errno));
    server->m_path = QString::fromLocal8Bit(name.data());
    // Raw before any client opens it: a cooked terminal would echo the requests back.
    server->m_clientSide.Reset(::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!server->m_clientSide || !MakeRaw(server->m_clientSide.Get(), B38400))
        throw std::runtime_error(std::string("--pty: cannot set up ") + name.data());
    server->m_thread = std::thread([s = server.get()] { s->Run(); });
    return server;
}

std::unique_ptr<CSimRtuServer> CSimRtuServer::OnTty(CSimDevice& device, CFaultPlan& faults, const QString& path,
                                                    std::int32_t baud, Log log, bool verbose)
{
    const speed_t speed = SpeedCode(baud);
    if (speed == B0)
        throw std::runtime_error("--baud: " + std::to_string(baud) + " bit/s is not supported");
    std::unique_ptr<CSimRtuServer> server(new CSimRtuServer(device, faults, std::move(log), verbose));
    server->m_path = path;
    server->m_line.Reset(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!server->m_line)
        throw std::runtime_error("--tty: cannot open " + path.toStdString() + ": " + std::strerror(errno));
    if (!MakeRaw(server->m_line.Get(), speed))
        throw std::runtime_error("--tty: cannot set up " + path.toStdString() + ": " + std::strerror(errno));
    server->m_thread = std::thread([s = server.get()] { s->Run(); });
    return server;
}

CSimRtuServer::~CSimRtuServer()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(m_stop.Get(), &one, sizeof one);
    if (m_thread.joinable())
        m_thread.join();
}

bool CSimRtuServer::Sleep(int milliseconds)
{
    pollfd stop{m_stop.Get(), POLLIN, 0};
    return ::poll(&stop, 1, milliseconds) == 0;
}

bool CSimRtuServer::ReadBytes(std::vector<std::uint8_t>& frame, std::size_t count, int firstWait, bool& stopped)
{
    for (std::size_t i = 0; i < count; ++i) {
        const int wait = i == 0 ? firstWait : kFrameGapMs;
        std::array<pollfd, 2> fds{{{m_line.Get(), POLLIN, 0}, {m_stop.Get(), POLLIN, 0}}};
        const int ready = ::poll(fds.data(), fds.size(), wait);
        if (ready < 0 && errno == EINTR) {
            --i;
            continue;
        }
        if (fds[1].revents != 0) {
            stopped = true;
            return false;
        }
        if (ready <= 0)
            return false;
        if (!(fds[0].revents & POLLIN)) {
            // The other side is gone for now (a device without a reader): wait, do not spin.
            Sleep(kFrameGapMs);
            return false;
        }
        std::uint8_t byte = 0;
        if (::read(m_line.Get(), &byte, 1) != 1) {
            Sleep(kFrameGapMs);
            return false;
        }
        frame.push_back(byte);
    }
    return true;
}

void CSimRtuServer::DropUntilSilent()
{
    std::vector<std::uint8_t> scratch;
    bool stopped = false;
    while (ReadBytes(scratch, 1, kFrameGapMs, stopped))
        scratch.clear();
}

std::vector<std::uint8_t> CSimRtuServer::ReadRequest(bool& stopped)
{
    std::vector<std::uint8_t> frame;
    if (!ReadBytes(frame, 1, -1, stopped) || !ReadBytes(frame, 1, kFrameGapMs, stopped))
        return {};
    constexpr std::size_t kCrc = 2;
    switch (frame[1]) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
        if (!ReadBytes(frame, 4 + kCrc, kFrameGapMs, stopped))
            return {};
        break;
    case 0x0F:
    case 0x10:
        if (!ReadBytes(frame, 5, kFrameGapMs, stopped) || !ReadBytes(frame, frame[6] + kCrc, kFrameGapMs, stopped))
            return {};
        break;
    default:
        // Unknown layout: the rest of this frame cannot be told from the next one.
        m_log(QStringLiteral("rtu: unknown function %1, dropping input").arg(frame[1]));
        DropUntilSilent();
        return {};
    }
    if (Crc(frame) != 0) {
        m_log(QStringLiteral("rtu: request with a wrong CRC, dropped"));
        DropUntilSilent();
        return {};
    }
    frame.resize(frame.size() - kCrc);
    return frame;
}

void CSimRtuServer::Run()
{
    for (;;) {
        bool stopped = false;
        const std::vector<std::uint8_t> request = ReadRequest(stopped);
        if (stopped)
            return;
        if (!request.empty())
            Answer(request);
    }
}

void CSimRtuServer::Answer(const std::vector<std::uint8_t>& request)
{
    if (m_verbose)
        m_log(QStringLiteral("rtu: request %1").arg(QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(request.data()), qsizetype(request.size())).toHex(' '))));
    const CFaultPlan::Effects effects = m_faults.NextRequest();
    const std::uint8_t unit = request[0];
    if (effects.silence || effects.close)
        return;
    std::vector<std::uint8_t> pdu;
    if (effects.exception)
        pdu = {static_cast<std::uint8_t>(request[1] | 0x80), *effects.exception};
    else
        pdu = m_device.Process(std::span(request).subspan(1));
    // Unit 0 is a broadcast: done, never answered.
    if (unit == 0)
        return;
    if (effects.shortAnswer && pdu.size() > 1)
        pdu.pop_back();

    std::vector<std::uint8_t> frame{unit};
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    const std::uint16_t crc = Crc(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    if (effects.badCrc)
        frame.back() ^= 0x5A;
    if (effects.garbage)
        frame.insert(frame.begin(), std::begin(kGarbage), std::end(kGarbage));

    if (effects.delay.count() > 0 && !Sleep(static_cast<int>(effects.delay.count())))
        return;
    if (effects.split) {
        const std::size_t half = frame.size() / 2;
        Write(std::span(frame).first(half));
        if (!Sleep(static_cast<int>(effects.split->count())))
            return;
        Write(std::span(frame).subspan(half));
    } else {
        Write(frame);
    }
}

void CSimRtuServer::Write(std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_line.Get(), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
}
