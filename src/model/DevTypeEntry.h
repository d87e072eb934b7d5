#pragma once
// One row of the device type registry: which model classes serve a model code within a range
// of firmware keys.

#include <cstdint>
#include <memory>

class CDevInterface;

using DevModelCreator = std::unique_ptr<CDevInterface> (*)();

struct DevTypeEntry {
    const char16_t* modelName;     // language section, also the source of the display name
    std::uint16_t modelCode;       // register 9600 of the device
    std::uint32_t firmwareMinimum; // lowest firmware key accepted
    std::uint32_t firmwareMaximum; // highest firmware key accepted
    DevModelCreator configurationCreator;
    DevModelCreator monitorCreator;
};
