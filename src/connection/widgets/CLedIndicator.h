#pragma once
// A round lamp drawn in a small control: the monitor window's activity lamp.

#include <QColor>
#include <QWidget>

class CLedIndicator : public QWidget {
    Q_OBJECT
public:
    explicit CLedIndicator(QWidget* parent = nullptr);
    ~CLedIndicator() override;

    void SetColor(const QColor& colour);
    QColor GetColor() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour{Qt::black};
};
