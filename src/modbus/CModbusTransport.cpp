#include "modbus/CModbusTransport.h"

CModbusTransport::~CModbusTransport() = default;

bool CModbusTransport::IsWatchdog(const void*) const
{
    return false;
}
