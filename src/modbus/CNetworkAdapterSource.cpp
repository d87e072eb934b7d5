#include "modbus/CNetworkAdapterSource.h"

CNetworkAdapterSource::~CNetworkAdapterSource() = default;
