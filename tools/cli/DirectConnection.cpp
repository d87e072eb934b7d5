#include "DirectConnection.h"

#include "CCommandFailure.h"

void FindOwnNode(ComSettings&)
{
    throw CUsageError(QStringLiteral("--direct is not available yet"));
}
