#pragma once
// Modbus RTU, server side, on a pseudo-terminal it makes or on a given serial device. Requests
// are read in stages (unit, function code, then the fields that function has) and checked
// against their CRC; a frame that breaks off, or whose CRC is wrong, is dropped and the line
// is left to fall silent, as a device on a noisy line does.

#include "modbus/CFileDescriptor.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <thread>
#include <vector>

class CFaultPlan;
class CSimDevice;

class CSimRtuServer {
public:
    using Log = std::function<void(const QString&)>;

    // The CRC of the serial line, computed bit by bit (the client uses the standard's tables).
    static std::uint16_t Crc(std::span<const std::uint8_t> bytes);

    // A new pseudo-terminal pair; clients open Path(). The server keeps the client's side
    // open too, so that the pair survives every close of a client.
    static std::unique_ptr<CSimRtuServer> OnNewPty(CSimDevice& device, CFaultPlan& faults, Log log,
                                                   bool verbose);
    // An existing serial device (or one end of a socat pair) at `baud` bit/s, no parity.
    static std::unique_ptr<CSimRtuServer> OnTty(CSimDevice& device, CFaultPlan& faults,
                                                const QString& path, std::int32_t baud, Log log,
                                                bool verbose);
    ~CSimRtuServer();
    CSimRtuServer(const CSimRtuServer&) = delete;
    CSimRtuServer& operator=(const CSimRtuServer&) = delete;

    const QString& Path() const { return m_path; }

private:
    CSimRtuServer(CSimDevice& device, CFaultPlan& faults, Log log, bool verbose);

    void Run();
    // Reads one request frame; empty when the line fell silent in the middle of one, or when
    // the server stops (then `stopped` is set).
    std::vector<std::uint8_t> ReadRequest(bool& stopped);
    // Reads `count` more bytes into `frame`; the first may take `firstWait` (-1: for ever),
    // each further byte must follow within the gap of a frame.
    bool ReadBytes(std::vector<std::uint8_t>& frame, std::size_t count, int firstWait, bool& stopped);
    // Drops input until the line has been silent for a while.
    void DropUntilSilent();
    void Answer(const std::vector<std::uint8_t>& request);
    void Write(std::span<const std::uint8_t> bytes);
    bool Sleep(int milliseconds);

    CSimDevice& m_device;
    CFaultPlan& m_faults;
    Log m_log; // problems always, each request when verbose
    bool m_verbose;
    CFileDescriptor m_line;       // master side, or the device
    CFileDescriptor m_clientSide; // pseudo-terminal only: held open
    CFileDescriptor m_stop;
    QString m_path;
    std::thread m_thread;
};
