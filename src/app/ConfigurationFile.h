#pragma once
// Configuration files: one complete parameter set as an XML document holding the model code,
// the firmware key and every holding register word of the set. The file stores raw words, not
// names or display texts, so it does not depend on the display language.

#include <QString>

#include <memory>

class CDevInterface;

// Writes `device` to `path` (replaced only once the new file is complete). Throws
// CPrivateException when the document cannot be built or written.
void SaveConfigurationFile(const CDevInterface& device, const QString& path);

// A new parameter set holding the file's values. Throws CPrivateException ("illfileerr",
// "verfileerr", "desfileerr" or the XML access error) when the file cannot be used; nothing
// else is changed then.
std::unique_ptr<CDevInterface> LoadConfigurationFile(const QString& path);
