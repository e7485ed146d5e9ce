#pragma once

#include <string>
#include <string_view>

// The vendor's web server: one base address, built in or given with "-vendor URL", from
// which every vendor page the program names is formed. The paths on it are fixed. Nothing
// here contacts the server; callers that do fail silently when it cannot be reached.
namespace exam {

inline constexpr std::string_view kBuiltInVendorAddress = "http://www.tessel-exam.example";

// The base address in use: the built-in one until SetVendorAddress replaces it. Never
// ends in "/".
std::string VendorAddress();

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
