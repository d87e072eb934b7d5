#pragma once
// The wired LAN model: tag, IPv4 settings and the Modbus TCP port and time-outs.

#include "model/CDevInterface.h"

class CDevVK20E final : public CDevInterface {
public:
    CDevVK20E();
};
