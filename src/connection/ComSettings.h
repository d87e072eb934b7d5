#pragma once
// The communication settings record: transport, serial line, unit id, TCP server and the two
// hardware addresses of the Direct transport. Constructing a record loads the stored values
// ("ComSettings" of the user profile); only the connect step saves them.

#include <QString>

#include <array>
#include <cstdint>

struct ComSettings {
    using NodeAddress = std::array<std::uint8_t, 6>;

    enum : std::int32_t { ModeSerial = 0, ModeTcp = 1, ModeSlowSerial = 2, ModeDirect = 3 };

    ComSettings();

    std::int32_t Mode = ModeSerial;
    std::int32_t Address = 1;
    std::int32_t COMPort = 0;
    QString COMPortName;
    QString COMPortDisplayName;
    QString IRCOMPortName;
    QString IRCOMPortDisplayName;
    std::int32_t Baudrate = 5;
    std::int32_t Character = 1;
    std::int32_t Parity = 1;
    std::int32_t Stop = 0;
    QString ServerAddress = QStringLiteral("192.168.0.1");
    QString ServicePort = QStringLiteral("502");
    NodeAddress OwnNode{};    // never stored
    NodeAddress TargetNode{}; // never stored; all 0xFF for the discovery broadcast

    void LoadComSettings();
    void SaveComSettings() const;

    // 1200 .. 38400 for Baudrate 0..5, else 1200.
    std::int32_t GetBaudRate() const;
    // 7 or 8 for Character 0 or 1, else 7.
    std::int32_t GetDataBits() const;
    // 0 none, 1 odd, 2 even, 3 mark, 4 space.
    std::int32_t GetParity() const { return Parity; }
    // The system stop-bit code: 0 one stop bit, 2 two stop bits.
    std::int32_t GetStopBits() const;
    std::int32_t GetPortNumber() const { return COMPort + 1; }
};
