#include "model/CDevVK20A.h"

#include "model/ParameterTables.h"
#include "model/WirelessLanRules.h"

CDevVK20A::CDevVK20A()
{
    LoadDefinitions(ParameterTables::kSectionVK20A, ParameterTables::VK20A());
}

void CDevVK20A::CheckConsistency() const
{
    WirelessLanRules::CheckConsistency(*this);
}
