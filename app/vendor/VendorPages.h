#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The pages of the built-in vendor site, as documents (UTF-8). Every text that comes from
// a request is escaped here; the review's two markup fields pass the allow-list first.
namespace exam::vendor {

// The version text the host reads at start: this build's version, the upgrade message,
// the manual, "/" (where candidates go after hand-in), the review and the news page,
// lines joined by CR LF. `origin` is "http://host[:port]" or empty for relative addresses.
std::string VersionText(const std::string& origin);

// The 660 x 60 banner of the header frame: the product's name and, when given, the
// organisation's.
std::string BannerPage(std::string_view organisation);

struct NewsFacts {
    std::vector<std::string> addresses;  // IPv4 addresses of the machine's interfaces
    int port = 0;
    std::size_t liveSessions = 0;
    std::optional<long long> papersToday;  // nullopt when the database could not be read
};

// The host window's news page: how candidates reach the server, live sessions and papers
// handed in today. It reloads itself every kNewsRefreshSeconds.
inline constexpr int kNewsRefreshSeconds = 30;
std::string NewsPage(const NewsFacts& facts);

struct HomeFacts {
    std::string origin;  // as for VersionText
    std::string dataFile;
    std::string organisation;
};

// The footer's link: the product, its version, where the data lives, the manual.
std::string HomePage(const HomeFacts& facts);

// The fields the submission-complete page posts, already as UTF-8.
struct ReviewSheet {
    std::string examName;
    std::string candidate;
    std::string score;
    std::string questionList;  // `testtil`: list items, one per question
    std::string details;       // `testmemo`: one detail block per question
};

// The answer review: exam, name and score, the questions marked right or wrong, each
// linking to its details, which link back to the list ("#top").
std::string ReviewPage(const ReviewSheet& sheet);

// A short page with a heading and one line of text.
std::string MessagePage(std::string_view title, std::string_view message);

}  // namespace exam::vendor
