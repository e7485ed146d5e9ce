// Arbitrary bytes as page text: made valid UTF-8, written as GB18030 for a page labelled
// gb2312, and read back. Nothing may be lost on the way out (a character the code page
// cannot hold travels as a numeric character reference), and repairing valid text must
// change nothing.
#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "web/forms/CodePage.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// GB18030 back to UTF-8 the way a browser reads the page; nullopt-like empty flag on failure.
bool decodeGB18030(const std::string& bytes, std::string& out) {
    static iconv_t converter = iconv_open("UTF-8", "GB18030");
    if (converter == reinterpret_cast<iconv_t>(-1)) std::abort();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::string input = bytes;
    char* in = input.data();
    std::size_t inLeft = input.size();
    out.assign(input.size() * 4 + 16, '\0');
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(converter, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return false;
    out.resize(out.size() - outLeft);
    return true;
}

// Replaces every "&#N;" by the UTF-8 of code point N.
std::string resolveReferences(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.compare(at, 2, "&#") == 0 ? text.find(';', at) : std::string::npos;
        if (end == std::string::npos) {
            out += text[at++];
            continue;
        }
        unsigned long cp = std::stoul(text.substr(at + 2, end - at - 2));
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
        at = end + 1;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string valid = web::forms::ToValidUTF8(bytes);
    require(web::forms::ToValidUTF8(valid) == valid);
    // Text without NUL and without references of its own survives the page's code page.
    if (valid.find('\0') != std::string::npos || valid.find("&#") != std::string::npos) return 0;
    std::string page = web::forms::EncodeForCharset(valid, "gb2312");
    std::string back;
    require(decodeGB18030(page, back));
    require(resolveReferences(back) == valid);
    return 0;
}
