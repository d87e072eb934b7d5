#pragma once
// A device model: the complete, ordered parameter set of one kind of device, one parameter per
// row of the model's table, plus the model code and firmware numbers that the device type
// registry gives it. Model classes add their cross-parameter rules through the four virtual
// operations.
//
// Models are held through std::shared_ptr by the windows that show them; they are not copied.

#include "app/CResourceManager.h"
#include "model/CParInterface.h"
#include "model/ParDefinition.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <span>
#include <vector>

class CDevInterface : public CResourceManager {
public:
    CDevInterface();
    ~CDevInterface() override;
    CDevInterface(const CDevInterface&) = delete;
    CDevInterface& operator=(const CDevInterface&) = delete;

    // Throws CPrivateException with a message key when the current values contradict each
    // other. Writing to a device and saving a file do not start then.
    virtual void CheckConsistency() const;
    // Called after the parameter at `index` received a new value; may set other parameters and
    // returns true when it did, so that every row is shown again.
    virtual bool OnParameterChanged(int index);
    // The text to show for the row at `index`, given the value text made for it.
    virtual QString GetDisplayText(int index, const QString& text) const;
    // True when the row at `index` cannot be edited now (captions always).
    virtual bool IsDisabled(int index) const;

    // Replaces every parameter by one per row of `table`, at its default value.
    void LoadDefinitions(const char16_t* section, std::span<const ParDefinition> table);

    int GetCount() const { return static_cast<int>(m_parameters.size()); }
    // Throws std::out_of_range outside 0 <= index < GetCount().
    CParInterface& GetAt(int index);
    const CParInterface& GetAt(int index) const;
    // Index of the first parameter named `name` (exact comparison), 0 when there is none.
    int IndexOf(QStringView name) const;
    // The parameter named `name`, or the one at index 0 when there is none.
    CParInterface& GetParameter(QStringView name);
    const CParInterface& GetParameter(QStringView name) const;
    // The language section of the model's texts.
    const char16_t* GetSection() const { return m_section; }

    std::uint16_t GetModelCode() const { return m_modelCode; }
    void SetModelCode(std::uint16_t code) { m_modelCode = code; }
    // Firmware keys: major version in bits 16 to 31, minor version in bits 0 to 15.
    std::uint32_t GetFirmware() const { return m_firmware; }
    void SetFirmware(std::uint32_t key) { m_firmware = key; }
    std::uint32_t GetFirmwareMinimum() const { return m_firmwareMinimum; }
    void SetFirmwareMinimum(std::uint32_t key) { m_firmwareMinimum = key; }
    std::uint32_t GetFirmwareMaximum() const { return m_firmwareMaximum; }
    void SetFirmwareMaximum(std::uint32_t key) { m_firmwareMaximum = key; }

    // The name of the row at `index`; empty outside the table.
    QStringView NameAt(int index) const;
    // The first register word of the parameter named `name` (0 when it has none).
    std::uint16_t FirstWordOf(QStringView name) const;

private:
    std::vector<CParInterface> m_parameters;
    const char16_t* m_section = u"";
    std::uint16_t m_modelCode = 0;
    std::uint32_t m_firmware = 0;
    std::uint32_t m_firmwareMinimum = 0;
    std::uint32_t m_firmwareMaximum = 0;
};
