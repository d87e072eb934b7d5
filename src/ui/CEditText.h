#pragma once
// The one-line text editor laid over a value cell. Enter commits, the arrow keys commit and ask
// for the next or previous row, and leaving the field is the cancel. For free texts it shows the
// text's length in UTF-8 bytes in a small label under itself while the user types.

#include "connection/CObservable.h"

#include <QLineEdit>

#include <memory>

class CPopupWindow;

class CEditText : public QLineEdit, public CObservable {
    Q_OBJECT
public:
    static constexpr int kControlId = 10000;
    // What a row's text may hold at most; longer typed or pasted text is cut.
    static constexpr int kMaxCharacters = 99;

    enum Navigation { kStay = 0, kNextRow = 1, kPreviousRow = 2 };

    CEditText();
    ~CEditText() override;

    // Shows the editor over `cell` (parent coordinates) for one edit, with `text` when given or
    // the text it holds (an edit reopened after a refused entry), all of it selected, and the
    // byte counter on or off. The editor reports once when the edit ends.
    void Open(const QRect& cell, const QString* text, bool countBytes);
    // Hides the editor without reporting.
    void Close();

    bool IsCommitted() const { return m_committed; }
    int GetNavigation() const { return m_navigation; }
    // The counter label while it exists; null before the first change of an edit.
    const CPopupWindow* GetCounter() const { return m_counter.get(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void OnTextChanged(const QString& text);
    void Finish(bool committed, int navigation);

    bool m_open = false;
    bool m_committed = false;
    int m_navigation = kStay;
    bool m_countBytes = false;
    // A sibling of the editor; it exists from the first change of an edit until the editor hides.
    std::unique_ptr<CPopupWindow> m_counter;
};
