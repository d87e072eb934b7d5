#pragma once
// A device that one discovery scan added to the device table, with the three texts of its row
// in the connect dialog's device list.

#include "connection/DeviceSlot.h"

#include <QString>

#include <cstddef>

struct DiscoveredDevice {
    std::size_t slot = 0;  // the table slot, and the row the device is shown in
    DeviceSlot device;
    QString nodeText;      // "00:1b:2c:3d:4e:5f"
    QString addressText;   // "192.168.0.20"
    QString modelName;     // the device's model text
};
