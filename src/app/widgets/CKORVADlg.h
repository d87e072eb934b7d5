#pragma once
// The configuration program's main window, open for the program's whole life: the toolbar of
// commands, the model chooser and the parameter list of the current parameter set. It wires
// these widgets to the core: model creation, configuration files, the display language.

#include "app/CAppSettings.h"
#include "app/CResourceManager.h"
#include "connection/CObserver.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <chrono>
#include <memory>

class CDevInterface;
class CException;
class CParameterListCtrl;
class QComboBox;
class QLabel;
class QToolButton;
class QWidget;

class CKORVADlg : public QDialog, public CResourceManager, public CObserver {
    Q_OBJECT
public:
    static constexpr int kDialogId = 102;
    static constexpr int kModelLabelId = 1013;
    static constexpr int kModelComboId = 1014;

    // Toolbar commands, in button order; the text of each is the message "tb0" .. "tb5".
    enum Command {
        kReadDevice = 1001,
        kWriteDevice = 1002,
        kSaveFile = 1003,
        kOpenFile = 1004,
        kMonitor = 1005,
        kSwitchLanguage = 1006,
    };
    static constexpr int kCommandCount = 6;
    // The language changes this long after the click, so the click's own painting ends first.
    static constexpr std::chrono::milliseconds kLanguageDelay{100};

    explicit CKORVADlg(QWidget* parent = nullptr);
    ~CKORVADlg() override;

    // Selects the chooser entry whose model fits the current set (after a read or a file load)
    // and shows the set.
    void SelectModelOfCurrentSet();
    // Shows an error that ended a toolbar command; the window stays usable.
    void ReportCommandError(const CException& error);

    const std::shared_ptr<CDevInterface>& GetCurrentSet() const { return m_currentSet; }
    const CAppSettings& GetSettings() const { return m_settings; }
    CParameterListCtrl& GetList() const { return *m_list; }
    QComboBox& GetModelCombo() const { return *m_modelCombo; }
    QToolButton& GetCommandButton(int command) const;
    bool IsLanguageSwitchPending() const { return m_languageTimer.isActive(); }

    void Update(void* source) override;

public slots:
    // Enter and Escape never close the window.
    void accept() override;
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void InitDialog();
    void RebuildUi();
    void FillModelCombo();
    void SizeCommandButtons();
    void OnCommand(int command);
    void OnModelChosen(int position);
    void OnSaveFile();
    void OnOpenFile();
    void OnSwitchLanguage();
    void OnLanguageTimer();
    // The file chosen in the save or open dialog; empty when the user cancelled.
    QString AskFileName(bool save);
    void ShowCurrentSet();

    CAppSettings m_settings;
    QTimer m_languageTimer;
    std::shared_ptr<CDevInterface> m_currentSet;
    QWidget* m_toolbarBand;
    std::array<QToolButton*, kCommandCount> m_commandButtons{};
    CParameterListCtrl* m_list;
    QLabel* m_modelLabel;
    QComboBox* m_modelCombo;
    // Offered by the next file dialog: where the last file was saved or opened.
    QString m_lastDirectory;
    bool m_sized = false;
    bool m_shown = false;
};
