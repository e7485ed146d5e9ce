#include "app/vendor/VendorPages.h"

#include "app/vendor/ProductInfo.h"
#include "app/vendor/ReviewMarkup.h"

namespace exam::vendor {
namespace {

// Text for element content and double-quoted attributes; the ampersand too, so a posted
// "&lt;" shows as typed instead of becoming markup on a second pass.
std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            case '\0':
                break;
            default:
                out += c;
        }
    }
    return out;
}

constexpr std::string_view kBaseStyle =
    "body{font-family:\"Microsoft YaHei\",\"Noto Sans CJK SC\",\"WenQuanYi Micro Hei\",SimSun,sans-serif;"
    "color:#222;background:#fff;margin:0}"
    "a{color:#1d4f91}";

std::string document(std::string_view title, std::string_view style, const std::string& body,
                     std::string_view extraHead = {}) {
    return "<!DOCTYPE html>\r\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">" + std::string(extraHead) +
           "<title>" + escaped(title) + "</title><style>" + std::string(kBaseStyle) + std::string(style) +
           "</style></head><body>" + body + "</body></html>\r\n";
}

constexpr std::string_view kBannerStyle =
    "html,body{width:660px;height:60px;margin:0;overflow:hidden;background:transparent}"
    ".banner{box-sizing:border-box;width:660px;height:60px;padding:0 18px;display:flex;flex-direction:column;"
    "justify-content:center;align-items:flex-end;color:#fff;text-shadow:0 1px 2px rgba(0,0,0,.6)}"
    ".product{font-size:22px;font-weight:bold;letter-spacing:2px;line-height:28px;white-space:nowrap}"
    ".org{font-size:14px;line-height:20px;white-space:nowrap;overflow:hidden;text-overflow:ellipsis;"
    "max-width:620px}";

constexpr std::string_view kNewsStyle =
    "body{font-size:12px;margin:6px 10px;background:#f7f7f2}"
    "h1{font-size:14px;margin:0 0 4px}"
    "ul{margin:2px 0 4px 18px;padding:0}"
    "p{margin:2px 0}.figure{font-weight:bold;color:#8a2c0b}.note{color:#666}";

constexpr std::string_view kPageStyle =
    "body{margin:24px auto;max-width:860px;padding:0 16px;line-height:1.7}"
    "h1{font-size:22px;border-bottom:2px solid #c9a66b;padding-bottom:6px}"
    "h2{font-size:17px;margin-top:24px}"
    "table.info{border-collapse:collapse}table.info th,table.info td{border:1px solid #ccc;padding:4px 12px;"
    "text-align:left}table.info th{background:#f4efe4;font-weight:normal}";

constexpr std::string_view kReviewStyle =
    "ol.til{padding-left:2.2em}"
    ".tilok a{color:#1a7f37}.tilerr a{color:#c62828}"
    ".tilok::marker{color:#1a7f37}.tilerr::marker{color:#c62828}"
    ".nr{border:1px solid #d8d2c4;border-radius:4px;margin:14px 0;padding:8px 14px;"
    "break-inside:avoid;page-break-inside:avoid}"
    ".bh{font-weight:bold;color:#5a4630}"
    ".tx,.fz{display:inline-block;margin-right:24px;color:#555}"
    ".fh{display:inline-block;float:right}"
    ".tg{margin:6px 0;font-size:16px}"
    ".hxx{margin:4px 0 6px 1em}"
    ".zdok,.zderr{padding:3px 8px;border-radius:3px}"
    ".zdok{background:#e8f5e9;color:#1a7f37}.zderr{background:#fdecea;color:#c62828}"
    ".hint{color:#666;font-size:13px}"
    "@media print{body{margin:0;max-width:none;color:#000}.fh,.hint{display:none}"
    "a{color:#000;text-decoration:none}.nr{border-color:#999}"
    ".zdok,.zderr{background:none;border:1px solid #999}}";

}  // namespace

std::string VersionText(const std::string& origin) {
    return std::string(kProductVersion) + "\r\n当前不是最新版本，请及时升级到最新版本\r\n" + origin +
           "/zxtest/manual.html\r\n/\r\n" + origin + "/zxtest/up.asp\r\n" + origin + "/zxtest/mshow.html\r\n";
}

