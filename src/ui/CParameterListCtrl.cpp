#include "ui/CParameterListCtrl.h"

#include "app/widgets/DialogTexts.h"
#include "app/widgets/ErrorReport.h"
#include "model/CDevInterface.h"
#include "modbus/CException.h"
#include "ui/CParameterCellDelegate.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kIndexRole = CParameterCellDelegate::kIndexRole;
constexpr int kRowRole = CParameterCellDelegate::kRowRole;
// Names sit indented under their group heading by the width of this many blanks. The tree's
// own indentation does it rather than blanks in the text: blanks before a Japanese name are
// drawn in whichever fallback font the name gets, and names would not line up.
constexpr int kNameIndentBlanks = 4;

} // namespace

CParameterListCtrl::CParameterListCtrl(QWidget* parent)
    : QTreeWidget(parent),
      m_delegate(new CParameterCellDelegate([this](int index) { return m_sheet.IsGreyed(index); }, this))
{
    setProperty(kControlIdProperty, kControlId);
    m_editor.AddObserver(*this);
    connect(this, &QTreeWidget::itemClicked, this, &CParameterListCtrl::OnItemClicked);
    connect(this, &QTreeWidget::itemDoubleClicked, this, &CParameterListCtrl::OnItemClicked);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CParameterListCtrl::HideEditors);
}

CParameterListCtrl::~CParameterListCtrl() = default;

void CParameterListCtrl::Initialize()
{
    clear();
    m_rows.clear();
    m_groups.clear();
    setColumnCount(2);
    setHeaderHidden(true);
    header()->setStretchLastSection(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * kNameIndentBlanks);
    setUniformRowHeights(true);
    setFocusPolicy(Qt::StrongFocus);
    setItemDelegate(m_delegate);

    m_editor.CreateEditors(*viewport(), font());
    // Rows as high as the editors, so that an editor covers its cell exactly.
    m_delegate->SetRowHeight(std::max(m_editor.GetTextEditor().sizeHint().height(),
                                      m_editor.GetChoiceEditor().sizeHint().height()));
    SizeColumns();
}

void CParameterListCtrl::SetDevice(std::shared_ptr<CDevInterface> device, bool clearRows)
{
    // An open edit belongs to the set shown so far.
    HideEditors();
    if (clearRows) {
        clear();
        m_rows.clear();
        m_groups.clear();
    }
    m_sheet.SetDevice(std::move(device));
    Refresh();
}

void CParameterListCtrl::Refresh()
{
    const std::vector<ParameterRow> rows = m_sheet.Rows();
    setUpdatesEnabled(false);

    int group = -1;
    int ungrouped = 0;
    int positionInGroup = 0;
    std::size_t used = 0;
    for (const ParameterRow& row : rows) {
        if (row.caption) {
            ++group;
            EnsureGroup(group, row.name)->setHidden(false);
            positionInGroup = 0;
            continue;
        }
        if (used == m_rows.size())
            m_rows.push_back(nullptr);
        QTreeWidgetItem* parent = group >= 0 ? m_groups[static_cast<std::size_t>(group)] : invisibleRootItem();
        const int position = group >= 0 ? positionInGroup++ : ungrouped++;
        QTreeWidgetItem*& item = m_rows[used];
        if (!item) {
            auto created = std::make_unique<QTreeWidgetItem>();
            created->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            parent->insertChild(position, created.get());
            item = created.release();
        } else {
            PlaceRow(item, parent, position);
        }
        for (const int column : {kNameColumn, kValueColumn}) {
            item->setData(column, kIndexRole, row.index);
            item->setData(column, kRowRole, static_cast<int>(used));
        }
        SetCellText(item, kNameColumn, row.name);
        SetCellText(item, kValueColumn, row.value);
        ++used;
    }

    // Rows and groups the set no longer has.
    while (m_rows.size() > used) {
        QTreeWidgetItem* item = m_rows.back();
        m_rows.pop_back();
        QTreeWidgetItem* owner = item->parent() ? item->parent() : invisibleRootItem();
        std::unique_ptr<QTreeWidgetItem> removed(owner->takeChild(owner->indexOfChild(item)));
    }
    while (static_cast<int>(m_groups.size()) > group + 1) {
        std::unique_ptr<QTreeWidgetItem> removed(takeTopLevelItem(indexOfTopLevelItem(m_groups.back())));
        m_groups.pop_back();
    }
    // A heading followed directly by another one has no rows to head.
    for (QTreeWidgetItem* heading : m_groups)
        heading->setHidden(heading->childCount() == 0);

    m_fullRefresh = false;
    SizeColumns();
    setUpdatesEnabled(true);
    viewport()->update();
}

