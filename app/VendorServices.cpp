#include "app/VendorServices.h"

#include <mutex>
#include <stdexcept>

namespace exam {
namespace {

struct VendorSetting {
    std::mutex mutex;
    std::string address;  // empty: this server
};

// Written once at start-up, read by request threads while pages are built.
VendorSetting& setting() {
    static VendorSetting instance;
    return instance;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// Characters that would end or break an attribute value, a header line or a URL.
bool isUnsafe(char c) {
    auto code = static_cast<unsigned char>(c);
    return code <= 0x20 || code == 0x7f || c == '"' || c == '\'' || c == '<' || c == '>' || c == '\\' ||
           c == '`';
}

std::string withPath(std::string_view path) {
    return VendorAddress() + std::string(path);
}

}  // namespace

std::string VendorAddress() {
    VendorSetting& current = setting();
    std::lock_guard lock(current.mutex);
    return current.address;
}

bool VendorIsThisServer() {
    return VendorAddress().empty();
}

void UseThisServerAsVendor() {
    VendorSetting& current = setting();
    std::lock_guard lock(current.mutex);
    current.address.clear();
}

void SetVendorAddress(std::string_view address) {
    std::string_view scheme = startsWith(address, "http://")    ? "http://"
                              : startsWith(address, "https://") ? "https://"
                                                                : "";
    if (scheme.empty()) {
        throw std::invalid_argument("The vendor address must begin with http:// or https://");
    }
    while (address.size() > scheme.size() && address.back() == '/') address.remove_suffix(1);
    std::string_view rest = address.substr(scheme.size());
    if (rest.empty() || rest.front() == '/' || rest.front() == ':') {
        throw std::invalid_argument("The vendor address names no host");
    }
    for (char c : address) {
        if (isUnsafe(c))
            throw std::invalid_argument("The vendor address contains a character not allowed in it");
    }
    if (rest.find_first_of("?#") != std::string_view::npos) {
        throw std::invalid_argument("The vendor address must not carry a query or a fragment");
    }
    VendorSetting& current = setting();
    std::lock_guard lock(current.mutex);
    current.address = std::string(address);
}

std::string VendorVersionTextAddress() {
    return withPath("/zxtest/testver.txt");
}
std::string VendorNewsAddress() {
    return withPath("/zxtest/mshow.html");
}
std::string VendorManualAddress() {
    return withPath("/zxtest/manual/");
}
std::string VendorManualPageAddress() {
    return withPath("/zxtest/manual.html");
}
std::string VendorBannerAddress() {
    return withPath("/zxtest/bannerkhd.html");
}
std::string VendorHomeAddress() {
    return withPath("/home");
}
std::string VendorAnswerReviewAddress() {
    return withPath("/zxtest/up.asp");
}

}  // namespace exam
