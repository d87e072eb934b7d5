#include "model/CDevVK20CF.h"

#include "model/ParameterTables.h"
#include "model/Radio920Rules.h"

CDevVK20CF::CDevVK20CF()
{
    LoadDefinitions(ParameterTables::kSectionVK20CF, ParameterTables::VK20CF());
}

bool CDevVK20CF::OnParameterChanged(int index)
{
    return Radio920Rules::OnParameterChanged(*this, index);
}

bool CDevVK20CF::IsDisabled(int index) const
{
    return Radio920Rules::IsDisabled(*this, index);
}
