// ctest-label: unit
// The shipped language files against every model table: each row has a display name and each
// list parameter offers at least one choice with a text, in both languages; every offered model
// has a display name, and the 920 MHz sections have their out-of-range text.

#include "app/CResourceDatabase.h"
#include "model/CDevType.h"
#include "model/CDevM_VKxx.h"
#include "model/CDevM_VKxxC.h"
#include "model/CDevM_VKxxCF.h"
#include "model/CDevVK20A.h"
#include "model/CDevVK20B.h"
#include "model/CDevVK20B_2.h"
#include "model/CDevVK20C.h"
#include "model/CDevVK20CF.h"
#include "model/CDevVK20E.h"

#include <QDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Lists longer than this are taken as endless (a language file naming the same entry twice).
constexpr int kLongestList = 256;

std::vector<std::unique_ptr<CDevInterface>> AllModels()
{
    std::vector<std::unique_ptr<CDevInterface>> models;
    models.push_back(std::make_unique<CDevVK20E>());
    models.push_back(std::make_unique<CDevVK20A>());
    models.push_back(std::make_unique<CDevVK20B>());
    models.push_back(std::make_unique<CDevVK20B_2>());
    models.push_back(std::make_unique<CDevVK20C>());
    models.push_back(std::make_unique<CDevVK20CF>());
    models.push_back(std::make_unique<CDevM_VKxx>());
    models.push_back(std::make_unique<CDevM_VKxxC>());
    models.push_back(std::make_unique<CDevM_VKxxCF>());
    return models;
}

class LanguageSectionsTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { Load(GetParam()); }
    void TearDown() override { Load("English.lng"); }

    static void Load(const char* file)
    {
        CResourceDatabase::Instance().LoadLanguageFile(
            QDir(QStringLiteral(KORVA_PROGRAM_DIR)).filePath(QString::fromLatin1(file)));
    }
};

TEST_P(LanguageSectionsTest, EveryRowHasANameAndEveryListAChoice)
{
    for (const auto& device : AllModels()) {
        const std::string section = QString::fromUtf16(device->GetSection()).toStdString();
        for (int i = 0; i < device->GetCount(); ++i) {
            const CParInterface& parameter = device->GetAt(i);
            const ParDefinition& row = parameter.GetDefinition();
            const std::string name = QString::fromUtf16(row.name).toStdString();
            EXPECT_FALSE(parameter.GetName().trimmed().isEmpty()) << section << "/" << name << ": no display name";
            if (row.kind != PK_LIST16 && row.kind != PK_LIST32)
                continue;
            int choices = 0;
            for (int position = 0; position < kLongestList; ++position) {
                const std::int32_t value = parameter.GetListValue(position);
                if (value < 0)
                    break;
                if (!parameter.GetListText(value).trimmed().isEmpty())
                    ++choices;
            }
            EXPECT_GT(choices, 0) << section << "/" << name << ": no choice with a text";
        }
    }
}

TEST_P(LanguageSectionsTest, ModelsHaveDisplayNamesAndRadioSectionsTheirOutOfRangeText)
{
    for (const int row : CDevType::OfferedRows())
        EXPECT_FALSE(CDevType::GetModelName(row).trimmed().isEmpty()) << "row " << row;
    for (const QString& section : {QStringLiteral("VK20C"), QStringLiteral("VK20CF")}) {
        EXPECT_FALSE(CResourceDatabase::Instance().GetParameterText(section, QStringLiteral("outw920")).isEmpty())
            << section.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(ShippedFiles, LanguageSectionsTest, ::testing::Values("English.lng", "Japanese.lng"),
                         [](const auto& info) { return info.index == 0 ? "English" : "Japanese"; });

} // namespace
