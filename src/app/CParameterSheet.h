#pragma once
// The data side of the parameter list: the shown parameter set with the rows it gives, which rows
// may be edited now, which editor each one takes, and how an edit's result is stored. The list
// window only draws rows and runs editors; what an edit means is decided here, where it can be
// checked without a screen.

#include "model/CParValue.h"

#include <QString>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

class CDevInterface;

struct ParameterRow {
    int index;     // the parameter's index in its set
    bool caption;  // a group heading: no value, never edited
    QString name;  // display name
    QString value; // display text of the value with its unit
};

enum class ParEditor { None, Choice, Text, Channel };

struct ParChoice {
    QString text;
    std::int32_t value;
};

class CParameterSheet {
public:
    // Choice lists end at their first entry without text, and after this many entries at most.
    static constexpr int kMaxChoices = 1000;

    void SetDevice(std::shared_ptr<CDevInterface> device);
    const std::shared_ptr<CDevInterface>& GetDevice() const { return m_device; }

    // While locked, no row can be edited and every row is drawn as not editable.
    void SetEditLock(bool locked) { m_editLock = locked; }
    bool IsEditLocked() const { return m_editLock; }
    // Command rows (PA_COMMAND) are editable only while commands are enabled.
    void EnableCommands(bool enabled) { m_commandsEnabled = enabled; }
    bool AreCommandsEnabled() const { return m_commandsEnabled; }

    // Every parameter in table order; empty without a set.
    std::vector<ParameterRow> Rows() const;

    // Drawn greyed: the model disables the row, the list is locked, or it is a command row while
    // commands are off. Read-only rows are not greyed: they show values that are simply never
    // typed (the monitor's status rows).
    bool IsGreyed(int index) const;
    // Whether an editor may open on the row now.
    bool CanEdit(int index) const;
    ParEditor EditorOf(int index) const;
    // Free-text rows show the byte count of the text being typed.
    bool CountsBytes(int index) const;
    // Channel rows: the number of channels offered (28 or 43); 0 for other rows.
    int ChannelCount(int index) const;
    // The choices of a list row in the language file's order; `selected` receives the position
    // of the entry whose text is the current value's (the last such), else 0.
    std::vector<ParChoice> Choices(int index, int& selected) const;

    // Store an edit's result, let the model adjust dependent parameters and queue the value of a
    // command row. CommitText throws the input check's CPrivateException and then stores
    // nothing.
    void CommitChoice(int index, std::int32_t value);
    void CommitText(int index, const QString& text);
    void CommitChannels(int index, const CParValue& channels);

    // Values of edited command rows, oldest first, for the owner to send.
    int GetCommandCount() const { return static_cast<int>(m_pendingCommands.size()); }
    // Throws std::out_of_range when the queue is empty.
    CParValue PopCommand();

private:
    bool IsValidIndex(int index) const;
    void AfterCommit(int index);

    std::shared_ptr<CDevInterface> m_device;
    bool m_editLock = false;
    bool m_commandsEnabled = false;
    std::deque<CParValue> m_pendingCommands;
};
