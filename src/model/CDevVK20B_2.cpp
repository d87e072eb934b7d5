#include "model/CDevVK20B_2.h"

#include "model/ParameterTables.h"
#include "model/WirelessLanRules.h"

CDevVK20B_2::CDevVK20B_2()
{
    LoadDefinitions(ParameterTables::kSectionVK20B_2, ParameterTables::VK20B_2());
}

void CDevVK20B_2::CheckConsistency() const
{
    WirelessLanRules::CheckConsistency(*this);
}
