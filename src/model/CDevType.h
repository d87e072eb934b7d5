#pragma once
// The device type registry: maps the model code and firmware key a device reports to the model
// class that configures it and the one that monitors it. The table is constant data; CDevType
// is the door through which callers consult it.

#include "app/CResourceManager.h"
#include "model/DevTypeEntry.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <span>

// Which of a row's two model classes to create.
enum class ModelUse : int { Configuration = 0, Monitor = 1 };

class CDevType : public CResourceManager {
public:
    // Firmware maximum of rows that accept every later version.
    static constexpr std::uint32_t kAnyFirmware = 0xFFFFFFFF;

    // The registry rows in search order.
    static std::span<const DevTypeEntry> Entries();
    // The rows offered for offline editing, in the order they are offered.
    static std::span<const int> OfferedRows();

    // The first row for the model code (its low 16 bits) whose firmware range holds `firmware`;
    // -1 when there is none.
    static int Find(std::uint32_t modelCode, std::uint32_t firmware);
    // A new model of the row, with the row's code and firmware range; its firmware is `firmware`
    // or, when that is 0, the row's minimum. Throws std::out_of_range for a row that does not
    // exist.
    static std::unique_ptr<CDevInterface> Create(int row, std::uint32_t firmware, ModelUse use);
    // Find, then Create; null when the registry has no row for the device.
    static std::unique_ptr<CDevInterface> CreateFor(std::uint32_t modelCode, std::uint32_t firmware,
                                                    ModelUse use);
    // The display name of the row's model ("lname" of its language section).
    static QString GetModelName(int row);
    // Codes of the same device family: equal last decimal digit and equal hundreds digit.
    static bool IsCompatible(std::uint32_t codeA, std::uint32_t codeB);
};
