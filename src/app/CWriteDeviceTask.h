#pragma once
// Writes a parameter set to the connected device (the main window's command 1002, korva-cli
// write). The device must first pass the identity test: a device of another family, or with a
// firmware outside the set's range, is refused with "diffdev" before anything is written. The
// parameters are then written one request each, in table order, between register 1000 set to 1
// and set back to 0.
//
// A cancelled or failed write stops where it is: some parameters may be written already and
// register 1000 may still hold 1. It is deliberately not reset, so that the device never takes
// a half-written set as complete.
//
// The caller runs the set's CheckConsistency before connecting; this task does not repeat it.

#include "app/CDeviceTask.h"

#include <memory>

class CDevInterface;

class CWriteDeviceTask final : public CDeviceTask {
public:
    // The set must not change while a run is going on.
    CWriteDeviceTask(CModbusInterface& client, std::shared_ptr<const CDevInterface> set);
    ~CWriteDeviceTask() override;

private:
    bool Transfer() override;

    std::shared_ptr<const CDevInterface> m_set;
};
