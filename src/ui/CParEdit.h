#pragma once
// The in-place editors of the parameter list and the one result they report: which editor
// committed (or none), the chosen list value, the typed text or the channel set, and whether the
// user asked to go on to the next or previous row. The list observes this coordinator; the
// coordinator observes the three editors.

#include "connection/CObservable.h"
#include "connection/CObserver.h"
#include "model/CParValue.h"
#include "ui/CEditChannel.h"
#include "ui/CEditComboBox.h"
#include "ui/CEditText.h"

#include <QString>

#include <cstdint>

class QWidget;

class CParEdit : public CObserver, public CObservable {
public:
    enum Result { kNotCommitted = 0, kChoiceCommitted = 1, kTextCommitted = 2, kChannelsCommitted = 3 };

    CParEdit();
    ~CParEdit() override;

    // Makes the editors hidden children of `parent` (the list's cell area) in `font`.
    void CreateEditors(QWidget& parent, const QFont& font);
    // Hides every editor; the open edit ends without a result.
    void HideEditors();
    // Some editor is showing.
    bool IsEditing() const;

    CEditComboBox& GetChoiceEditor() { return m_choiceEditor; }
    CEditText& GetTextEditor() { return m_textEditor; }
    CEditChannel& GetChannelEditor() { return m_channelEditor; }

    // The last edit's result, valid while the observers are told about it.
    int GetResult() const { return m_result; }
    std::int32_t GetChosenValue() const { return m_chosenValue; }
    const QString& GetText() const { return m_text; }
    int GetNavigation() const { return m_navigation; }
    const CParValue& GetChannelSet() const { return m_channelSet; }

    void Update(void* source) override;

private:
    int m_result = kNotCommitted;
    std::int32_t m_chosenValue = 0;
    QString m_text;
    int m_navigation = CEditText::kStay;
    CParValue m_channelSet;
    CEditComboBox m_choiceEditor;
    CEditText m_textEditor;
    CEditChannel m_channelEditor;
};
