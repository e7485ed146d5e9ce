#include <gtest/gtest.h>

#include <algorithm>

#include "host/InterfaceAddresses.h"

namespace {

using host::CandidateAddresses;
using host::InterfaceAddress;

TEST(InterfaceAddressesTest, LoopbackIsListedAndComesLast) {
    const std::vector<InterfaceAddress> addresses = host::InterfaceAddresses();
    const auto loopback = std::find_if(addresses.begin(), addresses.end(),
                                       [](const InterfaceAddress& a) { return a.address == "127.0.0.1"; });
    ASSERT_NE(loopback, addresses.end());
    EXPECT_TRUE(loopback->loopback);
    EXPECT_FALSE(loopback->interfaceName.empty());
    EXPECT_TRUE(std::is_partitioned(addresses.begin(), addresses.end(),
                                    [](const InterfaceAddress& a) { return !a.loopback; }));
}

struct AddressCase {
    const char* what;
    std::vector<InterfaceAddress> addresses;
    int port;
    std::string bound;
    std::vector<std::string> expected;
};

TEST(InterfaceAddressesTest, CandidatesGetOneStartAddressPerInterfaceAddress) {
    const std::vector<InterfaceAddress> two{{"eth0", "192.168.1.20", false}, {"lo", "127.0.0.1", true}};
    const std::vector<AddressCase> cases{
        {"every address", two, 89, "", {"http://192.168.1.20:89/", "http://127.0.0.1:89/"}},
        {"port 80 needs none", two, 80, "0.0.0.0", {"http://192.168.1.20/", "http://127.0.0.1/"}},
        {"bound to one", two, 8089, "127.0.0.1", {"http://127.0.0.1:8089/"}},
        {"same address twice",
         {{"eth0", "10.0.0.5", false}, {"eth0:1", "10.0.0.5", false}},
         89,
         "",
         {"http://10.0.0.5:89/"}},
        {"none", {}, 89, "", {}},
    };
    for (const AddressCase& test : cases) {
        EXPECT_EQ(CandidateAddresses(test.addresses, test.port, test.bound), test.expected) << test.what;
    }
}

}  // namespace
