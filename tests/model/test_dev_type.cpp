// ctest-label: unit
// Device type registry: which model class a model code and firmware key select, for
// configuring and for monitoring; the numbers a created model carries; compatible codes; the
// models offered for offline editing.

#include "ScopedTestLanguage.h"

#include "model/CDevM_VKxx.h"
#include "model/CDevM_VKxxC.h"
#include "model/CDevM_VKxxCF.h"
#include "model/CDevType.h"
#include "model/CDevVK20A.h"
#include "model/CDevVK20B.h"
#include "model/CDevVK20B_2.h"
#include "model/CDevVK20C.h"
#include "model/CDevVK20CF.h"
#include "model/CDevVK20E.h"

#include <gtest/gtest.h>

#include <typeinfo>
#include <vector>

namespace {

constexpr std::uint32_t kVersion1_0 = 0x10000;
constexpr std::uint32_t kVersion1_1 = 0x10001;

struct SelectionCase {
    std::uint32_t code;
    std::uint32_t firmware;
    ModelUse use;
    const std::type_info* model; // null: no model
};

TEST(DevTypeTest, CodeAndFirmwareSelectTheModelClass)
{
    const std::vector<SelectionCase> cases = {
        {6001, 0, ModelUse::Configuration, &typeid(CDevVK20E)},
        {4011, 0x30000, ModelUse::Configuration, &typeid(CDevVK20E)},
        {5012, 0, ModelUse::Configuration, &typeid(CDevVK20A)},
        {4013, kVersion1_0, ModelUse::Configuration, &typeid(CDevVK20B)},
        {4013, 0, ModelUse::Configuration, &typeid(CDevVK20B)},
        {4013, kVersion1_1, ModelUse::Configuration, &typeid(CDevVK20B_2)},
        {6013, 0x20005, ModelUse::Configuration, &typeid(CDevVK20B_2)},
        {6003, kVersion1_0, ModelUse::Configuration, &typeid(CDevVK20B)},
        {6003, kVersion1_1, ModelUse::Configuration, nullptr},
        {6004, 0, ModelUse::Configuration, &typeid(CDevVK20C)},
        {5014, 0xFFFFFFFF, ModelUse::Configuration, &typeid(CDevVK20C)},
        {4114, 0, ModelUse::Configuration, &typeid(CDevVK20CF)},
        {5114, 0, ModelUse::Monitor, &typeid(CDevM_VKxxCF)},
        {6002, 0, ModelUse::Monitor, &typeid(CDevM_VKxx)},
        {6013, kVersion1_1, ModelUse::Monitor, &typeid(CDevM_VKxx)},
        {6014, 0, ModelUse::Monitor, &typeid(CDevM_VKxxC)},
        {0x10000 + 6001, 0, ModelUse::Configuration, &typeid(CDevVK20E)}, // low 16 bits count
        {6005, 0, ModelUse::Configuration, nullptr},
        {0, 0, ModelUse::Configuration, nullptr},
    };
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " firmware 0x" << std::hex << c.firmware);
        const auto device = CDevType::CreateFor(c.code, c.firmware, c.use);
        if (!c.model) {
            EXPECT_EQ(device, nullptr);
            EXPECT_EQ(CDevType::Find(c.code, c.firmware), -1);
            continue;
        }
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(typeid(*device), *c.model);
        EXPECT_EQ(device->GetModelCode(), c.code & 0xFFFF);
    }
}

