#pragma once
// What the monitor shows of a running 920 MHz device: identity, radio status, RS-485
// counters and the device commands.

#include "model/CDevInterface.h"

class CDevM_VKxxC final : public CDevInterface {
public:
    CDevM_VKxxC();
    QString GetDisplayText(int index, const QString& text) const override;
};
