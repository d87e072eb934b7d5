#include "model/CDevVK20B.h"

#include "model/ParameterTables.h"
#include "model/WirelessLanRules.h"

CDevVK20B::CDevVK20B()
{
    LoadDefinitions(ParameterTables::kSectionVK20B, ParameterTables::VK20B());
}

void CDevVK20B::CheckConsistency() const
{
    WirelessLanRules::CheckConsistency(*this);
}
