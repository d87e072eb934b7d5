#pragma once
// A list of adapters given by the caller instead of the system's: tests and tools run the
// Direct transport on loopback with it, never on a real network.

#include "modbus/CNetworkAdapterSource.h"

class CFixedAdapterSource final : public CNetworkAdapterSource {
public:
    explicit CFixedAdapterSource(std::vector<NetworkAdapter> adapters) : m_adapters(std::move(adapters)) {}

    std::vector<NetworkAdapter> ListAdapters() const override { return m_adapters; }

private:
    std::vector<NetworkAdapter> m_adapters;
};
