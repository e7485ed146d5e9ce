#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace web {

class TWFServerControllerBase;
// Defined with its values beside the other controller settings.
enum class TWFUnknownBrowserAction;

// The browser kinds the runtime tells apart; the order is part of the protocol
// (sets of kinds are bit sets over these values).
enum class TWFBrowser {
    brUnknown,
    brIE,
    brNetscape7,
    brOpera,
    brSafari,
    brIE4,
    brNetscape6,
    brNetscape4,
    brOther,
    brHTML32Test,
    brWMLTest,
    brXHTMLMPTest,
    brWAP,
};

inline constexpr std::size_t kBrowserKindCount = 13;

// A set of browser kinds.
class TWFBrowsers {
public:
    constexpr TWFBrowsers() = default;
    constexpr TWFBrowsers(std::initializer_list<TWFBrowser> kinds) {
        for (TWFBrowser kind : kinds) insert(kind);
    }

    constexpr bool contains(TWFBrowser kind) const { return (mask_ & bit(kind)) != 0; }
    constexpr TWFBrowsers& insert(TWFBrowser kind) {
        mask_ |= bit(kind);
        return *this;
    }
    constexpr TWFBrowsers& erase(TWFBrowser kind) {
        mask_ &= ~bit(kind);
        return *this;
    }
    constexpr bool empty() const { return mask_ == 0; }
    constexpr std::uint32_t mask() const { return mask_; }
    friend constexpr bool operator==(TWFBrowsers, TWFBrowsers) = default;

private:
    // Kinds outside the table belong to no set.
    static constexpr std::uint32_t bit(TWFBrowser kind) {
        auto value = static_cast<std::size_t>(kind);
        return value < kBrowserKindCount ? std::uint32_t{1} << value : 0;
    }

    std::uint32_t mask_ = 0;
};

// The browsers that get the application's HTML 4.0 pages.
constexpr TWFBrowsers defaultSupportedBrowsers() {
    return {TWFBrowser::brIE, TWFBrowser::brNetscape7, TWFBrowser::brOpera, TWFBrowser::brSafari,
            TWFBrowser::brNetscape6};
}

// The page dialect a session is served in.
enum class TWFRenderMode { None = 0, HTML40 = 1, HTML32 = 2, WAP = 3 };

// Which older browsers are treated as HTML 3.2 clients.
struct TWFBrowser32Behaviour {
    bool Netscape4As32 = true;
    bool Netscape6As32 = true;
    bool IExplorer4As32 = true;
};

// The name messages show for a kind; fails with "Unknown browser type." for kinds that
// have none (brIE4 and values outside the table).
std::string browserName(TWFBrowser kind);

// Whether the kind can show the runtime's scripted pages (and so its scripted error page).
bool isPageCapable(TWFBrowser kind);

// Classifies a user agent. `wapOnly` is set when the application registered only a WAP
// start page: the HTML browsers are then treated as XHTML MP clients.
TWFBrowser DetectBrowser(std::string_view userAgent, bool wapOnly = false);

// The page dialect for a new session. Fails with "Unknown browser type." for a kind
// outside the table when the action is ubReject, and with EUnknownBrowserException when an
// HTML 4.0 browser is not in `supported`.
TWFRenderMode DecideRenderMode(TWFBrowser kind, std::string_view userAgent,
                               TWFUnknownBrowserAction unknownAction, const TWFBrowser32Behaviour& behaviour,
                               const TWFBrowsers& supported);
// The same with the settings of the server controller.
TWFRenderMode DecideRenderMode(TWFBrowser kind, std::string_view userAgent,
                               const TWFServerControllerBase& controller);

// The text of the unknown-browser error for a kind outside `supported`.
std::string unknownBrowserMessage(TWFBrowser kind, const TWFBrowsers& supported, std::string_view userAgent);

// Does nothing when `kind` is in `supported`; otherwise throws EUnknownBrowserException.
void CheckBrowser(TWFBrowser kind, const TWFBrowsers& supported, std::string_view userAgent);

}  // namespace web
