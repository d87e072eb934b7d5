// ctest-label: gui
// The main window with real widgets: the first start in the locale's language, the model
// chooser, saving and opening configuration files through the real file dialogs (answered by
// the test), the language switch, and the keys that must never close the window.

#include "../ui/ModalAnswer.h"

#include "TestProfile.h"

#include "app/CResourceDatabase.h"
#include "app/widgets/CKORVADlg.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "modbus/CPrivateException.h"
#include "ui/CParameterListCtrl.h"

#include "KorvaVersion.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <optional>
#include <vector>

namespace {

std::vector<std::uint16_t> AllWords(const CDevInterface& device)
{
    std::vector<std::uint16_t> words;
    for (int index = 0; index < device.GetCount(); ++index) {
        const auto part = device.GetAt(index).GetValue().GetWords();
        words.insert(words.end(), part.begin(), part.end());
    }
    return words;
}

QString Message(const char* key)
{
    return CResourceDatabase::Instance().GetMessageText(QString::fromLatin1(key));
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_locale = qgetenv("LC_ALL");
        qputenv("LC_ALL", "C");
    }

    void TearDown() override
    {
        window.reset();
        qputenv("LC_ALL", m_locale);
        CResourceDatabase::Instance().LoadLanguageFile(
            QDir(QStringLiteral(KORVA_PROGRAM_DIR)).filePath(QStringLiteral("English.lng")));
    }

    void Open()
    {
        window = std::make_unique<CKORVADlg>();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QString StoredLanguage() const
    {
        QSettings stored(profile.FilePath(), QSettings::NativeFormat);
        return stored.value(QStringLiteral("Settings/DisplayLanguage")).toString();
    }

    void Command(int id) { QTest::mouseClick(&window->GetCommandButton(id), Qt::LeftButton); }

    void ChooseModel(int position)
    {
        window->GetModelCombo().setCurrentIndex(position);
        emit window->GetModelCombo().activated(position);
    }

    // Saves or opens `path` through the real file dialog of the command.
    QFileDialog::AcceptMode RunFileCommand(int command, const QString& path, QString* offeredDirectory = nullptr)
    {
        QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
        ModalAnswer<QFileDialog> answer([&](QFileDialog& dialog) {
            mode = dialog.acceptMode();
            EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("cfg"));
            EXPECT_EQ(dialog.nameFilters(), (QStringList{"Configuration files (*.cfg)", "All files (*)"}));
            EXPECT_EQ(dialog.windowTitle(), Message(command == CKORVADlg::kSaveFile ? "tb2" : "tb3"));
            if (offeredDirectory)
                *offeredDirectory = dialog.directory().absolutePath();
            // The dialog lists its directory in the background; a file it has not listed yet
            // cannot be selected in the list, but it can always be typed, as a user would.
            dialog.selectFile(path);
            if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(path);
            QMetaObject::invokeMethod(&dialog, "accept");
        });
        Command(command);
        EXPECT_EQ(answer.Count(), 1);
        return mode;
    }

    TestProfile profile;
    std::unique_ptr<CKORVADlg> window;

private:
    QByteArray m_locale;
};

