#include "host/InterfaceAddresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <memory>

namespace host {
namespace {

struct InterfaceListFreer {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

std::string addressText(const sockaddr* address) {
    char text[INET_ADDRSTRLEN] = {};
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address);
    if (inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text) == nullptr) return {};
    return text;
}

}  // namespace

std::vector<InterfaceAddress> InterfaceAddresses() {
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0) return {};
    const std::unique_ptr<ifaddrs, InterfaceListFreer> list(raw);
    std::vector<InterfaceAddress> addresses;
    for (const ifaddrs* entry = list.get(); entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        if ((entry->ifa_flags & IFF_UP) == 0) continue;
        std::string text = addressText(entry->ifa_addr);
        if (text.empty()) continue;
        addresses.push_back({entry->ifa_name != nullptr ? entry->ifa_name : "", std::move(text),
                             (entry->ifa_flags & IFF_LOOPBACK) != 0});
    }
    std::stable_partition(addresses.begin(), addresses.end(),
                          [](const InterfaceAddress& a) { return !a.loopback; });
    return addresses;
}

std::vector<std::string> CandidateAddresses(const std::vector<InterfaceAddress>& addresses, int port,
                                            const std::string& boundAddress) {
    const std::string portPart = port == 80 ? "" : ":" + std::to_string(port);
    std::vector<std::string> result;
    const bool anyAddress = boundAddress.empty() || boundAddress == "0.0.0.0";
    if (!anyAddress) return {"http://" + boundAddress + portPart + "/"};
    for (const InterfaceAddress& address : addresses) {
        std::string start = "http://" + address.address + portPart + "/";
        if (std::find(result.begin(), result.end(), start) == result.end())
            result.push_back(std::move(start));
    }
    return result;
}

}  // namespace host
