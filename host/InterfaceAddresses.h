#pragma once

#include <string>
#include <vector>

namespace host {

// One IPv4 address of a network interface of this machine.
struct InterfaceAddress {
    std::string interfaceName;
    std::string address;
    bool loopback = false;
};

// Every IPv4 address of the interfaces that are up, in the system's order with the
// loopback addresses last; empty when the system cannot list them.
std::vector<InterfaceAddress> InterfaceAddresses();

// The start address candidates type for each address: "http://192.168.1.20:89/"; a server
// bound to one address ("-bind") is reached only there. Port 80 needs no port in the address.
std::vector<std::string> CandidateAddresses(const std::vector<InterfaceAddress>& addresses, int port,
                                            const std::string& boundAddress = "");

}  // namespace host
