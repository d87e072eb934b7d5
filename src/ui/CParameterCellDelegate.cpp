#include "ui/CParameterCellDelegate.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>

namespace {

// Value cells of even rows are shaded by 5 %, of odd rows by 10 %.
constexpr double kEvenRowShade = 0.05;
constexpr double kOddRowShade = 0.10;

// Parameter rows carry their parameter index; group headings carry none.
bool IsHeading(const QModelIndex& index)
{
    return !index.data(CParameterCellDelegate::kIndexRole).isValid();
}

} // namespace

CParameterCellDelegate::CParameterCellDelegate(std::function<bool(int)> isGreyed, QObject* parent)
    : QStyledItemDelegate(parent), m_isGreyed(std::move(isGreyed))
{
}

CParameterCellDelegate::~CParameterCellDelegate() = default;

QColor CParameterCellDelegate::Shade(const QColor& colour, double factor)
{
    const QColor rgb = colour.toRgb();
    const bool dark = rgb.red() + rgb.green() + rgb.blue() < 384;
    const double scale = dark ? 1.0 + factor : 1.0 - factor;
    const auto channel = [scale](int value) { return std::clamp(static_cast<int>(value * scale), 0, 255); };
    return QColor(channel(rgb.red()), channel(rgb.green()), channel(rgb.blue()));
}

void CParameterCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant parameter = index.data(kIndexRole);
    if (!parameter.isValid())
        return;
    const QPalette& palette = option->palette;
    const QColor text = m_isGreyed(parameter.toInt()) ? palette.color(QPalette::Disabled, QPalette::Text)
                                                      : palette.color(QPalette::Active, QPalette::Text);
    option->palette.setColor(QPalette::Text, text);
    if (index.column() == kValueColumn) {
        const int row = index.data(kRowRole).toInt();
        option->backgroundBrush = Shade(palette.color(QPalette::Base), row % 2 == 0 ? kEvenRowShade : kOddRowShade);
    }
}

void CParameterCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    if (IsHeading(index)) {
        PaintHeading(painter, option, index);
        return;
    }
    QStyledItemDelegate::paint(painter, option, index);
}

void CParameterCellDelegate::PaintHeading(QPainter* painter, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const
{
    // A heading reads like a group title: bold, followed by a thin rule to the right edge.
    painter->save();
    QFont bold = option.font;
    bold.setBold(true);
    painter->setFont(bold);
    painter->setPen(option.palette.color(QPalette::Active, QPalette::Text));
    const QRect area = option.rect.adjusted(4, 0, -4, 0);
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    const int textWidth = QFontMetrics(bold).horizontalAdvance(text);
    const int y = area.center().y();
    if (area.left() + textWidth + 8 < area.right()) {
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(area.left() + textWidth + 8, y, area.right(), y);
    }
    painter->restore();
}

QSize CParameterCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), m_rowHeight));
    return size;
}
