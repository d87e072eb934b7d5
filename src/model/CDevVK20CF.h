#pragma once
// The 920 MHz wireless model on 43 channels, which has no duty time setting.

#include "model/CDevInterface.h"

class CDevVK20CF final : public CDevInterface {
public:
    CDevVK20CF();
    bool OnParameterChanged(int index) override;
    bool IsDisabled(int index) const override;
};
