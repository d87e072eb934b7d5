#pragma once
// The grouped two-column list of a parameter set (name, value) that edits values in place. It
// opens the editor that fits the row, stores the result through CParameterSheet, shows what a
// refused entry was refused for and reopens the editor with it, and tells its owner after every
// accepted edit. The main window and the monitor window each hold one.

#include "app/CParameterSheet.h"
#include "connection/CObservable.h"
#include "connection/CObserver.h"
#include "ui/CParEdit.h"

#include <QTreeWidget>

#include <memory>
#include <vector>

class CDevInterface;
class CParameterCellDelegate;

class CParameterListCtrl : public QTreeWidget, public CObserver, public CObservable {
    Q_OBJECT
public:
    static constexpr int kControlId = 1000;
    static constexpr int kNameColumn = 0;
    static constexpr int kValueColumn = 1;
    // Share of the name column in the list's width, in percent.
    static constexpr int kNameColumnPercent = 47;

    explicit CParameterListCtrl(QWidget* parent = nullptr);
    ~CParameterListCtrl() override;

    // Once, after the list has its font: columns, look and the editors.
    void Initialize();

    // Shows `device` (shared with the owner). `clear` drops every row first.
    void SetDevice(std::shared_ptr<CDevInterface> device, bool clear);
    const std::shared_ptr<CDevInterface>& GetDevice() const { return m_sheet.GetDevice(); }
    // Brings the rows up to the set's values; only changed cells are rewritten unless a full
    // refresh was requested.
    void Refresh();
    void RequestFullRefresh() { m_fullRefresh = true; }

    void EnableCommands(bool enabled);
    void SetEditLock(bool locked);
    int GetCommandCount() const { return m_sheet.GetCommandCount(); }
    CParValue PopCommand() { return m_sheet.PopCommand(); }

    // Opens the editor of value row `row` (-1: the selected row) when that row may be edited
    // now. `keepText` reopens the text editor with what it holds.
    void BeginEdit(int row, bool keepText);
    bool IsEditing() const { return m_editor.IsEditing(); }
    // Ends an open edit without a result.
    void HideEditors();

    // Value rows, in table order (group headings are not rows).
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    int GetSelectedRow() const;
    void SelectRow(int row);
    // The row showing parameter `index`; -1 when none does.
    int RowOfParameter(int index) const;
    QString GetRowText(int row, int column) const;
    QRect GetCellRect(int row) const;
    bool IsRowGreyed(int row) const;
    // Group headings, in order.
    QStringList GetGroupTitles() const;

    CParEdit& GetEditor() { return m_editor; }
    const CParameterSheet& GetSheet() const { return m_sheet; }

    void Update(void* source) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnItemClicked(QTreeWidgetItem* item, int column);
    void OnEditEnded();
    void SizeColumns();
    void PlaceRow(QTreeWidgetItem* item, QTreeWidgetItem* parent, int position);
    QTreeWidgetItem* EnsureGroup(int group, const QString& title);
    void SetCellText(QTreeWidgetItem* item, int column, const QString& text);
    void MoveSelection(int row);
    int RowOfItem(const QTreeWidgetItem* item) const;

    CParameterSheet m_sheet;
    CParEdit m_editor;
    CParameterCellDelegate* m_delegate;
    std::vector<QTreeWidgetItem*> m_rows;   // owned by the tree
    std::vector<QTreeWidgetItem*> m_groups; // owned by the tree
    int m_editedIndex = -1;
    QRect m_cell;
    bool m_fullRefresh = false;
};
