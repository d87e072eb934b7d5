#pragma once
// What the monitor shows of a running wired or wireless LAN device: identity, MAC address, tag
// and signal strength. It takes its texts from the wireless LAN model's section.

#include "model/CDevInterface.h"

class CDevM_VKxx final : public CDevInterface {
public:
    CDevM_VKxx();
    QString GetDisplayText(int index, const QString& text) const override;
};
