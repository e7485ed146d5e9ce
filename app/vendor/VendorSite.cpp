#include "app/vendor/VendorSite.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/VendorServices.h"
#include "app/db/Database.h"
#include "app/db/Query.h"
#include "app/vendor/ReviewMarkup.h"
#include "app/vendor/SiteOrigin.h"
#include "app/vendor/VendorPages.h"
#include "resources/EmbeddedFiles.h"
#include "web/server/Text.h"
#include "web/server/session/SessionTable.h"

namespace exam::vendor {
namespace {

constexpr std::string_view kSitePrefix = "/zxtest/";
constexpr std::string_view kManualPrefix = "/zxtest/manual/";
constexpr std::string_view kManualFolder = "vendor/manual/";
constexpr std::string_view kReviewFields[] = {"testname", "testxm", "testcj", "testtil", "testmemo"};

// Scripts never run on these pages, and only this server's own pages may frame them.
constexpr std::string_view kPagePolicy =
    "default-src 'none'; img-src 'self'; style-src 'self' 'unsafe-inline'; script-src 'none'; "
    "frame-ancestors 'self'; base-uri 'none'; form-action 'none'";

void answerPage(web::TInHTTPAppResponse& response, std::string page, int status = 200,
                std::string reason = {}) {
    response.statusCode = status;
    response.reasonString = std::move(reason);
    response.contentType = "text/html; charset=utf-8";
    response.customHeaders.add("Content-Security-Policy", std::string(kPagePolicy));
    response.customHeaders.add("X-Content-Type-Options", "nosniff");
    response.customHeaders.add("Cache-Control", "no-store");
    response.setContent(std::move(page));
}

void answerMessage(web::TInHTTPAppResponse& response, int status, std::string reason, std::string_view title,
                   std::string_view message) {
    answerPage(response, MessagePage(title, message), status, std::move(reason));
}

void answerNotFound(web::TInHTTPAppResponse& response) {
    answerMessage(response, 404, "", "页面不存在", "这个地址上没有页面，请检查地址是否输入正确。");
}

// Every IPv4 address of the machine's interfaces that are up, loopback last.
std::vector<std::string> interfaceAddresses() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> owned(list, freeifaddrs);
    std::vector<std::string> addresses;
    std::vector<std::string> loopback;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) == nullptr) continue;
        std::vector<std::string>& into = std::string_view(text).starts_with("127.") ? loopback : addresses;
        if (std::find(into.begin(), into.end(), text) == into.end()) into.push_back(text);
    }
    addresses.insert(addresses.end(), loopback.begin(), loopback.end());
    return addresses;
}

// Papers handed in since midnight (local time, as the hand-in stamps them).
std::optional<long long> papersToday() {
    try {
        db::Database database{std::filesystem::path(db::kDatabaseFileName)};
        db::Query query(database);
        query.SQL().Add("select count(*) as papers from cj where 提交时间>=date('now','localtime')");
        query.Open();
        return query.FieldByName("papers").AsInteger();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

NewsFacts newsFacts(std::size_t liveSessions, int port) {
    return {interfaceAddresses(), port, liveSessions, papersToday()};
}

std::string contentTypeOf(std::string_view name) {
    if (name.ends_with(".png")) return "image/png";
    if (name.ends_with(".css")) return "text/css; charset=utf-8";
    return "text/html; charset=utf-8";
}

// Manual files are named with lower-case letters, digits, "-" and one extension.
bool isManualFileName(std::string_view name) {
    return !name.empty() && name.front() != '.' && name.find("..") == std::string_view::npos &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
           });
}

}  // namespace

bool VendorSite::Answer(const web::TInHTTPAppRequest& request, web::TInHTTPAppResponse& response,
                        const web::SessionTable* sessions, int port) const {
    if (!VendorIsThisServer()) return false;
    const std::string path = web::text::toLower(request.path);
    if (path == "/home") {
        answerPage(response,
                   HomePage({SiteOrigin(request), std::filesystem::absolute(db::kDatabaseFileName).string(),
                             settings_.organisation}));
        return true;
    }
    if (!path.starts_with(kSitePrefix)) return false;
    if (path == "/zxtest/testver.txt") {
        response.contentType = "text/plain; charset=utf-8";
        response.customHeaders.add("Cache-Control", "no-store");
        response.setContent(VersionText(SiteOrigin(request)));
    } else if (path == "/zxtest/mshow.html") {
        answerPage(response, NewsPage(newsFacts(sessions != nullptr ? sessions->count() : 0, port)));
    } else if (path == "/zxtest/bannerkhd.html") {
        answerPage(response, BannerPage(settings_.organisation));
    } else if (path == "/zxtest/up.asp") {
        answerReview(request, response);
    } else if (path == "/zxtest/manual.html" || path == "/zxtest/manual") {
        response.sendRedirect(SiteOrigin(request) + std::string(kManualPrefix));
    } else if (path.starts_with(kManualPrefix)) {
        std::string name = path.substr(kManualPrefix.size());
        answerManual(name.empty() ? "index.html" : name, response);
    } else {
        answerNotFound(response);
    }
    return true;
}

void VendorSite::answerReview(const web::TInHTTPAppRequest& request,
                              web::TInHTTPAppResponse& response) const {
    if (request.body.size() > kMaxReviewPost || request.query.size() > kMaxReviewPost) {
        return answerMessage(response, 413, "Payload Too Large", "无法显示答题详情",
                             "提交的答题数据超过 1 MB，无法显示。");
    }
    const web::FieldList& fields = request.contentFields;
    bool complete =
        request.isPost() && std::all_of(std::begin(kReviewFields), std::end(kReviewFields),
                                        [&](std::string_view name) { return fields.contains(name); });
    if (!complete) {
        return answerMessage(response, 400, "Bad Request", "无法显示答题详情",
                             "没有收到答题数据。请在交卷完成页面点击“点击查看答题详情”按钮打开本页。");
    }
    // The review form sits on a gb2312 page, whose browser posts in that code page.
    auto field = [&](std::string_view name) { return PostedGbkText(fields.value(name)); };
    answerPage(response, ReviewPage({field("testname"), field("testxm"), field("testcj"), field("testtil"),
                                     field("testmemo")}));
}

void VendorSite::answerManual(const std::string& name, web::TInHTTPAppResponse& response) const {
    const resources::EmbeddedFile* file =
        isManualFileName(name) ? resources::findEmbeddedFile(std::string(kManualFolder) + name) : nullptr;
    if (file == nullptr) return answerNotFound(response);
    if (name.ends_with(".html")) {
        answerPage(response, std::string(file->bytes()));
    } else {
        response.contentType = contentTypeOf(name);
        response.customHeaders.add("X-Content-Type-Options", "nosniff");
        response.setContent(std::string(file->bytes()));
    }
}

}  // namespace exam::vendor