QTreeWidgetItem* CParameterListCtrl::EnsureGroup(int group, const QString& title)
{
    if (group == static_cast<int>(m_groups.size())) {
        auto created = std::make_unique<QTreeWidgetItem>();
        created->setFlags(Qt::ItemIsEnabled);
        addTopLevelItem(created.get());
        m_groups.push_back(created.release());
    }
    QTreeWidgetItem* heading = m_groups[static_cast<std::size_t>(group)];
    // Rows before the first heading (no table has any) stay above every group.
    int ungrouped = 0;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->data(kNameColumn, kIndexRole).isValid())
            ++ungrouped;
    }
    const int position = std::min(ungrouped + group, topLevelItemCount() - 1);
    if (indexOfTopLevelItem(heading) != position) {
        takeTopLevelItem(indexOfTopLevelItem(heading));
        insertTopLevelItem(position, heading);
    }
    heading->setFirstColumnSpanned(true);
    heading->setExpanded(true);
    if (heading->text(kNameColumn) != title)
        heading->setText(kNameColumn, title);
    return heading;
}

void CParameterListCtrl::PlaceRow(QTreeWidgetItem* item, QTreeWidgetItem* parent, int position)
{
    QTreeWidgetItem* owner = item->parent() ? item->parent() : invisibleRootItem();
    if (owner == parent && parent->indexOfChild(item) == position)
        return;
    owner->takeChild(owner->indexOfChild(item));
    parent->insertChild(std::min(position, parent->childCount()), item);
}

void CParameterListCtrl::SetCellText(QTreeWidgetItem* item, int column, const QString& text)
{
    if (m_fullRefresh || item->text(column) != text)
        item->setText(column, text);
}

void CParameterListCtrl::SizeColumns()
{
    const int width = viewport()->width();
    const int nameWidth = width * kNameColumnPercent / 100;
    setColumnWidth(kNameColumn, nameWidth);
    setColumnWidth(kValueColumn, width - nameWidth);
}

void CParameterListCtrl::EnableCommands(bool enabled)
{
    m_sheet.EnableCommands(enabled);
    viewport()->update();
}

void CParameterListCtrl::SetEditLock(bool locked)
{
    m_sheet.SetEditLock(locked);
    viewport()->update();
}

int CParameterListCtrl::RowOfItem(const QTreeWidgetItem* item) const
{
    if (!item || !item->data(kNameColumn, kIndexRole).isValid())
        return -1;
    return item->data(kNameColumn, kRowRole).toInt();
}

int CParameterListCtrl::GetSelectedRow() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : RowOfItem(selected.first());
}

void CParameterListCtrl::SelectRow(int row)
{
    if (row < 0 || row >= GetRowCount())
        return;
    QTreeWidgetItem* item = m_rows[static_cast<std::size_t>(row)];
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
}

int CParameterListCtrl::RowOfParameter(int index) const
{
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row]->data(kNameColumn, kIndexRole).toInt() == index)
            return static_cast<int>(row);
    }
    return -1;
}

QString CParameterListCtrl::GetRowText(int row, int column) const
{
    if (row < 0 || row >= GetRowCount())
        return {};
    return m_rows[static_cast<std::size_t>(row)]->text(column);
}

QRect CParameterListCtrl::GetCellRect(int row) const
{
    if (row < 0 || row >= GetRowCount())
        return {};
    return visualRect(indexFromItem(m_rows[static_cast<std::size_t>(row)], kValueColumn));
}

bool CParameterListCtrl::IsRowGreyed(int row) const
{
    if (row < 0 || row >= GetRowCount())
        return true;
    return m_sheet.IsGreyed(m_rows[static_cast<std::size_t>(row)]->data(kNameColumn, kIndexRole).toInt());
}

QStringList CParameterListCtrl::GetGroupTitles() const
{
    QStringList titles;
    for (const QTreeWidgetItem* heading : m_groups) {
        if (!heading->isHidden())
            titles << heading->text(kNameColumn);
    }
    return titles;
}

