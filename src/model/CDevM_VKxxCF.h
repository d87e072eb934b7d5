#pragma once
// What the monitor shows of a running 43-channel 920 MHz device (it has no duty record to clear).

#include "model/CDevInterface.h"

class CDevM_VKxxCF final : public CDevInterface {
public:
    CDevM_VKxxCF();
    QString GetDisplayText(int index, const QString& text) const override;
};