TEST(DevTypeTest, CreatedModelsCarryTheRowsCodeAndFirmwareRange)
{
    const auto offered = CDevType::Create(15, 0, ModelUse::Configuration);
    EXPECT_EQ(typeid(*offered), typeid(CDevVK20B_2));
    EXPECT_EQ(offered->GetModelCode(), 6013);
    EXPECT_EQ(offered->GetFirmware(), kVersion1_1); // key 0 stands for the row's minimum
    EXPECT_EQ(offered->GetFirmwareMinimum(), kVersion1_1);
    EXPECT_EQ(offered->GetFirmwareMaximum(), 0xFFFFFFFFu);

    const auto read = CDevType::CreateFor(5013, kVersion1_0, ModelUse::Configuration);
    EXPECT_EQ(read->GetFirmware(), kVersion1_0);
    EXPECT_EQ(read->GetFirmwareMinimum(), 0u);
    EXPECT_EQ(read->GetFirmwareMaximum(), kVersion1_0);

    EXPECT_THROW(CDevType::Create(22, 0, ModelUse::Configuration), std::out_of_range);
    EXPECT_THROW(CDevType::Create(-1, 0, ModelUse::Configuration), std::out_of_range);
}

TEST(DevTypeTest, EveryRowCreatesAModelOfItsOwnSectionForBothUses)
{
    const auto entries = CDevType::Entries();
    ASSERT_EQ(entries.size(), 22u);
    for (int row = 0; row < static_cast<int>(entries.size()); ++row) {
        SCOPED_TRACE(row);
        const auto configuration = CDevType::Create(row, 0, ModelUse::Configuration);
        const auto monitor = CDevType::Create(row, 0, ModelUse::Monitor);
        const QString section = QString::fromUtf16(entries[static_cast<std::size_t>(row)].modelName);
        EXPECT_EQ(QString::fromUtf16(configuration->GetSection()), section);
        // The LAN monitor shares the wireless LAN section for every LAN model.
        const QString monitorSection = QString::fromUtf16(monitor->GetSection());
        EXPECT_TRUE(monitorSection == section || monitorSection == u"VK20A") << monitorSection.toStdString();
        EXPECT_EQ(CDevType::Find(entries[static_cast<std::size_t>(row)].modelCode,
                                 entries[static_cast<std::size_t>(row)].firmwareMinimum),
                  row);
    }
}

TEST(DevTypeTest, CompatibleCodesShareLastAndHundredsDigit)
{
    struct Case {
        std::uint32_t a;
        std::uint32_t b;
        bool compatible;
    };
    const std::vector<Case> cases = {
        {6001, 4011, true}, {4014, 6014, true},  {4114, 5114, true}, {4013, 6013, true},
        {4014, 4114, false}, {4012, 4013, false}, {6004, 6014, true}, {6001, 6002, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CDevType::IsCompatible(c.a, c.b), c.compatible) << c.a << " " << c.b;
        EXPECT_EQ(CDevType::IsCompatible(c.b, c.a), c.compatible) << c.b << " " << c.a;
    }
}

TEST(DevTypeTest, OfferedModelsAreOneRowPerConfigurableModelWithTheirDisplayNames)
{
    const ScopedTestLanguage language(QStringLiteral(
        "<parameter name=\"VK20E\"><text name=\"lname\">Wired</text></parameter>"
        "<parameter name=\"VK20B_2\"><text name=\"lname\">Wireless 1.1</text></parameter>"));
    const std::vector<int> offered(CDevType::OfferedRows().begin(), CDevType::OfferedRows().end());
    EXPECT_EQ(offered, (std::vector<int>{0, 1, 2, 15, 18, 21}));

    std::vector<const std::type_info*> classes;
    for (const int row : offered) {
        const auto device = CDevType::Create(row, 0, ModelUse::Configuration);
        classes.push_back(&typeid(*device));
    }
    const std::vector<const std::type_info*> expected = {&typeid(CDevVK20E),   &typeid(CDevVK20A),
                                                         &typeid(CDevVK20B),   &typeid(CDevVK20B_2),
                                                         &typeid(CDevVK20C),   &typeid(CDevVK20CF)};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(*classes[i], *expected[i]) << i;

    EXPECT_EQ(CDevType::GetModelName(0), "Wired");
    EXPECT_EQ(CDevType::GetModelName(15), "Wireless 1.1");
    EXPECT_EQ(CDevType::GetModelName(3), ""); // no text in this language file
    EXPECT_EQ(CDevType::GetModelName(99), "");
}

} // namespace
