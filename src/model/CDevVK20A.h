#pragma once
// The wireless LAN model: the wired LAN settings plus the wireless network, checked for a
// usable security setting before it is written or saved.

#include "model/CDevInterface.h"

class CDevVK20A final : public CDevInterface {
public:
    CDevVK20A();
    void CheckConsistency() const override;
};
