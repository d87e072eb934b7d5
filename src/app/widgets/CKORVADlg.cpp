#include "app/widgets/CKORVADlg.h"

#include "app/CResourceDatabase.h"
#include "app/ConfigurationFile.h"
#include "app/DisplayLanguage.h"
#include "app/FileDialogFilter.h"
#include "app/ModelChoice.h"
#include "app/WindowTitle.h"
#include "app/widgets/DialogTexts.h"
#include "app/widgets/ErrorReport.h"
#include "model/CDevInterface.h"
#include "modbus/CDebugTrace.h"
#include "modbus/CException.h"
#include "ui/CParameterListCtrl.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kConfigurationSuffix = QStringLiteral("cfg");

// The list's preferred size, in average characters and rows; the window is made smaller when
// the screen is (large scaling on a small screen).
constexpr int kListWidthInCharacters = 76;
constexpr int kListHeightInRows = 22;
constexpr int kMinimumListWidthInCharacters = 40;
constexpr int kMinimumListHeightInRows = 6;

template <typename Widget>
Widget* WithId(Widget* widget, int id)
{
    widget->setProperty(kControlIdProperty, id);
    return widget;
}

} // namespace

CKORVADlg::CKORVADlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_toolbarBand(new QWidget(this)),
      m_list(new CParameterListCtrl(this)),
      m_modelLabel(WithId(new QLabel(QStringLiteral("Model"), this), kModelLabelId)),
      m_modelCombo(WithId(new QComboBox(this), kModelComboId))
{
    setWindowTitle(QStringLiteral("KORVA"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("korva")));

    // The toolbar: six text buttons side by side across the whole width. Like a toolbar's
    // buttons they take no keyboard focus.
    auto* bandLayout = new QHBoxLayout(m_toolbarBand);
    bandLayout->setContentsMargins(0, 0, 0, 0);
    bandLayout->setSpacing(0);
    for (int i = 0; i < kCommandCount; ++i) {
        const int command = kReadDevice + i;
        auto* button = WithId(new QToolButton(m_toolbarBand), command);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, command] { OnCommand(command); });
        bandLayout->addWidget(button);
        m_commandButtons[static_cast<std::size_t>(i)] = button;
    }
    bandLayout->addStretch();

    m_modelLabel->setBuddy(m_modelCombo);
    m_modelCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_modelCombo, &QComboBox::activated, this, &CKORVADlg::OnModelChosen);

    auto* modelRow = new QHBoxLayout;
    modelRow->addWidget(m_modelLabel);
    modelRow->addWidget(m_modelCombo);
    modelRow->addStretch();

    // The band ends in a rule, as a toolbar band does.
    auto* band = new QWidget(this);
    auto* bandColumn = new QVBoxLayout(band);
    bandColumn->setContentsMargins(0, 0, 0, 0);
    bandColumn->setSpacing(0);
    bandColumn->addWidget(m_toolbarBand);
    auto* rule = new QFrame(band);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    bandColumn->addWidget(rule);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(band);
    layout->addLayout(modelRow);
    layout->addWidget(m_list);
    setTabOrder(m_list, m_modelCombo);

    m_languageTimer.setSingleShot(true);
    m_languageTimer.setInterval(kLanguageDelay);
    connect(&m_languageTimer, &QTimer::timeout, this, &CKORVADlg::OnLanguageTimer);

    m_list->AddObserver(*this);
    InitDialog();
}

CKORVADlg::~CKORVADlg() = default;

void CKORVADlg::InitDialog()
{
    setWindowTitle(BuildWindowTitle());
    m_settings.LoadSettings();

    // The window's own colour is the list's, as the list fills most of it: white on a light
    // desktop theme, and still dark on a dark one.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Base));
    setPalette(colours);
    setAutoFillBackground(true);

    ApplyDialogFont(*this);
    m_list->Initialize();
    CResourceDatabase::Instance().ResetDatabase();
    RebuildUi();

    const QFontMetrics metrics(m_list->font());
    const int rowHeight = std::max(1, m_list->sizeHintForRow(0));
    m_list->setMinimumSize(metrics.averageCharWidth() * kListWidthInCharacters, rowHeight * kListHeightInRows);
    QSize size = sizeHint();
    if (const QScreen* display = screen()) {
        // On a small screen with large scaling the list gives up room, down to a usable size.
        const QSize room = display->availableGeometry().size() * 9 / 10;
        const QSize excess = (size - room).expandedTo(QSize(0, 0));
        m_list->setMinimumSize(
            std::max(metrics.averageCharWidth() * kMinimumListWidthInCharacters, m_list->minimumWidth() - excess.width()),
            std::max(rowHeight * kMinimumListHeightInRows, m_list->minimumHeight() - excess.height()));
        size = sizeHint();
    }
    // Not resizable, like the dialog it is.
    setFixedSize(size);
    m_sized = true;
    SizeCommandButtons();
    m_list->setFocus(Qt::OtherFocusReason);
}