void CParameterListCtrl::BeginEdit(int row, bool keepText)
{
    if (row < 0)
        row = GetSelectedRow();
    if (row < 0 || row >= GetRowCount())
        return;
    m_cell = GetCellRect(row);
    m_editedIndex = m_rows[static_cast<std::size_t>(row)]->data(kNameColumn, kIndexRole).toInt();
    if (!m_sheet.CanEdit(m_editedIndex))
        return;

    const CDevInterface& device = *m_sheet.GetDevice();
    switch (m_sheet.EditorOf(m_editedIndex)) {
    case ParEditor::Choice: {
        HideEditors();
        CEditComboBox& choices = m_editor.GetChoiceEditor();
        choices.clear();
        int selected = 0;
        for (const ParChoice& choice : m_sheet.Choices(m_editedIndex, selected))
            choices.addItem(choice.text, choice.value);
        choices.setCurrentIndex(choices.count() > 0 ? selected : -1);
        choices.Open(m_cell);
        break;
    }
    case ParEditor::Text: {
        HideEditors();
        const QString text = device.GetAt(m_editedIndex).GetText();
        m_editor.GetTextEditor().Open(m_cell, keepText ? nullptr : &text, m_sheet.CountsBytes(m_editedIndex));
        break;
    }
    case ParEditor::Channel: {
        HideEditors();
        CEditChannel& channels = m_editor.GetChannelEditor();
        // The panel covers the cell from its top-left corner; near the list's edges it is moved
        // inwards so that all of it can be seen.
        const QSize size = channels.sizeHint();
        const QPoint corner(std::clamp(m_cell.left(), 0, std::max(0, viewport()->width() - size.width())),
                            std::clamp(m_cell.top(), 0, std::max(0, viewport()->height() - size.height())));
        channels.Open(device.GetAt(m_editedIndex).GetValue(), m_sheet.ChannelCount(m_editedIndex), corner);
        break;
    }
    case ParEditor::None:
        break;
    }
}

void CParameterListCtrl::HideEditors()
{
    const QWidget* focus = QApplication::focusWidget();
    const bool editorHadFocus = focus && viewport()->isAncestorOf(focus);
    m_editor.HideEditors();
    if (editorHadFocus)
        setFocus(Qt::OtherFocusReason);
}

void CParameterListCtrl::Update(void* source)
{
    if (source != static_cast<CObservable*>(&m_editor))
        return;
    OnEditEnded();
}

void CParameterListCtrl::OnEditEnded()
{
    const int result = m_editor.GetResult();
    if (result == CParEdit::kNotCommitted) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    try {
        switch (result) {
        case CParEdit::kChoiceCommitted:
            m_sheet.CommitChoice(m_editedIndex, m_editor.GetChosenValue());
            break;
        case CParEdit::kTextCommitted:
            m_sheet.CommitText(m_editedIndex, m_editor.GetText());
            break;
        case CParEdit::kChannelsCommitted:
            m_sheet.CommitChannels(m_editedIndex, m_editor.GetChannelSet());
            break;
        default:
            break;
        }
    } catch (const CException& error) {
        // Refused: nothing was stored. The user corrects the entry in the reopened editor.
        ReportError(error, QMessageBox::Warning, window());
        BeginEdit(-1, true);
        return;
    }
    Refresh();
    Notify();
    setFocus(Qt::OtherFocusReason);

    const int navigation = m_editor.GetNavigation();
    if (navigation == CEditText::kNextRow || navigation == CEditText::kPreviousRow) {
        const int row = GetSelectedRow();
        MoveSelection(navigation == CEditText::kNextRow ? row + 1 : row - 1);
        BeginEdit(-1, false);
    }
}

void CParameterListCtrl::MoveSelection(int row)
{
    if (m_rows.empty())
        return;
    clearSelection();
    SelectRow(std::clamp(row, 0, GetRowCount() - 1));
}

void CParameterListCtrl::OnItemClicked(QTreeWidgetItem* item, int column)
{
    const int row = RowOfItem(item);
    if (row >= 0 && column == kValueColumn)
        BeginEdit(row, false);
}

void CParameterListCtrl::keyPressEvent(QKeyEvent* event)
{
    const int selected = GetSelectedRow();
    const int page = std::max(1, viewport()->height() / std::max(1, sizeHintForRow(0)) - 1);
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // The owner decides what these mean.
        event->ignore();
        return;
    case Qt::Key_Down:
        MoveSelection(selected < 0 ? 0 : selected + 1);
        return;
    case Qt::Key_Up:
        MoveSelection(selected < 0 ? 0 : selected - 1);
        return;
    case Qt::Key_Home:
        MoveSelection(0);
        return;
    case Qt::Key_End:
        MoveSelection(GetRowCount() - 1);
        return;
    case Qt::Key_PageDown:
        MoveSelection(selected + page);
        return;
    case Qt::Key_PageUp:
        MoveSelection(selected - page);
        return;
    default:
        break;
    }
    const QString text = event->text();
    const bool typed = !text.isEmpty() && text.front().isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typed && !IsEditing()) {
        // Typing on a row starts its editor with the typed text in place of the value; a choice
        // list has no use for the character.
        BeginEdit(-1, false);
        CEditText& textEditor = m_editor.GetTextEditor();
        if (textEditor.isVisible())
            QCoreApplication::sendEvent(&textEditor, event);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CParameterListCtrl::wheelEvent(QWheelEvent* event)
{
    HideEditors();
    QTreeWidget::wheelEvent(event);
}

void CParameterListCtrl::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    SizeColumns();
}
