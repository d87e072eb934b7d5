#pragma once
// Modbus TCP, server side: listens on one IPv4 address, serves every connection on a thread of
// its own, and reads each request in stages (the MBAP header, then the length it announces).

#include "modbus/CFileDescriptor.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

class CFaultPlan;
class CSimDevice;

class CSimTcpServer {
public:
    using Log = std::function<void(const QString&)>;

    // Binds and listens; port 0 lets the system choose. Throws std::runtime_error.
    CSimTcpServer(CSimDevice& device, CFaultPlan& faults, const QString& host, std::uint16_t port, Log log,
                  bool verbose);
    // Stops and joins every thread.
    ~CSimTcpServer();
    CSimTcpServer(const CSimTcpServer&) = delete;
    CSimTcpServer& operator=(const CSimTcpServer&) = delete;

    // The address actually bound, as HOST:PORT.
    QString Address() const;

private:
    struct Connection {
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void AcceptLoop();
    void Serve(int fd);
    // Waits until `fd` is readable; false when the server stops or the wait fails.
    bool WaitReadable(int fd) const;
    bool ReadExact(int fd, std::uint8_t* buffer, std::size_t size) const;
    void ReapFinished();

    CSimDevice& m_device;
    CFaultPlan& m_faults;
    Log m_log; // problems always, each request when verbose
    bool m_verbose;
    CFileDescriptor m_listener;
    CFileDescriptor m_stop;
    QString m_address;
    std::mutex m_guard;
    std::list<Connection> m_connections;
    std::thread m_acceptThread;
};
