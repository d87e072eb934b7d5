#include "app/WindowTitle.h"

#include "KorvaVersion.h"

QString BuildWindowTitle(const QString& productName, const QString& productVersion)
{
    if (productName.isEmpty() || productVersion.isEmpty())
        return {};
    return productName + QStringLiteral(" Version ") + productVersion;
}

QString BuildWindowTitle()
{
    return BuildWindowTitle(QStringLiteral(KORVA_PRODUCT_NAME), QStringLiteral(KORVA_PRODUCT_VERSION));
}
