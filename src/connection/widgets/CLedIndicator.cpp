#include "connection/widgets/CLedIndicator.h"

#include <QPainter>

#include <algorithm>

CLedIndicator::CLedIndicator(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CLedIndicator::~CLedIndicator() = default;

void CLedIndicator::SetColor(const QColor& colour)
{
    m_colour = colour;
    update();
}

void CLedIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    // The largest circle that fits, centred; its outline is the one-pixel black pen, drawn
    // inside the square so that it is not cut off at the right and bottom edges.
    const int diameter = std::min(width(), height());
    if (diameter <= 0)
        return;
    const int left = (width() - diameter) / 2;
    const int top = (height() - diameter) / 2;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_colour);
    painter.drawEllipse(QRectF(left + 0.5, top + 0.5, diameter - 1.0, diameter - 1.0));
}
