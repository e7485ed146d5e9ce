#include "web/server/TWFBrowser.h"

#include <array>

#include "web/server/Errors.h"
#include "web/server/TWFServerControllerBase.h"
#include "web/server/Text.h"

namespace web {
namespace {

// Gecko builds from this date on render the runtime's HTML 4.0 pages correctly.
constexpr int kFirstModernGeckoBuild = 20020823;

// Looked for in the upper-cased user agent, in this order.
constexpr std::array<std::string_view, 11> kWAPSignatures = {"NOKI",       "SIEMENS", "MOTOROLA",     "TRIUM",
                                                             "SYMBIAN OS", "SONY",    "SONYERICSSON", "WAP",
                                                             "UP.BROWSER", "UP.LINK", "MOT-A820"};

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool isWAPDevice(std::string_view upper) {
    for (std::string_view signature : kWAPSignatures) {
        if (contains(upper, signature)) return true;
    }
    return false;
}

// The build date follows "GECKO" and one separator ("Gecko/20021120").
TWFBrowser geckoKind(std::string_view upper) {
    std::size_t start = upper.find("GECKO") + 6;
    std::string_view date = start < upper.size() ? upper.substr(start, 8) : std::string_view{};
    return text::toIntDef(date, kFirstModernGeckoBuild) < kFirstModernGeckoBuild ? TWFBrowser::brNetscape6
                                                                                 : TWFBrowser::brNetscape7;
}

// The major version after "MSIE ", up to the first dot.
TWFBrowser explorerKind(std::string_view upper) {
    std::string_view version = upper.substr(upper.find("MSIE ") + 5);
    version = version.substr(0, version.find('.'));
    return text::toIntDef(version, 0) < 5 ? TWFBrowser::brIE4 : TWFBrowser::brIE;
}

TWFBrowser classify(std::string_view upper) {
    if (upper == "HTML 3.2") return TWFBrowser::brHTML32Test;
    if (upper == "WML") return TWFBrowser::brWMLTest;
    if (upper == "XHTML MP") return TWFBrowser::brXHTMLMPTest;
    if (contains(upper, "MOZILLA/2") || contains(upper, "3.02")) return TWFBrowser::brOther;
    if (contains(upper, "KONQUEROR") || contains(upper, "SAFARI")) return TWFBrowser::brSafari;
    if (contains(upper, "OPERA")) return TWFBrowser::brOpera;
    if (contains(upper, "GECKO")) return geckoKind(upper);
    if (upper.starts_with("MOZILLA/4.5") || upper.starts_with("MOZILLA/4.7")) return TWFBrowser::brNetscape4;
    if (!contains(upper, "MSIE ")) return isWAPDevice(upper) ? TWFBrowser::brWAP : TWFBrowser::brOther;
    return explorerKind(upper);
}

bool isKnownKind(TWFBrowser kind) {
    return static_cast<std::size_t>(kind) < kBrowserKindCount;
}

TWFRenderMode as32Or40(bool as32) {
    return as32 ? TWFRenderMode::HTML32 : TWFRenderMode::HTML40;
}

TWFRenderMode unknownKindMode(TWFUnknownBrowserAction action) {
    switch (action) {
        case TWFUnknownBrowserAction::ub32:
            return TWFRenderMode::HTML32;
        case TWFUnknownBrowserAction::ubWAP:
            return TWFRenderMode::WAP;
        case TWFUnknownBrowserAction::ub40:
            return TWFRenderMode::HTML40;
        case TWFUnknownBrowserAction::ubReject:
            break;
    }
    throw EWFException("Unknown browser type.");
}

TWFRenderMode knownKindMode(TWFBrowser kind, const TWFBrowser32Behaviour& behaviour) {
    switch (kind) {
        case TWFBrowser::brUnknown:
            return TWFRenderMode::None;
        case TWFBrowser::brIE4:
            return as32Or40(behaviour.IExplorer4As32);
        case TWFBrowser::brNetscape6:
            return as32Or40(behaviour.Netscape6As32);
        case TWFBrowser::brNetscape4:
            return as32Or40(behaviour.Netscape4As32);
        case TWFBrowser::brOther:
        case TWFBrowser::brHTML32Test:
            return TWFRenderMode::HTML32;
        case TWFBrowser::brWMLTest:
        case TWFBrowser::brXHTMLMPTest:
        case TWFBrowser::brWAP:
            return TWFRenderMode::WAP;
        case TWFBrowser::brIE:
        case TWFBrowser::brNetscape7:
        case TWFBrowser::brOpera:
        case TWFBrowser::brSafari:
            break;
    }
    return TWFRenderMode::HTML40;
}

}  // namespace

std::string browserName(TWFBrowser kind) {
    switch (kind) {
        case TWFBrowser::brUnknown:
            return "Unknown or Unrecognized";
        case TWFBrowser::brIE:
            return "Internet Explorer";
        case TWFBrowser::brNetscape7:
            return "Netscape 7 or higher (Gecko)";
        case TWFBrowser::brOpera:
            return "Opera";
        case TWFBrowser::brSafari:
            return "Safari";
        case TWFBrowser::brNetscape6:
            return "Netscape 6 (Gecko)";
        case TWFBrowser::brNetscape4:
            return "Netscape 4";
        case TWFBrowser::brOther:
            return "Other";
        case TWFBrowser::brHTML32Test:
            return "HTML 32 Test";
        case TWFBrowser::brWMLTest:
            return "WML Test";
        case TWFBrowser::brXHTMLMPTest:
            return "XHTML MP Test";
        case TWFBrowser::brWAP:
            return "Generic WAP Browser";
        case TWFBrowser::brIE4:
            break;
    }
    throw EWFException("Unknown browser type.");
}

bool isPageCapable(TWFBrowser kind) {
    return TWFBrowsers{TWFBrowser::brIE, TWFBrowser::brNetscape7, TWFBrowser::brOpera, TWFBrowser::brSafari}
        .contains(kind);
}

TWFBrowser DetectBrowser(std::string_view userAgent, bool wapOnly) {
    TWFBrowser kind = classify(text::toUpper(userAgent));
    bool htmlBrowser = TWFBrowsers{TWFBrowser::brIE, TWFBrowser::brNetscape7, TWFBrowser::brOpera,
                                   TWFBrowser::brIE4, TWFBrowser::brNetscape6}
                           .contains(kind);
    return wapOnly && htmlBrowser ? TWFBrowser::brXHTMLMPTest : kind;
}

TWFRenderMode DecideRenderMode(TWFBrowser kind, std::string_view userAgent,
                               TWFUnknownBrowserAction unknownAction, const TWFBrowser32Behaviour& behaviour,
                               const TWFBrowsers& supported) {
    TWFRenderMode mode = isKnownKind(kind) ? knownKindMode(kind, behaviour) : unknownKindMode(unknownAction);
    if (mode == TWFRenderMode::HTML40) CheckBrowser(kind, supported, userAgent);
    return mode;
}

TWFRenderMode DecideRenderMode(TWFBrowser kind, std::string_view userAgent,
                               const TWFServerControllerBase& controller) {
    TWFBrowser32Behaviour behaviour{controller.Netscape4As32, controller.Netscape6As32,
                                    controller.IExplorer4As32};
    return DecideRenderMode(kind, userAgent, controller.UnknownBrowserAction, behaviour,
                            controller.SupportedBrowsers);
}

std::string unknownBrowserMessage(TWFBrowser kind, const TWFBrowsers& supported, std::string_view userAgent) {
    std::string message = "Your browser was detected as " + browserName(kind) + ", identifying itself as " +
                          std::string(userAgent) + ".\r\nOne of the following browsers is required:\r\n";
    for (std::size_t value = 0; value < kBrowserKindCount; ++value) {
        auto member = static_cast<TWFBrowser>(value);
        if (supported.contains(member)) message += "* " + browserName(member) + "\r\n";
    }
    return message;
}

void CheckBrowser(TWFBrowser kind, const TWFBrowsers& supported, std::string_view userAgent) {
    if (supported.contains(kind)) return;
    throw EUnknownBrowserException(unknownBrowserMessage(kind, supported, userAgent), isPageCapable(kind));
}

}  // namespace web
