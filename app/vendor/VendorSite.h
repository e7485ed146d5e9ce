#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"

namespace web {
class SessionTable;
}

// The vendor's web site served by the exam server itself, for exam rooms without the
// internet: version text, news, manual, banner, answer review and the product page. It
// answers only while no other vendor address was given, and touches no session.
namespace exam::vendor {

struct VendorSiteSettings {
    // Shown under the product's name in the banner and on the product page; may be empty.
    std::string organisation;
};

// The review page takes at most this much posted data.
inline constexpr std::size_t kMaxReviewPost = 1024 * 1024;

class VendorSite final {
public:
    explicit VendorSite(VendorSiteSettings settings) : settings_(std::move(settings)) {}

    // Answers a request for one of the vendor's paths ("/zxtest/..." and "/home") and
    // returns true; returns false for every other path, or when the vendor is elsewhere.
    // The news page counts `sessions` (when given) and names `port`, the server's.
    bool Answer(const web::TInHTTPAppRequest& request, web::TInHTTPAppResponse& response,
                const web::SessionTable* sessions = nullptr, int port = 0) const;

private:
    void answerReview(const web::TInHTTPAppRequest& request, web::TInHTTPAppResponse& response) const;
    void answerManual(const std::string& name, web::TInHTTPAppResponse& response) const;

    VendorSiteSettings settings_;
};

}  // namespace exam::vendor
