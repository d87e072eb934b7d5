#pragma once
// The drop-down choice list laid over the value cell of a list parameter. Choosing an entry
// commits it; closing the list without a choice, Escape, or leaving the field cancels.

#include "connection/CObservable.h"

#include <QComboBox>

class CEditComboBox : public QComboBox, public CObservable {
    Q_OBJECT
public:
    static constexpr int kControlId = 10001;

    CEditComboBox();
    ~CEditComboBox() override;

    // Shows the list over `cell` (parent coordinates) with its drop-down open, for one edit. The
    // entries are filled in before. The list reports once when the edit ends.
    void Open(const QRect& cell);
    // Hides the list without reporting.
    void Close();

    bool IsCommitted() const { return m_committed; }
    // The value of the chosen entry.
    int GetChosenValue() const { return currentData().toInt(); }

    void hidePopup() override;

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void OnActivated(int position);
    void OnPopupClosed();
    void Finish(bool committed);

    bool m_open = false;
    bool m_committed = false;
};
