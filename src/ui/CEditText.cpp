#include "ui/CEditText.h"

#include "app/Utf8ByteCount.h"
#include "app/widgets/DialogTexts.h"
#include "connection/widgets/CPopupWindow.h"

#include <QFocusEvent>
#include <QKeyEvent>

CEditText::CEditText()
{
    setProperty(kControlIdProperty, kControlId);
    setMaxLength(kMaxCharacters);
    setFrame(true);
    hide();
    connect(this, &QLineEdit::textChanged, this, &CEditText::OnTextChanged);
}

CEditText::~CEditText() = default;

void CEditText::Open(const QRect& cell, const QString* text, bool countBytes)
{
    m_countBytes = false;
    setGeometry(cell);
    if (text)
        setText(*text);
    // Switched on after the text is filled in: the counter appears with the first change.
    m_countBytes = countBytes;
    m_committed = false;
    m_navigation = kStay;
    m_open = true;
    show();
    raise();
    selectAll();
    setFocus(Qt::OtherFocusReason);
}

void CEditText::Close()
{
    m_open = false;
    hide();
}

void CEditText::keyPressEvent(QKeyEvent* event)
{
    if (m_open) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Finish(true, kStay);
            return;
        case Qt::Key_Down:
            Finish(true, kNextRow);
            return;
        case Qt::Key_Up:
            Finish(true, kPreviousRow);
            return;
        default:
            break;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void CEditText::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu of the field takes the focus only for a moment.
    if (m_open && isVisible() && event->reason() != Qt::PopupFocusReason)
        Finish(false, kStay);
}

void CEditText::hideEvent(QHideEvent* event)
{
    m_counter.reset();
    QLineEdit::hideEvent(event);
}

void CEditText::OnTextChanged(const QString& text)
{
    if (!m_countBytes || !isVisible() || !parentWidget())
        return;
    if (!m_counter) {
        m_counter = std::make_unique<CPopupWindow>();
        const QPoint corner = geometry().bottomLeft() + QPoint(0, 1);
        m_counter->Create(*parentWidget(), corner.x(), corner.y());
    }
    m_counter->SetCount(Utf8ByteCount(text));
}

void CEditText::Finish(bool committed, int navigation)
{
    // Reported once per opening: hiding below moves the focus away, which must not count as a
    // second, cancelling end.
    m_open = false;
    m_committed = committed;
    m_navigation = navigation;
    hide();
    Notify();
}
