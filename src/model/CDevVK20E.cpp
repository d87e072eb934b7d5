#include "model/CDevVK20E.h"

#include "model/ParameterTables.h"

CDevVK20E::CDevVK20E()
{
    LoadDefinitions(ParameterTables::kSectionVK20E, ParameterTables::VK20E());
}

