#pragma once
// The per-user settings profile: organisation "TORVEN", application = the program file's base
// name, so renaming the program gives it a profile of its own. On Linux the native format is
// ~/.config/TORVEN/<name>.conf (below $XDG_CONFIG_HOME when set).

#include <QSettings>
#include <QString>

#include <memory>

class CSettingsProfile {
public:
    static QString ApplicationName();
    static std::unique_ptr<QSettings> Open();
};
