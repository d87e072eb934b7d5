#include "model/CDevType.h"

#include "app/CResourceDatabase.h"
#include "model/CDevM_VKxx.h"
#include "model/CDevM_VKxxC.h"
#include "model/CDevM_VKxxCF.h"
#include "model/CDevVK20A.h"
#include "model/CDevVK20B.h"
#include "model/CDevVK20B_2.h"
#include "model/CDevVK20C.h"
#include "model/CDevVK20CF.h"
#include "model/CDevVK20E.h"
#include "model/ParameterTables.h"

#include <array>
#include <stdexcept>

namespace {

template <typename Model>
std::unique_ptr<CDevInterface> Make()
{
    return std::make_unique<Model>();
}

using namespace ParameterTables;

constexpr std::uint32_t kAny = CDevType::kAnyFirmware;
// Firmware 1.0 and 1.1: the later wireless LAN devices changed their register map at 1.1.
constexpr std::uint32_t kVersion1_0 = 0x10000;
constexpr std::uint32_t kVersion1_1 = 0x10001;

// Search order matters: the VK20B and VK20B_2 rows share their codes and split the firmware
// range between them.
constexpr std::array<DevTypeEntry, 22> kEntries = {{
    {kSectionVK20E, 6001, 0, kAny, Make<CDevVK20E>, Make<CDevM_VKxx>},
    {kSectionVK20A, 6002, 0, kAny, Make<CDevVK20A>, Make<CDevM_VKxx>},
    {kSectionVK20B, 6003, 0, kVersion1_0, Make<CDevVK20B>, Make<CDevM_VKxx>},
    {kSectionVK20C, 6004, 0, kAny, Make<CDevVK20C>, Make<CDevM_VKxxC>},
    {kSectionVK20E, 4011, 0, kAny, Make<CDevVK20E>, Make<CDevM_VKxx>},
    {kSectionVK20A, 4012, 0, kAny, Make<CDevVK20A>, Make<CDevM_VKxx>},
    {kSectionVK20E, 5011, 0, kAny, Make<CDevVK20E>, Make<CDevM_VKxx>},
    {kSectionVK20A, 5012, 0, kAny, Make<CDevVK20A>, Make<CDevM_VKxx>},
    {kSectionVK20E, 6011, 0, kAny, Make<CDevVK20E>, Make<CDevM_VKxx>},
    {kSectionVK20A, 6012, 0, kAny, Make<CDevVK20A>, Make<CDevM_VKxx>},
    {kSectionVK20B, 4013, 0, kVersion1_0, Make<CDevVK20B>, Make<CDevM_VKxx>},
    {kSectionVK20B, 5013, 0, kVersion1_0, Make<CDevVK20B>, Make<CDevM_VKxx>},
    {kSectionVK20B, 6013, 0, kVersion1_0, Make<CDevVK20B>, Make<CDevM_VKxx>},
    {kSectionVK20B_2, 4013, kVersion1_1, kAny, Make<CDevVK20B_2>, Make<CDevM_VKxx>},
    {kSectionVK20B_2, 5013, kVersion1_1, kAny, Make<CDevVK20B_2>, Make<CDevM_VKxx>},
    {kSectionVK20B_2, 6013, kVersion1_1, kAny, Make<CDevVK20B_2>, Make<CDevM_VKxx>},
    {kSectionVK20C, 4014, 0, kAny, Make<CDevVK20C>, Make<CDevM_VKxxC>},
    {kSectionVK20C, 5014, 0, kAny, Make<CDevVK20C>, Make<CDevM_VKxxC>},
    {kSectionVK20C, 6014, 0, kAny, Make<CDevVK20C>, Make<CDevM_VKxxC>},
    {kSectionVK20CF, 4114, 0, kAny, Make<CDevVK20CF>, Make<CDevM_VKxxCF>},
    {kSectionVK20CF, 5114, 0, kAny, Make<CDevVK20CF>, Make<CDevM_VKxxCF>},
    {kSectionVK20CF, 6114, 0, kAny, Make<CDevVK20CF>, Make<CDevM_VKxxCF>},
}};

// One row per configurable model: VK20E, VK20A, VK20B, VK20B_2, VK20C, VK20CF.
constexpr std::array<int, 6> kOfferedRows = {0, 1, 2, 15, 18, 21};

} // namespace

std::span<const DevTypeEntry> CDevType::Entries()
{
    return kEntries;
}

std::span<const int> CDevType::OfferedRows()
{
    return kOfferedRows;
}

int CDevType::Find(std::uint32_t modelCode, std::uint32_t firmware)
{
    const auto code = static_cast<std::uint16_t>(modelCode & 0xFFFF);
    for (std::size_t row = 0; row < kEntries.size(); ++row) {
        const DevTypeEntry& entry = kEntries[row];
        if (entry.modelCode == code && entry.firmwareMinimum <= firmware
            && firmware <= entry.firmwareMaximum)
            return static_cast<int>(row);
    }
    return -1;
}

std::unique_ptr<CDevInterface> CDevType::Create(int row, std::uint32_t firmware, ModelUse use)
{
    if (row < 0 || row >= static_cast<int>(kEntries.size()))
        throw std::out_of_range("CDevType::Create: no such registry row");
    const DevTypeEntry& entry = kEntries[static_cast<std::size_t>(row)];
    std::unique_ptr<CDevInterface> device =
        use == ModelUse::Monitor ? entry.monitorCreator() : entry.configurationCreator();
    device->SetModelCode(entry.modelCode);
    device->SetFirmware(firmware != 0 ? firmware : entry.firmwareMinimum);
    device->SetFirmwareMinimum(entry.firmwareMinimum);
    device->SetFirmwareMaximum(entry.firmwareMaximum);
    return device;
}

std::unique_ptr<CDevInterface> CDevType::CreateFor(std::uint32_t modelCode, std::uint32_t firmware,
                                                   ModelUse use)
{
    const int row = Find(modelCode, firmware);
    if (row < 0)
        return nullptr;
    return Create(row, firmware, use);
}

QString CDevType::GetModelName(int row)
{
    if (row < 0 || row >= static_cast<int>(kEntries.size()))
        return {};
    return CResourceDatabase::Instance().GetParameterText(
        QString::fromUtf16(kEntries[static_cast<std::size_t>(row)].modelName), QStringLiteral("lname"));
}

bool CDevType::IsCompatible(std::uint32_t codeA, std::uint32_t codeB)
{
    return codeA % 10 == codeB % 10 && (codeA / 100) % 10 == (codeB / 100) % 10;
}
