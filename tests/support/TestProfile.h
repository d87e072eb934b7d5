#pragma once
// Points the per-user settings profile at a fresh temporary directory for the life of the
// object, so that no test reads or writes a real profile or another test's values.

#include <QTemporaryDir>

class TestProfile {
public:
    TestProfile();
    ~TestProfile();
    TestProfile(const TestProfile&) = delete;
    TestProfile& operator=(const TestProfile&) = delete;

    QString Path() const { return m_dir.path(); }
    // The file the profile is stored in.
    QString FilePath() const;

private:
    QTemporaryDir m_dir;
};