std::string BannerPage(std::string_view organisation) {
    std::string body = "<div class=\"banner\"><div class=\"product\">" + escaped(kProductName) + "</div>";
    if (!organisation.empty()) body += "<div class=\"org\">" + escaped(organisation) + "</div>";
    return document(kProductName, kBannerStyle, body + "</div>");
}

std::string NewsPage(const NewsFacts& facts) {
    std::string body =
        "<h1>" + escaped(kProductName) + " 运行情况</h1><p>考生在浏览器中打开以下地址之一：</p><ul>";
    for (const std::string& address : facts.addresses) {
        body += "<li>http://" + escaped(address) + ":" + std::to_string(facts.port) + "/</li>";
    }
    if (facts.addresses.empty()) body += "<li>本机没有可用的 IPv4 地址</li>";
    body +=
        "</ul><p>在线会话：<span class=\"figure\" id=\"sessions\">" + std::to_string(facts.liveSessions) +
        "</span>　今日交卷：<span class=\"figure\" id=\"papers\">" +
        (facts.papersToday ? std::to_string(*facts.papersToday) + "</span> 份" : std::string("—</span>")) +
        "</p><p class=\"note\">本页每 " + std::to_string(kNewsRefreshSeconds) + " 秒自动刷新。</p>";
    std::string refresh =
        "<meta http-equiv=\"refresh\" content=\"" + std::to_string(kNewsRefreshSeconds) + "\">";
    return document("运行情况", kNewsStyle, body, refresh);
}

std::string HomePage(const HomeFacts& facts) {
    std::string body = "<h1>" + escaped(kProductName) + "</h1>";
    if (!facts.organisation.empty()) body += "<p>" + escaped(facts.organisation) + "</p>";
    body +=
        "<table class=\"info\"><tr><th>版本</th><td id=\"version\">" + escaped(kProductVersion) +
        "</td></tr><tr><th>考生访问地址</th><td>" +
        escaped(facts.origin.empty() ? "http://本机IP地址:端口/" : facts.origin + "/") +
        "</td></tr><tr><th>数据文件</th><td id=\"datafile\">" + escaped(facts.dataFile) +
        "</td></tr><tr><th>使用手册</th><td><a href=\"" + escaped(facts.origin) +
        "/zxtest/manual/\">在线手册</a></td></tr></table>"
        "<p>"
        "本系统在局域网内运行，不需要连接互联网。考试、试题、成绩和每位考生的作答都保存在上面的数据文件中；"
        "备份时在服务停止后复制这个文件即可。</p>";
    return document("关于 " + std::string(kProductName), kPageStyle, body);
}

std::string ReviewPage(const ReviewSheet& sheet) {
    std::string body =
        "<a id=\"top\" name=\"top\"></a><h1>答题详情</h1><table class=\"info\">"
        "<tr><th>考试名称</th><td id=\"examname\">" +
        escaped(sheet.examName) + "</td></tr><tr><th>姓名</th><td id=\"candidate\">" +
        escaped(sheet.candidate) + "</td></tr><tr><th>成绩</th><td id=\"score\">" + escaped(sheet.score) +
        "</td></tr></table><h2>题目列表</h2><ol class=\"til\" id=\"questions\">" +
        SanitizeReviewMarkup(sheet.questionList) +
        "</ol><p class=\"hint\">点击题目查看详情；打印本页请使用浏览器的打印功能（Ctrl+P）。</p>"
        "<h2>逐题详情</h2><div id=\"details\">" +
        SanitizeReviewMarkup(sheet.details) + "</div>";
    return document("答题详情---" + sheet.examName, std::string(kPageStyle) + std::string(kReviewStyle),
                    body);
}

std::string MessagePage(std::string_view title, std::string_view message) {
    return document(title, kPageStyle,
                    "<h1>" + escaped(title) + "</h1><p id=\"message\">" + escaped(message) + "</p>");
}

}  // namespace exam::vendor
