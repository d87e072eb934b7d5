#pragma once
// The models the configuration program offers for offline editing, in the order of its model
// chooser, and the search that finds the chooser entry for a parameter set read from a device or
// a file.

#include <QString>

#include <memory>
#include <vector>

class CDevInterface;

struct ModelChoice {
    int registryRow;     // position in the device type registry
    QString displayName; // the model's display name in the current language
};

// One entry per offered model, in the chooser's order.
std::vector<ModelChoice> OfferedModelChoices();

// A new parameter set of the registry row's model at its default values, for the row's lowest
// firmware.
std::shared_ptr<CDevInterface> CreateChosenModel(int registryRow);

// The chooser position whose model fits `device`: a compatible model code and a firmware range
// that holds the set's firmware. The last fitting position counts; -1 when none fits.
int FindModelChoice(const CDevInterface& device);
