#pragma once
// The 920 MHz wireless model with RS-485: radio network settings, some of which force or rule
// out others.

#include "model/CDevInterface.h"

class CDevVK20C final : public CDevInterface {
public:
    CDevVK20C();
    bool OnParameterChanged(int index) override;
    bool IsDisabled(int index) const override;
};
