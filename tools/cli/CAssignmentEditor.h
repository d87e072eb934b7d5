#pragma once
// Applies korva-cli set's NAME=VALUE assignments to a parameter set the way the parameter
// list's editors do: typed kinds through SetText with its checks and messages, choice lists by
// a choice's text or value, channel sets as a comma list of channel numbers; then the model's
// OnParameterChanged. Rows that the list would not let the user edit (captions, read-only rows,
// rows greyed out by the current values) are refused.
//
// Assignments apply in order, so an earlier one may grey out a later one, as in the window.

#include <memory>

class CDevInterface;
class QString;

class CAssignmentEditor {
public:
    explicit CAssignmentEditor(std::shared_ptr<CDevInterface> set);

    // Throws CUsageError for a word that is no assignment, and CCommandFailure with
    // ExitRejected and the program's message for a refused one; the set is unchanged then.
    void Apply(const QString& assignment);

private:
    int FindParameter(const QString& name) const;
    void ApplyChoice(int index, const QString& value);
    void ApplyChannels(int index, const QString& value);

    std::shared_ptr<CDevInterface> m_set;
};
