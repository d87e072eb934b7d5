#include "ui/CParEdit.h"

#include <QWidget>

CParEdit::CParEdit()
{
    m_choiceEditor.AddObserver(*this);
    m_textEditor.AddObserver(*this);
    m_channelEditor.AddObserver(*this);
}

CParEdit::~CParEdit() = default;

void CParEdit::CreateEditors(QWidget& parent, const QFont& font)
{
    for (QWidget* editor : {static_cast<QWidget*>(&m_textEditor), static_cast<QWidget*>(&m_choiceEditor),
                            static_cast<QWidget*>(&m_channelEditor)}) {
        editor->setParent(&parent);
        editor->setFont(font);
        for (QWidget* child : editor->findChildren<QWidget*>())
            child->setFont(font);
        editor->hide();
    }
}

void CParEdit::HideEditors()
{
    m_choiceEditor.Close();
    m_textEditor.Close();
    m_channelEditor.Close();
}

bool CParEdit::IsEditing() const
{
    return m_choiceEditor.isVisible() || m_textEditor.isVisible() || m_channelEditor.isVisible();
}

void CParEdit::Update(void* source)
{
    if (source == static_cast<CObservable*>(&m_choiceEditor)) {
        m_chosenValue = m_choiceEditor.GetChosenValue();
        m_result = m_choiceEditor.IsCommitted() ? kChoiceCommitted : kNotCommitted;
        m_navigation = CEditText::kStay;
    } else if (source == static_cast<CObservable*>(&m_textEditor)) {
        m_text = m_textEditor.text();
        m_result = m_textEditor.IsCommitted() ? kTextCommitted : kNotCommitted;
        m_navigation = m_textEditor.GetNavigation();
    } else if (source == static_cast<CObservable*>(&m_channelEditor)) {
        m_channelSet = m_channelEditor.GetValue();
        m_result = m_channelEditor.IsCommitted() ? kChannelsCommitted : kNotCommitted;
        m_navigation = CEditText::kStay;
    } else {
        return;
    }
    Notify();
}
