#pragma once
// What a transport hands to the client's response checks: the answer with the transport's
// framing removed, and how the transport judged the frame.

#include <cstdint>
#include <vector>

struct ModbusReply {
    enum class Outcome {
        NoAnswer,   // nothing usable came (silence, closed connection, cancelled, empty frame)
        Complete,   // a whole frame as its own header or function code announced it
        Incomplete, // a frame that broke off or whose framing cannot be followed
        CrcError,   // a whole RTU frame whose CRC does not match
    };

    Outcome outcome = Outcome::NoAnswer;
    // From the frame's header on Modbus TCP; 0 on the serial line, which has none.
    std::uint16_t transactionId = 0;
    // Unit identifier, function code and data.
    std::vector<std::uint8_t> payload;
};
