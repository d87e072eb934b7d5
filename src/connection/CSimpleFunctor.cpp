#include "connection/CSimpleFunctor.h"

CSimpleFunctor::ProxyInterface::~ProxyInterface() = default;

CSimpleFunctor::~CSimpleFunctor() = default;
