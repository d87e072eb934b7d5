#pragma once
// Draws the cells of the parameter list: grey text on rows that cannot be edited now, value
// cells shaded a little, alternating by row, and the group headings. Every colour comes from
// the list's palette, so a dark desktop theme stays readable.

#include <QColor>
#include <QStyledItemDelegate>

#include <functional>

class CParameterCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Item data of every cell: the parameter index, and for value rows their running number.
    static constexpr int kIndexRole = Qt::UserRole + 1;
    static constexpr int kRowRole = Qt::UserRole + 2;
    static constexpr int kValueColumn = 1;

    // `isGreyed` answers for a parameter index.
    explicit CParameterCellDelegate(std::function<bool(int)> isGreyed, QObject* parent = nullptr);
    ~CParameterCellDelegate() override;

    // The colour a value cell's background takes from the window colour: lighter on a dark
    // colour, darker on a light one, by `factor` of each channel.
    static QColor Shade(const QColor& colour, double factor);

    // Rows are at least this high, so that an editor fits the cell it opens over.
    void SetRowHeight(int height) { m_rowHeight = height; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    void PaintHeading(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

    std::function<bool(int)> m_isGreyed;
    int m_rowHeight = 0;
};
