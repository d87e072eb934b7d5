#pragma once
// The channel panel laid under a channel row's value cell: one check box per channel, at most
// ten checked, and OK. OK stores the checked channels in box order; Escape cancels; when the
// focus leaves the panel it closes without a result.

#include "connection/CObservable.h"
#include "model/CParValue.h"

#include <QFrame>
#include <QTimer>

#include <array>
#include <chrono>

class QCheckBox;
class QPushButton;

class CEditChannel : public QFrame, public CObservable {
    Q_OBJECT
public:
    static constexpr int kFirstBoxId = 1076;
    static constexpr int kOkId = 1;
    static constexpr int kBoxCount = 43;
    // How often the panel looks whether the focus is still inside it.
    static constexpr std::chrono::milliseconds kFocusCheckInterval{100};

    CEditChannel();
    ~CEditChannel() override;

    // Shows the panel with its top-left corner at `topLeft` (parent coordinates) for one edit of
    // `image`, offering channels 1 to `channelCount`, and puts the focus on the first box.
    void Open(const CParValue& image, int channelCount, const QPoint& topLeft);
    // Hides the panel without reporting.
    void Close();

    bool IsCommitted() const { return m_committed; }
    // The edited register image; holds the chosen channels once OK was pressed.
    const CParValue& GetValue() const { return m_image; }
    int GetChannelCount() const { return m_channelCount; }
    // Box `channel` (1 to 43).
    QCheckBox& Box(int channel) const;
    QPushButton& OkButton() const { return *m_ok; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnOk();
    void OnCancel();
    void OnFocusCheck();
    void ApplyEnablingRule();
    void End(bool committed);

    std::array<QCheckBox*, kBoxCount> m_boxes{};
    QPushButton* m_ok;
    QTimer m_focusCheck;
    CParValue m_image;
    bool m_open = false;
    bool m_committed = false;
    int m_channelCount = 28;
};
