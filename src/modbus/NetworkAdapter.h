#pragma once
// One local network adapter as the "Ethernet (Direct)" transport uses it: the interface its
// datagrams leave through, its hardware address (the PC's node address on the wire) and its
// IPv4 addresses, one broadcast socket each.

#include "connection/ComSettings.h"

#include <netinet/in.h>

#include <string>
#include <vector>

struct NetworkAdapter {
    std::string name;                 // the interface name, as "eth0"
    unsigned index = 0;               // the interface index the datagrams are tied to
    ComSettings::NodeAddress node{};  // hardware address, first byte first
    std::vector<in_addr> addresses;   // IPv4 unicast addresses; may be empty
};
