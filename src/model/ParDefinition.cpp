#include "model/ParDefinition.h"

#include <array>

int ParRegisterCount(const ParDefinition& definition)
{
    switch (definition.kind) {
    case PK_CAPTION:
        return 0;
    case PK_TEXT:
    case PK_NETNAME:
        return definition.maximum > 0 ? definition.maximum / 2 : 0;
    case PK_UINT16:
    case PK_INT16:
    case PK_HEX16:
    case PK_LIST16:
        return 1;
    case PK_IPADDR:
    case PK_UINT32HEX:
    case PK_UINT32:
    case PK_LIST32:
        return 2;
    case PK_SSID:
        return 16;
    case PK_WEPKEY:
        return 13;
    case PK_WPAKEY:
        return 32;
    case PK_ENCKEY:
        return 8;
    case PK_CHANNEL28:
    case PK_CHANNEL43:
        return 10;
    case PK_MAC48:
    case PK_VERSION:
    case PK_VERSIONHEX:
        return 3;
    case PK_MAC64:
        return 4;
    }
    return 0;
}

const char* UnitMessageKey(std::int32_t unit)
{
    static constexpr std::array<const char*, 12> keys = {
        nullptr,   "unitsec", "unitch", "unitdegc", "unitdegf", "unitperc",
        "unitma",  "unita",   "unitmv", "unitv",    "unitohm",  "unitdbm",
    };
    if (unit < 0 || unit >= static_cast<std::int32_t>(keys.size()))
        return nullptr;
    return keys[static_cast<std::size_t>(unit)];
}