void CKORVADlg::RebuildUi()
{
    m_list->HideEditors();
    try {
        LoadDisplayLanguage(m_settings.GetLanguageFile());
    } catch (const CException& error) {
        // The program goes on with whatever texts the database holds.
        ReportError(error, QMessageBox::Critical, this);
    }
    ApplyDialogFont(*this);
    // A title entry of the language left before must not outlive it.
    setWindowTitle(BuildWindowTitle());
    ApplyDialogTexts(kDialogId, *this);

    const CResourceDatabase& database = CResourceDatabase::Instance();
    for (int i = 0; i < kCommandCount; ++i) {
        QToolButton* button = m_commandButtons[static_cast<std::size_t>(i)];
        const QString text = database.GetMessageText(QStringLiteral("tb%1").arg(i));
        button->setText(text);
        button->setToolTip(text);
    }
    SizeCommandButtons();

    FillModelCombo();
    if (!m_currentSet)
        m_currentSet = CreateChosenModel(m_modelCombo->currentData().toInt());
    ShowCurrentSet();
}

void CKORVADlg::FillModelCombo()
{
    const int selected = m_modelCombo->currentIndex();
    m_modelCombo->clear();
    for (const ModelChoice& choice : OfferedModelChoices())
        m_modelCombo->addItem(choice.displayName, choice.registryRow);
    m_modelCombo->setCurrentIndex(selected >= 0 ? selected : 0);
}

void CKORVADlg::SizeCommandButtons()
{
    int widest = 0;
    for (QToolButton* button : m_commandButtons)
        widest = std::max(widest, button->sizeHint().width());
    // Until the window has its size, the buttons ask for the room their texts need; then each
    // takes a sixth of the width. A language with longer texts widens the window rather than
    // cutting them.
    if (m_sized && widest * kCommandCount > width())
        setFixedWidth(widest * kCommandCount);
    const int buttonWidth = m_sized ? width() / kCommandCount : widest;
    const int buttonHeight = fontMetrics().height() * 2;
    for (QToolButton* button : m_commandButtons)
        button->setFixedSize(buttonWidth, buttonHeight);
}

void CKORVADlg::ShowCurrentSet()
{
    m_list->SetDevice(m_currentSet, false);
}

QToolButton& CKORVADlg::GetCommandButton(int command) const
{
    return *m_commandButtons.at(static_cast<std::size_t>(command - kReadDevice));
}

void CKORVADlg::OnCommand(int command)
{
    try {
        switch (command) {
        case kSaveFile:
            OnSaveFile();
            break;
        case kOpenFile:
            OnOpenFile();
            break;
        case kSwitchLanguage:
            OnSwitchLanguage();
            break;
        case kReadDevice:
        case kWriteDevice:
        case kMonitor:
            // The device commands are wired in with the device exchange.
            break;
        default:
            break;
        }
    } catch (const CException& error) {
        ReportCommandError(error);
        return;
    }
    m_toolbarBand->update();
}

void CKORVADlg::ReportCommandError(const CException& error)
{
    ReportError(error, QMessageBox::Warning, this);
}

void CKORVADlg::OnModelChosen(int position)
{
    // Choosing a model, the one shown included, starts over with its default values.
    m_currentSet = CreateChosenModel(m_modelCombo->itemData(position).toInt());
    ShowCurrentSet();
}

void CKORVADlg::OnSaveFile()
{
    m_currentSet->CheckConsistency();
    const QString path = AskFileName(true);
    if (!path.isEmpty())
        SaveConfigurationFile(*m_currentSet, path);
}

void CKORVADlg::OnOpenFile()
{
    const QString path = AskFileName(false);
    if (path.isEmpty())
        return;
    // Until the file has been read completely, the current set stays as it is.
    std::shared_ptr<CDevInterface> loaded = LoadConfigurationFile(path);
    m_currentSet = std::move(loaded);
    SelectModelOfCurrentSet();
}

QString CKORVADlg::AskFileName(bool save)
{
    const CResourceDatabase& database = CResourceDatabase::Instance();
    QFileDialog dialog(this, database.GetMessageText(save ? u"tb2" : u"tb3"),
                       m_lastDirectory.isEmpty() ? QDir::homePath() : m_lastDirectory);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = FileDialogFilters(database.GetMessageText(u"fopenfilter"));
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(kConfigurationSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    m_lastDirectory = QFileInfo(path).absolutePath();
    return path;
}

void CKORVADlg::SelectModelOfCurrentSet()
{
    const int position = FindModelChoice(*m_currentSet);
    if (position >= 0)
        m_modelCombo->setCurrentIndex(position);
    ShowCurrentSet();
}

void CKORVADlg::OnSwitchLanguage()
{
    m_settings.SetLanguageFile(NextLanguageFile(m_settings.GetLanguageFile()));
    // A second click before the timer ran starts it again.
    m_languageTimer.start();
}

void CKORVADlg::OnLanguageTimer()
{
    RebuildUi();
    // Stored only now that the new language file has been tried.
    m_settings.SaveSettings();
}

void CKORVADlg::Update(void*)
{
    // The parameter list tells about every accepted edit; the main window needs no news of it.
}

void CKORVADlg::accept()
{
}

void CKORVADlg::reject()
{
    if (m_list->IsEditing())
        m_list->HideEditors();
}

void CKORVADlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (focusWidget() == m_list)
            m_list->BeginEdit(-1, false);
        event->accept();
        return;
    case Qt::Key_Escape:
        reject();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CKORVADlg::closeEvent(QCloseEvent* event)
{
    // Closing asks nothing: what was neither written nor saved is dropped.
    done(QDialog::Rejected);
    event->accept();
}

void CKORVADlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    SizeCommandButtons();
}

void CKORVADlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (!m_shown) {
        m_shown = true;
        CDebugTrace::Write(QStringLiteral("Main window shown\n"));
    }
}
