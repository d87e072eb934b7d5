#pragma once
// The modal progress window of a device read or write. The task on the worker thread moves the
// bar and reads the cancel request; the window never closes itself: Cancel only asks (and tells
// the observers), and the owner ends the window once the task has finished.

#include "app/CResourceManager.h"
#include "connection/CObservable.h"

#include <QDialog>

#include <atomic>

class QLabel;
class QProgressBar;
class QPushButton;

class CProgressDialog : public QDialog, private CResourceManager, public CObservable {
    Q_OBJECT
public:
    static constexpr int kDialogId = 133;
    static constexpr int kTextId = 1015;
    static constexpr int kBarId = 1016;
    static constexpr int kCancelId = 2;
    // The bar's positions: fine enough for any number of parameters.
    static constexpr int kRange = 1000000000;

    enum Mode { kReading = 0, kWriting = 1 };

    explicit CProgressDialog(QWidget* parent = nullptr);
    ~CProgressDialog() override;

    // Shows the window modally for a read (kReading) or a write (kWriting); returns when
    // EndProgress ends it.
    int RunModal(int mode);
    // Any thread. `fraction` 0 to 1 of the work done; values outside are held at the ends.
    void SetProgress(double fraction);
    // Ends the modal loop without counting as a cancel request.
    void EndProgress();
    // Any thread: the user has pressed Cancel.
    bool IsCancelRequested() const { return m_cancel.load(); }
    int GetMode() const { return m_mode; }

public slots:
    // Enter does not end the window.
    void accept() override;
    // Cancel and Escape: request the cancel and tell the observers; the window stays.
    void reject() override;

private:
    void Initialize();

    std::atomic<bool> m_cancel{false};
    int m_mode = kReading;
    QLabel* m_text;
    QProgressBar* m_bar;
    QPushButton* m_cancelButton;
};
