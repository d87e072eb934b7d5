#include "modbus/CSerialIO.h"

#include "app/CResourceDatabase.h"

#include "modbus/CMessageFormatter.h"
#include "modbus/CPrivateException.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace {

[[noreturn]] void ThrowSettingError()
{
    throw CPrivateException("MSG_CANNOT_COM_SETTING");
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

QString OpenFailureReason(int systemError)
{
    QString reason = CMessageFormatter(systemError).GetText().trimmed();
    // On Linux the usual cause is a user outside the group that owns serial devices.
    if (systemError == EACCES || systemError == EPERM) {
        const QString hint = CResourceDatabase::Instance().GetMessageText(u"serio.dialout");
        if (!hint.isEmpty())
            reason += u'\n' + hint;
    }
    return reason;
}

} // namespace

CSerialIO::~CSerialIO() = default;

void CSerialIO::Configure(const ComSettings& settings)
{
    m_settings = settings;
    OpenPort();
    SetLineSettings(m_settings.GetBaudRate(), m_settings.GetDataBits(), m_settings.GetParity(),
                    m_settings.GetStopBits());
}

void CSerialIO::OpenPort()
{
    Close();
    m_portPath = m_settings.COMPortName;
    const QByteArray path = QFile::encodeName(m_portPath);
    // Non-blocking, so that a port waiting for carrier cannot hang the open; reads poll anyway.
    CFileDescriptor port(::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!port)
        throw CPrivateException("serio.openerr", m_portPath, OpenFailureReason(errno));
    // TIOCEXCL refuses further opens by other programs, but not by root; the lock, taken right
    // after the open, refuses root too (and any program that locks the same way).
    if (::isatty(port.Get()) && ::ioctl(port.Get(), TIOCEXCL) != 0)
        throw CPrivateException("serio.openerr", m_portPath, OpenFailureReason(errno));
    if (::flock(port.Get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        throw CPrivateException("serio.openerr", m_portPath, OpenFailureReason(error));
    }
    m_port = std::move(port);
    m_lineLost = false;
}

void CSerialIO::SetLineSettings(std::int32_t baud, std::int32_t dataBits, std::int32_t parity,
                                std::int32_t stopBits)
{
    termios attributes{};
    if (!m_port || ::tcgetattr(m_port.Get(), &attributes) != 0)
        ThrowSettingError();
    ::cfmakeraw(&attributes);
    attributes.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | ISTRIP);
    attributes.c_cflag |= CLOCAL | CREAD;
    attributes.c_cflag &= ~(CRTSCTS | CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
    attributes.c_cflag |= dataBits == 8 ? CS8 : CS7;
    switch (parity) {
    case 0: break;
    case 1: attributes.c_cflag |= PARENB | PARODD; break;
    case 2: attributes.c_cflag |= PARENB; break;
    case 3: attributes.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: attributes.c_cflag |= PARENB | CMSPAR; break;
    default: ThrowSettingError();
    }
    if (stopBits == 2)
        attributes.c_cflag |= CSTOPB;
    else if (stopBits != 0)
        ThrowSettingError();
    // Reads never wait in the driver; the poll loop times them.
    attributes.c_cc[VMIN] = 0;
    attributes.c_cc[VTIME] = 0;
    const speed_t speed = SpeedCode(baud);
    if (speed == B0 || ::cfsetispeed(&attributes, speed) != 0 || ::cfsetospeed(&attributes, speed) != 0)
        ThrowSettingError();
    if (!ApplyAttributes(m_port.Get(), attributes))
        ThrowSettingError();

    // DTR and RTS off: the configuration cable takes its power or direction from them. A
    // pseudo-terminal has no modem lines and refuses the request, which is harmless.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(m_port.Get(), TIOCMBIC, &lines) != 0 && errno != EINVAL && errno != ENOTTY)
        ThrowSettingError();
}

bool CSerialIO::ApplyAttributes(int fd, const termios& attributes)
{
    if (::tcsetattr(fd, TCSANOW, &attributes) == 0)
        return true;
    // A pseudo-terminal keeps its settings between opens but drops PARENB, and then refuses a
    // request that differs from what it holds in PARENB alone with EINVAL. When everything but
    // the parity bit is in place the port is as a pseudo-terminal can be.
    if (errno != EINVAL || !(attributes.c_cflag & PARENB))
        return false;
    termios current{};
    if (::tcgetattr(fd, &current) != 0)
        return false;
    const tcflag_t ignored = PARENB;
    return (current.c_cflag & ~ignored) == (attributes.c_cflag & ~ignored) && current.c_iflag == attributes.c_iflag
        && current.c_oflag == attributes.c_oflag && current.c_lflag == attributes.c_lflag
        && ::cfgetispeed(&current) == ::cfgetispeed(&attributes) && ::cfgetospeed(&current) == ::cfgetospeed(&attributes)
        && current.c_cc[VMIN] == attributes.c_cc[VMIN] && current.c_cc[VTIME] == attributes.c_cc[VTIME];
}

void CSerialIO::SetReadTimeout(std::chrono::milliseconds total)
{
    m_timeouts.readTotal = total;
}

void CSerialIO::SetReadTimeouts(std::chrono::milliseconds total, std::chrono::milliseconds interval)
{
    m_timeouts.readTotal = total;
    m_timeouts.readInterval = interval;
}

std::size_t CSerialIO::Read(std::span<std::uint8_t> buffer)
{
    return Read(buffer, Clock::now() + m_timeouts.readTotal);
}

std::size_t CSerialIO::Read(std::span<std::uint8_t> buffer, Clock::time_point deadline)
{
    std::size_t got = 0;
    while (got < buffer.size() && m_port && !m_lineLost) {
        auto end = deadline;
        if (got > 0 && m_timeouts.readInterval > std::chrono::milliseconds::zero())
            end = std::min(end, Clock::now() + m_timeouts.readInterval);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        pollfd fd{m_port.Get(), POLLIN, 0};
        const int ready = ::poll(&fd, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (ready == 0)
            break;
        // Read what is there even on a hang-up: the last bytes before it are still valid.
        const ssize_t n = ::read(m_port.Get(), buffer.data() + got, buffer.size() - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        // End of file or EIO: the device (or the other end of a pseudo-terminal) has gone;
        // waiting for the time-out would gain nothing.
        m_lineLost = true;
    }
    return got;
}

std::size_t CSerialIO::Write(std::span<const std::uint8_t> buffer)
{
    const auto deadline = Clock::now() + m_timeouts.writeTotal;
    std::size_t written = 0;
    while (written < buffer.size() && m_port) {
        const ssize_t n = ::write(m_port.Get(), buffer.data() + written, buffer.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds::zero())
            break;
        pollfd fd{m_port.Get(), POLLOUT, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            break;
    }
    return written;
}

void CSerialIO::DiscardInput()
{
    if (!m_port)
        return;
    ::tcflush(m_port.Get(), TCIFLUSH);
    // Bytes still on their way through the driver are not flushed by tcflush; take them too,
    // within a bound so that a line that never falls silent cannot hold the request back.
    std::array<std::uint8_t, 512> scratch{};
    for (std::size_t discarded = 0; discarded < 64 * 1024;) {
        const ssize_t n = ::read(m_port.Get(), scratch.data(), scratch.size());
        if (n <= 0)
            break;
        discarded += static_cast<std::size_t>(n);
    }
}

void CSerialIO::Close()
{
    m_port.Reset();
}
