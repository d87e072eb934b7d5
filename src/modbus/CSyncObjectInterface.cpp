#include "modbus/CSyncObjectInterface.h"

CSyncObjectInterface::~CSyncObjectInterface() = default;
