#pragma once
// The later wireless LAN model up to firmware 1.0: adds access point mode, SSID stealth and
// transmit power.

#include "model/CDevInterface.h"

class CDevVK20B final : public CDevInterface {
public:
    CDevVK20B();
    void CheckConsistency() const override;
};
