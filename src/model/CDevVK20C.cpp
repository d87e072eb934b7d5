#include "model/CDevVK20C.h"

#include "model/ParameterTables.h"
#include "model/Radio920Rules.h"

CDevVK20C::CDevVK20C()
{
    LoadDefinitions(ParameterTables::kSectionVK20C, ParameterTables::VK20C());
}

bool CDevVK20C::OnParameterChanged(int index)
{
    return Radio920Rules::OnParameterChanged(*this, index);
}

bool CDevVK20C::IsDisabled(int index) const
{
    return Radio920Rules::IsDisabled(*this, index);
}
