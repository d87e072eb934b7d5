#pragma once
// The progress of a device read or write on standard error, when that is a terminal: the
// progress window's text ("uploading", "downloading") and the percentage done, redrawn in
// place. Elsewhere (a pipe, a log file) it shows nothing, so that scripts see only messages.

#include <QString>

#include <atomic>

class CProgressLine {
public:
    explicit CProgressLine(const char* messageKey);
    // Ends the line if one was drawn.
    ~CProgressLine();
    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;

    // Any thread; 0 to 1.
    void SetProgress(double fraction);

private:
    bool m_shown;
    QString m_text;
    std::atomic<int> m_percent{-1};
};
