#pragma once
// What several korva-cli commands share: the display language, and configuration files with
// their failures sorted into the tool's exit codes.

#include "CCommandLine.h"

#include <QString>

#include <memory>

class CDevInterface;

// The option every command takes.
inline constexpr CCommandLine::KnownOption kLanguageOption{"--lang", true};

// Loads the language file of --lang, or the display language the program stored last. Throws
// CCommandFailure (ExitFile) when it cannot be read.
void LoadLanguageOf(const CCommandLine& line);

// LoadConfigurationFile; its error as ExitFile.
std::shared_ptr<CDevInterface> LoadSet(const QString& path);
// SaveConfigurationFile (the file is replaced only once the new one is complete); its error as
// ExitFile.
void SaveSet(const CDevInterface& set, const QString& path);
// CheckConsistency, as before every save and write of the program; its error as ExitRejected.
void CheckSet(const CDevInterface& set);

// The value of a required option; CUsageError when it is missing or empty.
QString RequiredValue(const CCommandLine& line, const QString& option, const QString& what);
