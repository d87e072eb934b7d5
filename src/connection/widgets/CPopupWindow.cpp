#include "connection/widgets/CPopupWindow.h"

#include "app/CResourceDatabase.h"
#include "app/widgets/DialogTexts.h"
#include "modbus/CMessageFormatter.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include <array>

namespace {

// A fixed light yellow, so the text is drawn in a fixed dark colour too: a dark desktop theme
// must not give it light text on this background.
const QColor kFillColour(255, 255, 200);
const QColor kTextColour(Qt::black);

} // namespace

CPopupWindow::CPopupWindow()
{
    setObjectName(QStringLiteral("popup"));
    setProperty(kControlIdProperty, kControlId);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setFont(GetDialogFont());
    hide();
}

CPopupWindow::~CPopupWindow() = default;

void CPopupWindow::Create(QWidget& parent, int x, int y)
{
    setParent(&parent);
    m_textSize = QSize(0, 0);
    setGeometry(x, y, 1, 1);
    raise();
    FitToText();
    show();
}

void CPopupWindow::SetCount(int count)
{
    m_count = count;
    FitToText();
    update();
}

QString CPopupWindow::GetText() const
{
    const std::array<CMessageArgument, 1> args{CMessageArgument(m_count)};
    return CMessageFormatter::FormatInserts(CResourceDatabase::Instance().GetMessageText(u"pup.count"), args);
}

void CPopupWindow::FitToText()
{
    const QFontMetrics metrics(font());
    const QSize size(metrics.horizontalAdvance(GetText()), metrics.height());
    if (size != m_textSize) {
        m_textSize = size;
        resize(size);
    }
}

void CPopupWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kFillColour);
    painter.setPen(kTextColour);
    painter.setFont(font());
    painter.drawText(QRect(QPoint(0, 0), m_textSize), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, GetText());
}

void CPopupWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        FitToText();
    QWidget::changeEvent(event);
}
