#pragma once
// The later wireless LAN model from firmware 1.1: adds the built-in DHCP server.

#include "model/CDevInterface.h"

class CDevVK20B_2 final : public CDevInterface {
public:
    CDevVK20B_2();
    void CheckConsistency() const override;
};
