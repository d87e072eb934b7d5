// ctest-label: integration
// Configuration files on disk: every offered model survives a save and a load word for word;
// the written document has the expected elements in order; each kind of unusable file is
// refused with its message; lenient reading of numbers, extra and repeated elements, and the
// firmware key of version 1.0 files.

#include "app/CResourceDatabase.h"
#include "app/ConfigurationFile.h"
#include "model/CDevType.h"
#include "model/CDevVK20B.h"
#include "model/CDevVK20B_2.h"
#include "model/CDevVK20E.h"
#include "modbus/CMessageFormatter.h"
#include "modbus/CPrivateException.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <typeinfo>
#include <vector>

namespace {

class ConfigurationFileTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return m_dir.filePath(name); }

    QString Write(const QString& name, const QByteArray& content) const
    {
        const QString path = PathOf(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    // The words of every parameter, in index order.
    static std::vector<std::uint16_t> AllWords(const CDevInterface& device)
    {
        std::vector<std::uint16_t> words;
        for (int i = 0; i < device.GetCount(); ++i) {
            const auto part = device.GetAt(i).GetValue().GetWords();
            words.insert(words.end(), part.begin(), part.end());
        }
        return words;
    }

    // A file of a new VK20E set, as the program writes it.
    QByteArray WiredFile() const
    {
        const QString path = PathOf(QStringLiteral("wired.cfg"));
        const auto model = CDevType::Create(0, 0, ModelUse::Configuration);
        SaveConfigurationFile(*model, path);
        return Read(path);
    }

    QTemporaryDir m_dir;
};

TEST_F(ConfigurationFileTest, EveryOfferedModelSurvivesSaveAndLoadWordForWord)
{
    for (const int row : CDevType::OfferedRows()) {
        SCOPED_TRACE(row);
        const auto saved = CDevType::Create(row, 0, ModelUse::Configuration);
        // Words that differ from the defaults and from each other, 0xFFFF included.
        std::uint16_t next = 0xFFFF;
        for (int i = 0; i < saved->GetCount(); ++i) {
            for (std::uint16_t& word : saved->GetAt(i).GetValue().GetWords())
                word = next -= 97;
        }
        saved->GetAt(1).GetValue().GetWords()[0] = 0xFFFF;
        const QString path = PathOf(QStringLiteral("row%1.cfg").arg(row));
        SaveConfigurationFile(*saved, path);

        const auto loaded = LoadConfigurationFile(path);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(typeid(*loaded), typeid(*saved));
        EXPECT_EQ(loaded->GetModelCode(), saved->GetModelCode());
        EXPECT_EQ(loaded->GetFirmware(), saved->GetFirmware());
        EXPECT_EQ(AllWords(*loaded), AllWords(*saved));
    }
}

TEST_F(ConfigurationFileTest, FirmwareKeysAboveTheSignedRangeAreWrittenNegativeAndReadBack)
{
    const auto saved = CDevType::CreateFor(6013, 0x80010002, ModelUse::Configuration);
    ASSERT_NE(saved, nullptr);
    const QString path = PathOf(QStringLiteral("high.cfg"));
    SaveConfigurationFile(*saved, path);
    EXPECT_TRUE(Read(path).contains("<devver>-2147418110</devver>"));
    const auto loaded = LoadConfigurationFile(path);
    EXPECT_EQ(typeid(*loaded), typeid(CDevVK20B_2));
    EXPECT_EQ(loaded->GetFirmware(), 0x80010002u);
}

TEST_F(ConfigurationFileTest, SavedDocumentListsIdentityThenEveryWordInParameterOrder)
{
    const QByteArray content = WiredFile();
    EXPECT_FALSE(content.contains("\n<")) << "no whitespace between elements";

    pugi::xml_document document;
    ASSERT_TRUE(document.load_buffer(content.constData(), static_cast<std::size_t>(content.size())));
    const pugi::xml_node root = document.child("root");
    ASSERT_TRUE(root);

    std::vector<std::string> identity;
    pugi::xml_node node = root.first_child();
    for (int i = 0; i < 5; ++i, node = node.next_sibling())
        identity.push_back(std::string(node.name()) + "=" + node.child_value());
    EXPECT_EQ(identity, (std::vector<std::string>{"application=KORVA", "filetype=configuration", "version=1.5",
                                                  "device=6001", "devver=0"}));

    // tag (16 words from 9628), ipadrs, subnetmask, defaultgateway, port, tcptimeout, runtimeout
    std::vector<std::pair<int, int>> parameters;
    for (; node; node = node.next_sibling()) {
        EXPECT_STREQ(node.name(), "parameter");
        parameters.emplace_back(node.attribute("adrs").as_int(), std::atoi(node.child_value()));
    }
    ASSERT_EQ(parameters.size(), 16u + 2 + 2 + 2 + 1 + 1 + 1);
    EXPECT_EQ(parameters[0], std::make_pair(9628, 0x6574)); // "te"
    EXPECT_EQ(parameters[15], std::make_pair(9643, 0));
    EXPECT_EQ(parameters[16], std::make_pair(1004, 0xC0A8));
    EXPECT_EQ(parameters[17], std::make_pair(1005, 0x0001));
    EXPECT_EQ(parameters[19], std::make_pair(1007, 0xFF00));
    EXPECT_EQ(parameters[22], std::make_pair(1010, 502));
    EXPECT_EQ(parameters[23], std::make_pair(1011, 600));
    EXPECT_EQ(parameters[24], std::make_pair(1012, 50));
}

QString MessageOf(const char* key)
{
    return CPrivateException(key).ErrorText();
}

QString NoMatchError()
{
    return CPrivateException(CMessageFormatter(CMessageFormatter::XmlResult::NoMatch)).ErrorText();
}

struct RefusedFile {
    const char* what;
    QByteArray from; // replaced in the wired file; empty: the whole file is `to`
    QByteArray to;
    QString message;
};

TEST_F(ConfigurationFileTest, UnusableFilesAreRefusedWithTheirMessage)
{
    const QByteArray wired = WiredFile();
    const std::vector<RefusedFile> cases = {
        {"not XML", "", "this is not a configuration", MessageOf("illfileerr")},
        {"cut short", "</root>", "", MessageOf("illfileerr")},
        {"root of another name", "", QByteArray(wired).replace("root>", "rut>"), MessageOf("illfileerr")},
        {"application in another case", "<application>KORVA", "<application>Korva", MessageOf("illfileerr")},
        {"application longer", "<application>KORVA", "<application>KORVAX", MessageOf("illfileerr")},
        {"another file type", "<filetype>configuration", "<filetype>language", MessageOf("illfileerr")},
        {"no version", "<version>1.5</version>", "", MessageOf("illfileerr")},
        {"newer version", "<version>1.5", "<version>1.6", MessageOf("verfileerr")},
        {"blank before the version", "<version>1.5", "<version> 1.5", MessageOf("verfileerr")},
        {"empty version", "<version>1.5", "<version>", MessageOf("verfileerr")},
        {"unknown model", "<device>6001", "<device>6005", MessageOf("desfileerr")},
        {"firmware outside every row", "<device>6001</device><devver>0", "<device>6003</device><devver>65537",
         MessageOf("desfileerr")},
        {"a word of the model missing", "<parameter adrs=\"1012\">50</parameter>", "", MessageOf("desfileerr")},
        {"no device element", "<device>6001</device>", "", NoMatchError()},
        {"no firmware element in version 1.5", "<devver>0</devver>", "", NoMatchError()},
    };
    for (const RefusedFile& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray content = wired;
        if (c.from.isEmpty())
            content = c.to;
        else {
            ASSERT_TRUE(content.contains(c.from));
            content.replace(c.from, c.to);
        }
        const QString path = Write(QStringLiteral("refused.cfg"), content);
        try {
            LoadConfigurationFile(path);
            ADD_FAILURE() << "loaded";
        } catch (const CPrivateException& error) {
            EXPECT_FALSE(error.ErrorText().isEmpty()) << "an empty text would read as a cancellation";
            EXPECT_EQ(error.ErrorText(), c.message);
        }
    }
    EXPECT_THROW(LoadConfigurationFile(PathOf(QStringLiteral("missing.cfg"))), CPrivateException);
}

TEST_F(ConfigurationFileTest, RefusalsCarryTheKeyWhenTheLanguageLacksTheMessage)
{
    // An empty error text would read as a cancellation and the failed load would go unnoticed.
    const QString path = Write(QStringLiteral("bad.cfg"), "<root/>");
    CResourceDatabase::Instance().ResetDatabase();
    QString text;
    try {
        LoadConfigurationFile(path);
    } catch (const CPrivateException& error) {
        text = error.ErrorText();
    }
    CResourceDatabase::Instance().LoadLanguageFile(
        QDir(QStringLiteral(KORVA_PROGRAM_DIR)).filePath(QStringLiteral("English.lng")));
    EXPECT_EQ(text, "illfileerr");
}

TEST_F(ConfigurationFileTest, WordsAreReadLeniently)
{
    QByteArray content = WiredFile();
    content.replace("<parameter adrs=\"1010\">502</parameter>",
                    "<parameter adrs=\"1010\">70000</parameter>");           // low 16 bits: 4464
    content.replace("<parameter adrs=\"1011\">600</parameter>",
                    "<parameter adrs=\"1011\">timeout</parameter>");         // no digits: 0
    content.replace("<parameter adrs=\"1012\">50</parameter>",
                    "<parameter adrs=\"1012\"> -1x</parameter>"              // blanks, sign: 65535
                    "<parameter adrs=\"1012\">7</parameter>");               // a repeat is ignored
    content.replace("<parameter adrs=\"1004\">49320</parameter>",
                    "<parameter adrs=\"1004\">99999999999</parameter>");     // saturates, then 0xFFFF
    content.replace("</root>", "<parameter adrs=\"4000\">1</parameter><other/></root>");
    const auto loaded = LoadConfigurationFile(Write(QStringLiteral("lenient.cfg"), content));
    EXPECT_EQ(loaded->GetParameter(u"port").GetValue().GetWords()[0], 4464);
    EXPECT_EQ(loaded->GetParameter(u"tcptimeout").GetValue().GetWords()[0], 0);
    EXPECT_EQ(loaded->GetParameter(u"runtimeout").GetValue().GetWords()[0], 0xFFFF);
    EXPECT_EQ(loaded->GetParameter(u"ipadrs").GetValue().GetWords()[0], 0xFFFF);
}

TEST_F(ConfigurationFileTest, VersionOneZeroFilesAreFirmwareOneZero)
{
    const auto saved = CDevType::Create(12, 0, ModelUse::Configuration); // VK20B, code 6013
    QByteArray content;
    {
        const QString path = PathOf(QStringLiteral("old.cfg"));
        SaveConfigurationFile(*saved, path);
        content = Read(path);
    }
    // Version 1.0 had no firmware element; one that is there anyway is not read.
    content.replace("<version>1.5</version>", "<version>1.0</version>");
    content.replace("<devver>0</devver>", "<devver>65537</devver>");
    const auto loaded = LoadConfigurationFile(Write(QStringLiteral("old.cfg"), content));
    EXPECT_EQ(typeid(*loaded), typeid(CDevVK20B));
    EXPECT_EQ(loaded->GetFirmware(), 0x10000u);
    EXPECT_EQ(loaded->GetModelCode(), 6013);

    content.replace("<devver>65537</devver>", "");
    EXPECT_EQ(typeid(*LoadConfigurationFile(Write(QStringLiteral("old2.cfg"), content))), typeid(CDevVK20B));
}

TEST_F(ConfigurationFileTest, SavingWhereNoFileCanBeWrittenThrows)
{
    const CDevVK20E device;
    EXPECT_THROW(SaveConfigurationFile(device, PathOf(QStringLiteral("no/such/dir/x.cfg"))), CPrivateException);
}

} // namespace
