// ctest-label: unit
// What the main window runs in the core: its title, the language toggle and the trace lines of
// a language load, the file dialogs' filters in both forms the language file may use, the
// offered models and the search for the chooser entry that fits a loaded set, and the byte
// count of the text editor's counter.

#include "app/CResourceDatabase.h"
#include "app/DisplayLanguage.h"
#include "app/FileDialogFilter.h"
#include "app/ModelChoice.h"
#include "app/Utf8ByteCount.h"
#include "app/WindowTitle.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "modbus/CDebugTrace.h"
#include "modbus/CException.h"

#include "KorvaVersion.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStringList>

namespace {

TEST(MainWindowCore, TitleFromProductNameAndVersion)
{
    EXPECT_EQ(BuildWindowTitle(QStringLiteral("KORVA"), QStringLiteral("1.5.33")), QStringLiteral("KORVA Version 1.5.33"));
    EXPECT_EQ(BuildWindowTitle(QString(), QStringLiteral("1.5.33")), QString());
    EXPECT_EQ(BuildWindowTitle(QStringLiteral("KORVA"), QString()), QString());
    EXPECT_EQ(BuildWindowTitle(), QStringLiteral("KORVA Version " KORVA_PRODUCT_VERSION));
}

TEST(MainWindowCore, LanguageToggle)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Japanese.lng", "English.lng"},
        {"English.lng", "Japanese.lng"},
        {"Custom.lng", "Japanese.lng"},
        {"japanese.lng", "Japanese.lng"}, // the name is compared exactly
        {"", "Japanese.lng"},
    };
    for (const auto& [current, next] : cases)
        EXPECT_EQ(NextLanguageFile(QString::fromLatin1(current)), QString::fromLatin1(next)) << current;
}

TEST(MainWindowCore, LanguageLoadWritesOneTraceLine)
{
    QStringList lines;
    const CTraceListenerScope listener([&lines](const QString& line) { lines << line; });
    const QString english = QDir(QStringLiteral(KORVA_PROGRAM_DIR)).filePath(QStringLiteral("English.lng"));

    LoadDisplayLanguage(english);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], QStringLiteral("Language file loaded: %1 (English)\n").arg(english));

    lines.clear();
    EXPECT_THROW(LoadDisplayLanguage(QStringLiteral("/nonexistent/Missing.lng")), CException);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Language file not loaded: "))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("Missing.lng")));
    // The failed load kept the previous document.
    EXPECT_EQ(CResourceDatabase::Instance().GetLanguageName(), QStringLiteral("English"));
}

TEST(MainWindowCore, FileDialogFiltersFromEitherForm)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"Configuration files (*.cfg);;All files (*)", {"Configuration files (*.cfg)", "All files (*)"}},
        {"Configuration files (*.cfg)|*.cfg|All files (*.*)|*.*|", {"Configuration files (*.cfg)", "All files (*)"}},
        {"Configuration files|*.cfg;*.xml|", {"Configuration files (*.cfg *.xml)"}},
        {"Configuration files (*.txt)|*.cfg", {"Configuration files (*.cfg)"}},
        {"|*.cfg|", {"(*.cfg)"}},
        {"Only a description|", {"Only a description"}},
        {"", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(FileDialogFilters(QString::fromUtf8(text)), expected) << text;
}

TEST(MainWindowCore, OfferedModelsInChooserOrder)
{
    const std::vector<ModelChoice> choices = OfferedModelChoices();
    std::vector<int> rows;
    for (const ModelChoice& choice : choices) {
        rows.push_back(choice.registryRow);
        EXPECT_EQ(choice.displayName, CDevType::GetModelName(choice.registryRow));
    }
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 15, 18, 21}));

    // A new set of each is at the lowest firmware of its row, and is found again at its place.
    for (std::size_t position = 0; position < choices.size(); ++position) {
        const auto device = CreateChosenModel(choices[position].registryRow);
        const DevTypeEntry& entry = CDevType::Entries()[static_cast<std::size_t>(choices[position].registryRow)];
        EXPECT_EQ(device->GetModelCode(), entry.modelCode);
        EXPECT_EQ(device->GetFirmware(), entry.firmwareMinimum);
        EXPECT_EQ(FindModelChoice(*device), static_cast<int>(position));
    }
}

TEST(MainWindowCore, ChooserEntryOfASetReadFromADeviceOrFile)
{
    struct Case {
        std::uint32_t code;
        std::uint32_t firmware;
        int position;
    };
    const Case cases[] = {
        {4011, 0x10000, 0},  // an older VK20E code of the same family
        {5012, 0x20003, 1},  // VK20A
        {4013, 0x10000, 2},  // VK20B up to firmware 1.0
        {4013, 0x10001, 3},  // VK20B_2 from firmware 1.1
        {6004, 0, 4},        // the first VK20C code
        {5114, 0x10000, 5},  // VK20CF
    };
    for (const Case& c : cases) {
        const auto device = CDevType::CreateFor(c.code, c.firmware, ModelUse::Configuration);
        ASSERT_TRUE(device) << c.code;
        EXPECT_EQ(FindModelChoice(*device), c.position) << c.code << " " << c.firmware;
    }
    // A code of no offered family keeps the chooser as it is.
    auto stranger = CreateChosenModel(0);
    stranger->SetModelCode(6009);
    EXPECT_EQ(FindModelChoice(*stranger), -1);
}

TEST(MainWindowCore, ByteCountIsTheUtf8Length)
{
    EXPECT_EQ(Utf8ByteCount(QString()), 0);
    EXPECT_EQ(Utf8ByteCount(QStringLiteral("abc")), 3);
    EXPECT_EQ(Utf8ByteCount(QString::fromUtf8("é")), 2);
    EXPECT_EQ(Utf8ByteCount(QString::fromUtf8("設定")), 6);
    EXPECT_EQ(Utf8ByteCount(QString::fromUtf8("😀")), 4);
    EXPECT_EQ(Utf8ByteCount(QString(2000, u'x')), 1023);
}

} // namespace
