#pragma once
// A small yellow label that the text editor puts under itself to show how many bytes the text
// being typed takes on the device. It sizes itself to exactly its text.

#include "app/CResourceManager.h"

#include <QSize>
#include <QWidget>

class CPopupWindow : public QWidget, private CResourceManager {
    Q_OBJECT
public:
    static constexpr int kControlId = 101;

    CPopupWindow();
    ~CPopupWindow() override;

    // Makes this a visible child of `parent` at (x, y) in the parent's coordinates, above its
    // siblings, showing the current count.
    void Create(QWidget& parent, int x, int y);
    void SetCount(int count);

    int GetCount() const { return m_count; }
    QString GetText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FitToText();

    int m_count = 0;
    QSize m_textSize{0, 0};
};
