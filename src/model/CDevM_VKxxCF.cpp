#include "model/CDevM_VKxxCF.h"

#include "model/ParameterTables.h"
#include "model/Radio920Rules.h"

CDevM_VKxxCF::CDevM_VKxxCF()
{
    LoadDefinitions(ParameterTables::kSectionVK20CF, ParameterTables::M_VKxxCF());
}

QString CDevM_VKxxCF::GetDisplayText(int index, const QString& text) const
{
    return Radio920Rules::MonitorDisplayText(*this, index, text);
}
