#include "app/ModelChoice.h"

#include "model/CDevInterface.h"
#include "model/CDevType.h"

std::vector<ModelChoice> OfferedModelChoices()
{
    std::vector<ModelChoice> choices;
    for (const int row : CDevType::OfferedRows())
        choices.push_back({row, CDevType::GetModelName(row)});
    return choices;
}

std::shared_ptr<CDevInterface> CreateChosenModel(int registryRow)
{
    // Firmware 0 stands for the row's lowest firmware.
    return CDevType::Create(registryRow, 0, ModelUse::Configuration);
}

int FindModelChoice(const CDevInterface& device)
{
    const auto entries = CDevType::Entries();
    const auto rows = CDevType::OfferedRows();
    int found = -1;
    for (std::size_t position = 0; position < rows.size(); ++position) {
        const DevTypeEntry& entry = entries[static_cast<std::size_t>(rows[position])];
        if (CDevType::IsCompatible(entry.modelCode, device.GetModelCode())
            && entry.firmwareMinimum <= device.GetFirmware() && device.GetFirmware() <= entry.firmwareMaximum)
            found = static_cast<int>(position);
    }
    return found;
}
