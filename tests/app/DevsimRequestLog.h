#pragma once
// The requests a korva-devsim started with --verbose has served, read back from its report
// lines ("korva-devsim: tcp: request 01 10 03 e8 00 01 02 00 01"), so that a test can check
// what reached the device and in which order.

#include "../modbus/DevsimProcess.h"

#include <QRegularExpression>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace app_test {

struct DevsimRequest {
    std::uint8_t function = 0;
    std::uint16_t address = 0;
    // Function 16: the registers written.
    std::vector<std::uint16_t> words;

    bool IsWrite() const { return function == 5 || function == 6 || function == 15 || function == 16; }
};

// Everything the simulator has reported up to now. A client's transaction has ended only after
// the simulator reported its request, so once the client is done the report is complete.
inline QString DrainOutput(modbus_test::DevsimProcess& devsim)
{
    QString output = devsim.Output();
    for (QString again = devsim.Output(); again != output; again = devsim.Output())
        output = again;
    return output;
}

inline std::vector<DevsimRequest> ServedRequests(modbus_test::DevsimProcess& devsim)
{
    static const QRegularExpression line(QStringLiteral("(?:tcp|rtu): request ((?:[0-9a-f]{2} ?)+)$"),
                                         QRegularExpression::MultilineOption);
    std::vector<DevsimRequest> requests;
    for (auto it = line.globalMatch(DrainOutput(devsim)); it.hasNext();) {
        std::vector<std::uint8_t> bytes;
        for (const QString& byte : it.next().captured(1).split(u' ', Qt::SkipEmptyParts))
            bytes.push_back(static_cast<std::uint8_t>(byte.toUInt(nullptr, 16)));
        // Reports start with the unit identifier; then function, address.
        if (bytes.size() < 4)
            continue;
        DevsimRequest request;
        request.function = bytes[1];
        request.address = static_cast<std::uint16_t>((bytes[2] << 8) | bytes[3]);
        // The byte count bounds the data: an RTU report goes on with the CRC.
        if (request.function == 16 && bytes.size() > 7)
            for (std::size_t i = 7; i + 1 < bytes.size() && i < 7u + bytes[6]; i += 2)
                request.words.push_back(static_cast<std::uint16_t>((bytes[i] << 8) | bytes[i + 1]));
        requests.push_back(std::move(request));
    }
    return requests;
}

inline std::vector<DevsimRequest> WritesAmong(const std::vector<DevsimRequest>& requests)
{
    std::vector<DevsimRequest> writes;
    for (const DevsimRequest& request : requests)
        if (request.IsWrite())
            writes.push_back(request);
    return writes;
}

} // namespace app_test
