#pragma once
// Reads every parameter of the connected device into a new parameter set (the main window's
// command 1001, korva-cli read). The device's model code and firmware choose the model; then
// each parameter with registers is read with its own request, in table order, so that the
// progress moves after every parameter.

#include "app/CDeviceTask.h"

#include <memory>

class CDevInterface;

class CReadDeviceTask final : public CDeviceTask {
public:
    explicit CReadDeviceTask(CModbusInterface& client);
    ~CReadDeviceTask() override;

    // The set read by the last Completed run; null after a cancelled or failed one, so that
    // the caller keeps its current set then.
    std::shared_ptr<CDevInterface> GetResult() const { return m_result; }

private:
    // Throws "unknowndev" with the model code when the registry has no model for the device.
    bool Transfer() override;
    void ResetResult() override { m_result.reset(); }

    std::shared_ptr<CDevInterface> m_result;
};
