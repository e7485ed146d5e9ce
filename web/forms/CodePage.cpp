#include "web/forms/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "web/server/Text.h"

namespace web::forms {
namespace {

std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// The code point of one valid UTF-8 sequence.
char32_t codePoint(std::string_view sequence) {
    auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(sequence[i])); };
    switch (sequence.size()) {
        case 1:
            return byte(0);
        case 2:
            return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
        case 3:
            return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
        default:
            return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
    }
}

// One conversion descriptor, closed with its owner.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `input`, which must be valid UTF-8. A character the code page cannot
    // hold is written as a numeric character reference, so the browser still shows it and
    // the rest of the page keeps its encoding.
    void convert(const std::string& input, std::string& output) {
        output.clear();
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char buffer[8192];
        while (inLeft > 0) {
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, sizeof buffer - outLeft);
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
            std::size_t length =
                std::min(inLeft, std::max<std::size_t>(1, sequenceLength(static_cast<unsigned char>(*in))));
            output += "&#" +
                      std::to_string(static_cast<unsigned long>(codePoint(std::string_view(in, length)))) +
                      ";";
            in += length;
            inLeft -= length;
        }
    }

private:
    iconv_t handle_;
};

bool validSequence(std::string_view text, std::size_t at, std::size_t length) {
    if (at + length > text.size()) return false;
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return false;
    }
    if (length == 3 && byte(0) == 0xE0 && byte(1) < 0xA0) return false;   // overlong
    if (length == 3 && byte(0) == 0xED && byte(1) >= 0xA0) return false;  // surrogates
    if (length == 4 && byte(0) == 0xF0 && byte(1) < 0x90) return false;   // overlong
    if (length == 4 && byte(0) == 0xF4 && byte(1) >= 0x90) return false;  // beyond U+10FFFF
    return true;
}

}  // namespace

std::string EncodeForCharset(const std::string& utf8, std::string_view charset) {
    std::string name = web::text::toUpper(web::text::trim(charset));
    if (name.empty() || name == "UTF-8" || name == "UTF8") return utf8;
    if (name == "GB2312" || name == "GBK" || name == "CP936") name = "GB18030";
    Converter converter(name.c_str(), "UTF-8");
    if (!converter.valid()) return utf8;
    std::string encoded;
    converter.convert(ToValidUTF8(utf8), encoded);
    return encoded;
}

std::string ToValidUTF8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = sequenceLength(static_cast<unsigned char>(text[at]));
        if (length != 0 && validSequence(text, at, length)) {
            out.append(text.substr(at, length));
            at += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++at;
        }
    }
    return out;
}

web::FieldList DecodePostedFields(const web::FieldList& fields) {
    web::FieldList decoded;
    for (const auto& field : fields) decoded.add(ToValidUTF8(field.name), ToValidUTF8(field.value));
    return decoded;
}

}  // namespace web::forms
