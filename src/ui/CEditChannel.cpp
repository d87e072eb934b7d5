#include "ui/CEditChannel.h"

#include "app/ChannelSelection.h"
#include "app/widgets/DialogTexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPushButton>

namespace {

// Five columns of up to ten boxes: 1 to 10, 11 to 20, ... 41 to 43.
constexpr int kBoxesPerColumn = 10;
constexpr int kChannelWords = 10;

ChannelChecks ChecksOf(const std::array<QCheckBox*, CEditChannel::kBoxCount>& boxes)
{
    ChannelChecks checks{};
    for (std::size_t i = 0; i < boxes.size(); ++i)
        checks[i] = boxes[i]->isChecked();
    return checks;
}

} // namespace

CEditChannel::CEditChannel()
    : m_ok(new QPushButton(QStringLiteral("OK"), this)), m_image(0, kChannelWords, false)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(layout->horizontalSpacing() * 2);
    for (int box = 1; box <= kBoxCount; ++box) {
        auto* check = new QCheckBox(QString::number(box), this);
        check->setProperty(kControlIdProperty, kFirstBoxId + box - 1);
        // Boxes beyond the channel count are hidden but keep their place: the panel looks the
        // same for 28 and for 43 channels.
        QSizePolicy policy = check->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        check->setSizePolicy(policy);
        layout->addWidget(check, (box - 1) % kBoxesPerColumn, (box - 1) / kBoxesPerColumn);
        connect(check, &QCheckBox::toggled, this, &CEditChannel::ApplyEnablingRule);
        m_boxes[static_cast<std::size_t>(box - 1)] = check;
    }
    m_ok->setProperty(kControlIdProperty, kOkId);
    layout->addWidget(m_ok, kBoxesPerColumn - 2, 4, 2, 1, Qt::AlignBottom);
    connect(m_ok, &QPushButton::clicked, this, &CEditChannel::OnOk);

    m_focusCheck.setInterval(kFocusCheckInterval);
    connect(&m_focusCheck, &QTimer::timeout, this, &CEditChannel::OnFocusCheck);
    hide();
}

CEditChannel::~CEditChannel() = default;

QCheckBox& CEditChannel::Box(int channel) const
{
    return *m_boxes.at(static_cast<std::size_t>(channel - 1));
}

void CEditChannel::Open(const CParValue& image, int channelCount, const QPoint& topLeft)
{
    m_image = image;
    m_channelCount = channelCount;
    m_committed = false;
    resize(sizeHint());

    const ChannelChecks checks = ChannelsOfImage(m_image);
    for (int box = 1; box <= kBoxCount; ++box) {
        QCheckBox& check = Box(box);
        const QSignalBlocker blocker(check);
        check.setChecked(checks[static_cast<std::size_t>(box - 1)]);
        check.setVisible(box <= m_channelCount);
    }
    ApplyEnablingRule();

    move(topLeft);
    m_open = true;
    show();
    raise();
    m_focusCheck.start();
    Box(1).setFocus(Qt::OtherFocusReason);
}

void CEditChannel::Close()
{
    m_open = false;
    m_focusCheck.stop();
    hide();
}

void CEditChannel::ApplyEnablingRule()
{
    const ChannelChecks checks = ChecksOf(m_boxes);
    for (int box = 1; box <= kBoxCount; ++box)
        Box(box).setEnabled(IsChannelBoxSelectable(checks, box));
}

void CEditChannel::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        OnCancel();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // OK is the panel's default button.
        OnOk();
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}

void CEditChannel::OnOk()
{
    if (!m_open)
        return;
    StoreChannels(ChecksOf(m_boxes), m_image);
    End(true);
}

void CEditChannel::OnCancel()
{
    if (m_open)
        End(false);
}

void CEditChannel::OnFocusCheck()
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus == this || (focus && isAncestorOf(focus)))
        return;
    // Another window or control has the focus: the edit is dropped without a result.
    Close();
}

void CEditChannel::End(bool committed)
{
    m_open = false;
    m_committed = committed;
    m_focusCheck.stop();
    hide();
    Notify();
}
