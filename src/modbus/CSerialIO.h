#pragma once
// Owns one serial port: exclusive open, raw 8-bit line settings, and reads that return as soon
// as the requested bytes have come or the read's total time has passed.
//
// The time-outs are kept here and applied by the read itself (poll), not by the terminal
// driver: VTIME counts tenths of a second and restarts with every byte, which cannot express
// "this many milliseconds for the whole read".

#include "connection/ComSettings.h"
#include "modbus/CFileDescriptor.h"

#include <QString>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

class CSerialIO {
public:
    using Clock = std::chrono::steady_clock;

    struct Timeouts {
        std::chrono::milliseconds readInterval{1000}; // longest gap between two bytes; 0 = none
        std::chrono::milliseconds readTotal{1000};    // the whole read
        std::chrono::milliseconds writeTotal{1000};   // the whole write
    };

    CSerialIO() = default;
    virtual ~CSerialIO();
    CSerialIO(const CSerialIO&) = delete;
    CSerialIO& operator=(const CSerialIO&) = delete;

    // Copies the settings, opens COMPortName and applies the line settings they give.
    void Configure(const ComSettings& settings);
    // Opens COMPortName (closing a port that is open) for exclusive use. Throws
    // "serio.openerr" with the path and the system's reason.
    void OpenPort();
    // Baud rate in bit/s, 7 or 8 data bits, the parity code (0 none, 1 odd, 2 even, 3 mark,
    // 4 space) and the stop-bit code (0 one, 2 two). Throws "MSG_CANNOT_COM_SETTING".
    void SetLineSettings(std::int32_t baud, std::int32_t dataBits, std::int32_t parity,
                         std::int32_t stopBits);
    void SetReadTimeout(std::chrono::milliseconds total);
    void SetReadTimeouts(std::chrono::milliseconds total, std::chrono::milliseconds interval);

    // Reads up to buffer.size() bytes within the read time-outs; returns the count read.
    std::size_t Read(std::span<std::uint8_t> buffer);
    // The same with an explicit end, for a frame read in several steps under one time-out.
    std::size_t Read(std::span<std::uint8_t> buffer, Clock::time_point deadline);
    // Writes within the write time-out; returns the count written.
    std::size_t Write(std::span<const std::uint8_t> buffer);
    // Throws away everything that waits in the input.
    void DiscardInput();
    void Close();

    bool IsOpen() const { return m_port.IsValid(); }
    const QString& GetPortPath() const { return m_portPath; }
    const Timeouts& GetTimeouts() const { return m_timeouts; }
    // True once the device has gone (hang-up or I/O error): reads then end at once.
    bool IsLineLost() const { return m_lineLost; }

private:
    bool ApplyAttributes(int fd, const struct termios& attributes);

    CFileDescriptor m_port;
    Timeouts m_timeouts;
    QString m_portPath;
    ComSettings m_settings;
    bool m_lineLost = false;
};
