#pragma once

#include <string>
#include <string_view>

// The vendor's web server: this server itself (app/vendor/ answers the vendor's paths)
// unless "-vendor URL" names another one, from which every vendor page the program names
// is formed. The paths on it are fixed. Nothing here contacts the server; callers that do
// fail silently when it cannot be reached.
namespace exam {

// The base address in use: empty while this server is its own vendor, so the addresses
// below are paths relative to the server the browser talks to. Never ends in "/".
std::string VendorAddress();

// True until SetVendorAddress names another server.
bool VendorIsThisServer();

// This server is the vendor again (tests).
void UseThisServerAsVendor();

// Replaces the base address (the "-vendor" switch). Accepts "http://" or "https://"
// followed by a host, optionally a port and a path; trailing "/" are dropped. Throws
// std::invalid_argument for anything else, including blanks, control characters, quotes
// and angle brackets, so the address can be placed into pages as it is.
void SetVendorAddress(std::string_view address);

// The version text read at start: newest version, upgrade message, further addresses.
std::string VendorVersionTextAddress();
// The news page of the host window.
std::string VendorNewsAddress();
// The online manual opened by the host window's manual link.
std::string VendorManualAddress();
// The single manual page kept in the host window's built-in text list.
std::string VendorManualPageAddress();
// The banner page shown in the header frame of every page.
std::string VendorBannerAddress();
// The vendor's home page linked from the footer frame.
std::string VendorHomeAddress();
// The answer-review page to which a candidate's browser posts the answer sheet.
std::string VendorAnswerReviewAddress();

}  // namespace exam