TEST_F(MainWindowTest, FirstStartShowsVK20EInTheLocalesLanguage)
{
    struct Case {
        const char* locale;
        const char* file;
        const char* readText;
        const char* modelLabel;
    };
    const Case cases[] = {
        {"C", "English.lng", "Read from Device", "Model"},
        {"ja_JP.UTF-8", "Japanese.lng", "機器から読み込み", "機種"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        qputenv("LC_ALL", c.locale);
        Open();
        EXPECT_EQ(window->GetSettings().GetLanguageFile(), QString::fromLatin1(c.file));
        EXPECT_EQ(window->windowTitle(), QStringLiteral("KORVA Version " KORVA_PRODUCT_VERSION));
        EXPECT_EQ(window->GetCommandButton(CKORVADlg::kReadDevice).text(), QString::fromUtf8(c.readText));
        EXPECT_EQ(window->findChild<QLabel*>()->text(), QString::fromUtf8(c.modelLabel));
        for (int i = 0; i < CKORVADlg::kCommandCount; ++i) {
            const QToolButton& button = window->GetCommandButton(CKORVADlg::kReadDevice + i);
            EXPECT_EQ(button.text(), Message(QStringLiteral("tb%1").arg(i).toLatin1().constData()));
            EXPECT_EQ(button.property("ctrlId").toInt(), CKORVADlg::kReadDevice + i);
            EXPECT_EQ(button.width(), window->width() / CKORVADlg::kCommandCount);
        }

        const QComboBox& models = window->GetModelCombo();
        ASSERT_EQ(models.count(), 6);
        const int rows[] = {0, 1, 2, 15, 18, 21};
        for (int position = 0; position < 6; ++position) {
            EXPECT_EQ(models.itemData(position).toInt(), rows[position]);
            EXPECT_EQ(models.itemText(position), CDevType::GetModelName(rows[position]));
        }
        EXPECT_EQ(models.currentIndex(), 0);
        ASSERT_TRUE(window->GetCurrentSet());
        EXPECT_EQ(window->GetCurrentSet()->GetModelCode(), 6001);
        EXPECT_EQ(window->GetList().GetDevice(), window->GetCurrentSet());
        EXPECT_EQ(window->GetList().GetRowCount(), 7);
        EXPECT_TRUE(window->GetList().hasFocus());
        EXPECT_TRUE(StoredLanguage().isEmpty()) << "nothing is stored before a switch";
        window.reset();
    }
}

TEST_F(MainWindowTest, ChoosingAModelStartsItOverEvenWhenItIsShownAlready)
{
    Open();
    QComboBox& models = window->GetModelCombo();
    models.setFocus();
    window->GetCurrentSet()->GetParameter(u"port").SetValue(8080);
    QTest::keyClick(&models, Qt::Key_Down);
    EXPECT_EQ(models.currentIndex(), 1);
    EXPECT_EQ(window->GetCurrentSet()->GetModelCode(), 6002);
    EXPECT_EQ(window->GetList().GetDevice(), window->GetCurrentSet());

    const std::shared_ptr<CDevInterface> edited = window->GetCurrentSet();
    edited->GetParameter(u"port").SetValue(8080);
    models.showPopup();
    QTest::keyClick(models.view(), Qt::Key_Return);
    EXPECT_NE(window->GetCurrentSet(), edited);
    EXPECT_EQ(window->GetCurrentSet()->GetModelCode(), 6002);
    EXPECT_EQ(window->GetCurrentSet()->GetParameter(u"port").GetText(), QStringLiteral("502"));
    const int portRow = window->GetList().RowOfParameter(window->GetCurrentSet()->IndexOf(u"port"));
    EXPECT_EQ(window->GetList().GetRowText(portRow, CParameterListCtrl::kValueColumn), QStringLiteral("502"));
}

TEST_F(MainWindowTest, SaveThenOpenRoundTripsEveryOfferedModel)
{
    Open();
    QTemporaryDir files;
    for (int position = 0; position < 6; ++position) {
        SCOPED_TRACE(position);
        ChooseModel(position);
        CDevInterface& saved = *window->GetCurrentSet();
        saved.GetParameter(u"tag").SetText(QStringLiteral("rt-%1").arg(position));
        const std::vector<std::uint16_t> words = AllWords(saved);
        const std::uint16_t code = saved.GetModelCode();
        const std::uint32_t firmware = saved.GetFirmware();

        // Without a suffix the dialog adds "cfg".
        EXPECT_EQ(RunFileCommand(CKORVADlg::kSaveFile, files.filePath(QStringLiteral("model-%1").arg(position))),
                  QFileDialog::AcceptSave);
        const QString path = files.filePath(QStringLiteral("model-%1.cfg").arg(position));
        ASSERT_TRUE(QFile::exists(path));

        ChooseModel((position + 1) % 6);
        QString offered;
        EXPECT_EQ(RunFileCommand(CKORVADlg::kOpenFile, path, &offered), QFileDialog::AcceptOpen);
        EXPECT_EQ(offered, QDir(files.path()).absolutePath()) << "the last directory is offered";
        EXPECT_EQ(window->GetModelCombo().currentIndex(), position);
        const CDevInterface& loaded = *window->GetCurrentSet();
        EXPECT_EQ(loaded.GetModelCode(), code);
        EXPECT_EQ(loaded.GetFirmware(), firmware);
        EXPECT_EQ(AllWords(loaded), words);
        EXPECT_EQ(window->GetList().GetDevice(), window->GetCurrentSet());
        EXPECT_EQ(window->GetList().GetRowText(0, CParameterListCtrl::kValueColumn),
                  QStringLiteral("rt-%1").arg(position));
    }
}

TEST_F(MainWindowTest, SaveChecksTheSetBeforeAskingForAFile)
{
    Open();
    ChooseModel(1); // VK20A
    window->GetCurrentSet()->GetParameter(u"wlansecurity").SetValue(1); // a 13-character key
    MessageBoxAnswer boxes;
    ModalAnswer<QFileDialog> files([](QFileDialog& dialog) { dialog.reject(); });
    Command(CKORVADlg::kSaveFile);
    EXPECT_EQ(boxes.Texts(), QStringList{CPrivateException("wlan.wep64err").ErrorText()});
    EXPECT_EQ(boxes.Icons(), QList<QMessageBox::Icon>{QMessageBox::Warning});
    EXPECT_EQ(files.Count(), 0);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, ABrokenFileChangesNothing)
{
    Open();
    ChooseModel(4);
    const std::shared_ptr<CDevInterface> before = window->GetCurrentSet();
    QTemporaryDir files;
    const std::pair<const char*, const char*> broken[] = {
        {"garbage.cfg", "this is no XML"},
        {"language.cfg", "<root><application>KORVA</application><filetype>language</filetype></root>"},
        {"unknown.cfg", "<root><application>KORVA</application><filetype>configuration</filetype>"
                        "<version>1.5</version><device>6009</device><devver>0</devver></root>"},
    };
    for (const auto& [name, content] : broken) {
        SCOPED_TRACE(name);
        QFile file(files.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        MessageBoxAnswer boxes;
        RunFileCommand(CKORVADlg::kOpenFile, file.fileName());
        EXPECT_EQ(boxes.Texts().size(), 1);
        EXPECT_EQ(window->GetCurrentSet(), before);
        EXPECT_EQ(window->GetList().GetDevice(), before);
        EXPECT_EQ(window->GetModelCombo().currentIndex(), 4);
    }
}

TEST_F(MainWindowTest, LanguageSwitchesAfterAShortDelayAndIsRemembered)
{
    Open();
    const QToolButton& read = window->GetCommandButton(CKORVADlg::kReadDevice);
    QElapsedTimer clock;
    clock.start();
    Command(CKORVADlg::kSwitchLanguage);
    EXPECT_EQ(read.text(), QStringLiteral("Read from Device")) << "not at once";
    EXPECT_TRUE(window->IsLanguageSwitchPending());
    QTRY_COMPARE_WITH_TIMEOUT(read.text(), QStringLiteral("機器から読み込み"), 2000);
    EXPECT_GE(clock.elapsed(), 90);
    EXPECT_EQ(StoredLanguage(), QStringLiteral("Japanese.lng"));

    // Every text of the window follows.
    const CResourceDatabase& japanese = CResourceDatabase::Instance();
    EXPECT_EQ(japanese.GetLanguageName(), QStringLiteral("日本語"));
    for (int i = 0; i < CKORVADlg::kCommandCount; ++i)
        EXPECT_EQ(window->GetCommandButton(CKORVADlg::kReadDevice + i).text(),
                  japanese.GetMessageText(QStringLiteral("tb%1").arg(i)));
    EXPECT_EQ(window->findChild<QLabel*>()->text(), japanese.GetGuiText(CKORVADlg::kDialogId, CKORVADlg::kModelLabelId));
    for (int position = 0; position < 6; ++position)
        EXPECT_EQ(window->GetModelCombo().itemText(position),
                  CDevType::GetModelName(window->GetModelCombo().itemData(position).toInt()));
    const CDevInterface& shown = *window->GetCurrentSet();
    EXPECT_EQ(window->GetList().GetRowText(0, CParameterListCtrl::kNameColumn),
              shown.GetAt(1).GetName());

    // Two clicks in quick succession come back to where they started.
    Command(CKORVADlg::kSwitchLanguage);
    Command(CKORVADlg::kSwitchLanguage);
    QTRY_VERIFY_WITH_TIMEOUT(!window->IsLanguageSwitchPending(), 2000);
    EXPECT_EQ(read.text(), QStringLiteral("機器から読み込み"));
    EXPECT_EQ(StoredLanguage(), QStringLiteral("Japanese.lng"));

    // The next start uses the stored language.
    window.reset();
    Open();
    EXPECT_EQ(window->GetCommandButton(CKORVADlg::kReadDevice).text(), QStringLiteral("機器から読み込み"));
}

TEST_F(MainWindowTest, AnUnknownStoredLanguageIsReportedAndTheSwitchGoesToJapanese)
{
    QSettings(profile.FilePath(), QSettings::NativeFormat).setValue(QStringLiteral("Settings/DisplayLanguage"),
                                                                     QStringLiteral("Custom.lng"));
    {
        MessageBoxAnswer boxes;
        Open();
        ASSERT_EQ(boxes.Texts().size(), 1);
        EXPECT_TRUE(boxes.Texts()[0].contains(QStringLiteral("Custom.lng")));
        EXPECT_EQ(boxes.Icons()[0], QMessageBox::Critical);
    }
    EXPECT_TRUE(window->isVisible()) << "the program goes on";
    Command(CKORVADlg::kSwitchLanguage);
    QTRY_COMPARE_WITH_TIMEOUT(StoredLanguage(), QStringLiteral("Japanese.lng"), 2000);
    EXPECT_EQ(window->GetCommandButton(CKORVADlg::kReadDevice).text(), QStringLiteral("機器から読み込み"));
}

TEST_F(MainWindowTest, EnterAndEscapeNeverCloseTheWindow)
{
    Open();
    CParameterListCtrl& list = window->GetList();
    QComboBox& models = window->GetModelCombo();
    models.setFocus();
    QTest::keyClick(&models, Qt::Key_Return);
    QTest::keyClick(&models, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(list.IsEditing());

    // Enter on the list edits the selected row; Escape drops the edit.
    list.setFocus();
    list.SelectRow(list.RowOfParameter(window->GetCurrentSet()->IndexOf(u"port")));
    QTest::keyClick(&list, Qt::Key_Return);
    CEditText& editor = list.GetEditor().GetTextEditor();
    ASSERT_TRUE(editor.isVisible());
    QTest::keyClicks(&editor, QStringLiteral("9"));
    QTest::keyClick(&editor, Qt::Key_Escape);
    EXPECT_FALSE(list.IsEditing());
    EXPECT_EQ(window->GetCurrentSet()->GetParameter(u"port").GetText(), QStringLiteral("502"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(list.hasFocus());

    // Only a close request ends it, with the result 0 and no question.
    ModalAnswer<QDialog> questions([](QDialog& dialog) { dialog.reject(); });
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), 0);
    EXPECT_EQ(questions.Count(), 0);
}

TEST_F(MainWindowTest, DeviceCommandsDoNothingVisibleYet)
{
    Open();
    const std::shared_ptr<CDevInterface> before = window->GetCurrentSet();
    ModalAnswer<QDialog> anything([](QDialog& dialog) { dialog.reject(); });
    for (const int command : {CKORVADlg::kReadDevice, CKORVADlg::kWriteDevice, CKORVADlg::kMonitor}) {
        Command(command);
        QTest::qWait(30);
    }
    EXPECT_EQ(anything.Count(), 0);
    EXPECT_EQ(window->GetCurrentSet(), before);
    EXPECT_TRUE(window->isVisible());
}

} // namespace
