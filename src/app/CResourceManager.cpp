#include "app/CResourceManager.h"

CResourceManager::~CResourceManager() = default;
