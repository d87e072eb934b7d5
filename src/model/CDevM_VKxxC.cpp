#include "model/CDevM_VKxxC.h"

#include "model/ParameterTables.h"
#include "model/Radio920Rules.h"

CDevM_VKxxC::CDevM_VKxxC()
{
    LoadDefinitions(ParameterTables::kSectionVK20C, ParameterTables::M_VKxxC());
}

QString CDevM_VKxxC::GetDisplayText(int index, const QString& text) const
{
    return Radio920Rules::MonitorDisplayText(*this, index, text);
}
