#include "ui/CEditComboBox.h"

#include "app/widgets/DialogTexts.h"

#include <QAbstractItemView>
#include <QFocusEvent>

CEditComboBox::CEditComboBox()
{
    setProperty(kControlIdProperty, kControlId);
    setEditable(false);
    hide();
    connect(this, &QComboBox::activated, this, &CEditComboBox::OnActivated);
}

CEditComboBox::~CEditComboBox() = default;

void CEditComboBox::Open(const QRect& cell)
{
    setGeometry(cell);
    m_committed = false;
    m_open = true;
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
    showPopup();
}

void CEditComboBox::Close()
{
    m_open = false;
    QComboBox::hidePopup();
    hide();
}

void CEditComboBox::hidePopup()
{
    QComboBox::hidePopup();
    // When the drop-down closes with a choice, the choice is announced right after it has
    // closed (some styles flash the entry in between). Whether one came is therefore decided
    // once the event that closed the list has been handled.
    if (m_open)
        QMetaObject::invokeMethod(this, &CEditComboBox::OnPopupClosed, Qt::QueuedConnection);
}

void CEditComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    // The drop-down takes the focus while it is open (on some platforms by becoming the active
    // window); its closing is handled in hidePopup.
    if (m_open && isVisible() && event->reason() != Qt::PopupFocusReason && !view()->window()->isVisible())
        Finish(false);
}

void CEditComboBox::OnActivated(int)
{
    if (m_open)
        Finish(true);
}

void CEditComboBox::OnPopupClosed()
{
    if (m_open)
        Finish(false);
}

void CEditComboBox::Finish(bool committed)
{
    m_open = false;
    m_committed = committed;
    hide();
    Notify();
}
