#include "web/forms/CodePage.h"

#include <iconv.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "web/server/Text.h"

namespace web::forms {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

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

// The length of the valid UTF-8 sequence at the start of `text`; 0 when it is malformed.
std::size_t validLengthAt(std::string_view text) {
    std::size_t length = sequenceLength(static_cast<unsigned char>(text.front()));
    return length != 0 && validSequence(text, 0, length) ? length : 0;
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

std::string characterReference(std::string_view sequence) {
    return "&#" + std::to_string(static_cast<unsigned long>(codePoint(sequence))) + ";";
}

// A conversion from UTF-8 into one code page, in one pass over the text: a malformed
// sequence becomes the replacement character (one per byte, as ToValidUTF8 does) and a
// character the code page cannot hold a numeric character reference, so the browser still
// shows it and the rest of the page keeps its encoding.
class Converter {
public:
    explicit Converter(const std::string& to) : handle_(iconv_open(to.c_str(), "UTF-8")) {
        if (!valid()) return;
        std::string replacement;
        replacement_ = convertPlain(kReplacementCharacter, replacement) ? replacement : "&#65533;";
    }
    ~Converter() {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    const std::string& replacement() const { return replacement_; }

    // One character (a valid UTF-8 sequence) in the code page; false when it has none.
    bool convertOne(std::string_view sequence, std::string& output) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        return convertPlain(sequence, output);
    }

    std::string convert(std::string_view input) {
        std::string output;
        output.resize(input.size() + input.size() / 2 + 16);
        std::size_t used = 0;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        while (!input.empty()) {
            char* in = const_cast<char*>(input.data());
            std::size_t inLeft = input.size();
            char* out = output.data() + used;
            std::size_t outLeft = output.size() - used;
            std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            used = output.size() - outLeft;
            input.remove_prefix(input.size() - inLeft);
            if (result != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                output.resize(output.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL: the sequence at the front is malformed, cut off, or not in
            // the code page.
            std::size_t length = validLengthAt(input);
            const std::string& substitute =
                length == 0 ? replacement_ : characterReference(input.substr(0, length));
            if (output.size() - used < substitute.size())
                output.resize(output.size() * 2 + substitute.size());
            output.replace(used, substitute.size(), substitute);
            used += substitute.size();
            input.remove_prefix(length == 0 ? 1 : length);
        }
        output.resize(used);
        return output;
    }

private:
    bool convertPlain(std::string_view input, std::string& output) {
        char buffer[16];
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        bool converted = iconv(handle_, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
        output.assign(buffer, sizeof buffer - outLeft);
        return converted;
    }

    iconv_t handle_;
    std::string replacement_;
};

// Opening a conversion is costly next to one page; each thread keeps its own per code page.
Converter* converterFor(const std::string& name) {
    thread_local std::map<std::string, std::unique_ptr<Converter>> converters;
    std::unique_ptr<Converter>& converter = converters[name];
    if (!converter) converter = std::make_unique<Converter>(name);
    return converter->valid() ? converter.get() : nullptr;
}

std::string utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Where the run of ASCII bytes from `at` ends, looked at sixteen bytes at a time: markup is
// mostly ASCII, and ASCII is the same in GB18030. The first byte with its high bit set is
// found from the block's mask, not by going back over the block a byte at a time.
std::size_t asciiRunEnd(std::string_view text, std::size_t at) {
#if defined(__SSE2__)
    while (at + sizeof(__m128i) <= text.size()) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        const auto highBits = static_cast<unsigned>(_mm_movemask_epi8(block));
        if (highBits != 0) return at + static_cast<std::size_t>(std::countr_zero(highBits));
        at += sizeof(__m128i);
    }
#endif
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    while (at + sizeof(std::uint64_t) <= text.size()) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        if ((word & kHighBits) != 0) break;
        at += sizeof word;
    }
    while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) ++at;
    return at;
}

// The GB18030 bytes of every character of the basic plane, taken once from the system's
// conversion: a page is then encoded at a table look-up per character, byte for byte as
// the conversion itself would write it (GB18030 has no shift states, so a character's
// bytes do not depend on its neighbours). Characters beyond the plane, rare in a page, go
// through the conversion one at a time.
class Gb18030Table {
public:
    explicit Gb18030Table(Converter& converter) {
        std::string bytes;
        for (char32_t c = 0; c < kPlaneSize; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF) continue;  // never reaches the table: not valid UTF-8
            if (!converter.convertOne(utf8Of(c), bytes)) {
                lengths_[c] = kNotInCodePage;
            } else if (bytes.empty() || bytes.size() > sizeof(std::uint32_t)) {
                lengths_[c] = kAskConverter;
            } else {
                lengths_[c] = static_cast<std::uint8_t>(bytes.size());
                bytes.copy(reinterpret_cast<char*>(&codes_[c]), bytes.size());
            }
            if (c < 0x80 && (lengths_[c] != 1 || bytes[0] != static_cast<char>(c))) asciiKept_ = false;
        }
    }

    class Output;

    // Both conversions replace a malformed sequence with the replacement character, one per
    // byte, and write a character the code page lacks as a numeric character reference.
    void encodeInto(std::string_view input, Converter& converter, Output& output) const {
        std::string slow;
        for (std::size_t at = 0; at < input.size();) {
            const std::size_t plain = asciiRunEnd(input, at);
            if (plain > at) {
                output.put(input.substr(at, plain - at));
                at = plain;
                if (at == input.size()) break;
            }
            if (std::size_t length = putCommon(input, at, output)) {
                at += length;
                continue;
            }
            std::string_view rest = input.substr(at);
            std::size_t length = validLengthAt(rest);
            if (length == 0) {
                output.put(converter.replacement());
                ++at;
                continue;
            }
            std::string_view sequence = rest.substr(0, length);
            char32_t c = codePoint(sequence);
            std::uint8_t known = c < kPlaneSize ? lengths_[c] : kAskConverter;
            if (known == kNotInCodePage) {
                output.put(characterReference(sequence));
            } else if (known != kAskConverter) {
                output.putShort(&codes_[c], known);
            } else if (converter.convertOne(sequence, slow)) {
                output.put(slow);
            } else {
                output.put(characterReference(sequence));
            }
            at += length;
        }
    }

    bool usable() const { return asciiKept_; }

    // The encoded page. A run of Chinese text gathers in a small buffer and joins the page
    // in one piece: appending two bytes at a time costs more than the look-up they come from.
    class Output {
    public:
        explicit Output(std::size_t inputSize) { text_.reserve(inputSize + inputSize / 8 + 16); }
        void put(std::string_view bytes) {
            flush();
            text_ += bytes;
        }
        // Up to four bytes, of which `length` count.
        void putShort(const void* bytes, std::size_t length) {
            if (gathered_ + sizeof(std::uint32_t) > sizeof buffer_) flush();
            std::memcpy(buffer_ + gathered_, bytes, sizeof(std::uint32_t));
            gathered_ += length;
        }
        std::string take() {
            flush();
            return std::move(text_);
        }

    private:
        void flush() {
            text_.append(buffer_, gathered_);
            gathered_ = 0;
        }

        std::string text_;
        char buffer_[256];
        std::size_t gathered_ = 0;
    };

private:
    // The usual case of a page's Chinese text, without the general decoding: a well-formed
    // three-byte sequence (no surrogate, not overlong) whose bytes the table knows. Returns
    // the bytes taken from `input`, 0 when the general way must decide.
    std::size_t putCommon(std::string_view input, std::size_t at, Output& output) const {
        if (input.size() - at < 3) return 0;
        const auto* p = reinterpret_cast<const unsigned char*>(input.data() + at);
        if ((p[0] & 0xF0) != 0xE0 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80) return 0;
        const char32_t c = static_cast<char32_t>((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
        if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) return 0;
        const std::uint8_t known = lengths_[c];
        if (known == kNotInCodePage || known == kAskConverter) return 0;
        output.putShort(&codes_[c], known);
        return 3;
    }

    static constexpr char32_t kPlaneSize = 0x10000;
    static constexpr std::uint8_t kNotInCodePage = 0xFE;
    static constexpr std::uint8_t kAskConverter = 0xFF;

    std::array<std::uint32_t, kPlaneSize> codes_{};
    std::array<std::uint8_t, kPlaneSize> lengths_{};
    bool asciiKept_ = true;
};

// Built on first use by whichever thread needs it, then only read.
const Gb18030Table* gb18030Table() {
    static const std::unique_ptr<Gb18030Table> table = [] {
        Converter converter("GB18030");
        std::unique_ptr<Gb18030Table> built;
        if (converter.valid()) built = std::make_unique<Gb18030Table>(converter);
        return built && built->usable() ? std::move(built) : nullptr;
    }();
    return table.get();
}

}  // namespace

std::string EncodeGB18030ByConverter(const std::string& utf8) {
    Converter* converter = converterFor("GB18030");
    return converter != nullptr ? converter->convert(utf8) : utf8;
}

std::string EncodeForCharset(const std::string& utf8, std::string_view charset) {
    return EncodeForCharset({std::string_view(utf8)}, charset);
}

std::string EncodeForCharset(std::initializer_list<std::string_view> utf8Parts, std::string_view charset) {
    std::size_t size = 0;
    for (std::string_view part : utf8Parts) size += part.size();
    std::string name = web::text::toUpper(web::text::trim(charset));
    if (name == "GB2312" || name == "GBK" || name == "CP936") name = "GB18030";
    Converter* converter = name.empty() || name == "UTF-8" || name == "UTF8" ? nullptr : converterFor(name);
    if (converter == nullptr) {
        std::string text;
        text.reserve(size);
        for (std::string_view part : utf8Parts) text += part;
        return text;
    }
    if (name == "GB18030") {
        if (const Gb18030Table* table = gb18030Table()) {
            Gb18030Table::Output output(size);
            for (std::string_view part : utf8Parts) table->encodeInto(part, *converter, output);
            return output.take();
        }
    }
    std::string text;
    for (std::string_view part : utf8Parts) text += converter->convert(part);
    return text;
}

std::string ToValidUTF8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = validLengthAt(text.substr(at));
        if (length != 0) {
            out.append(text.substr(at, length));
            at += length;
        } else {
            out += kReplacementCharacter;
            ++at;
        }
    }
    return out;
}

namespace {

bool isValidUTF8(std::string_view text) {
    for (std::size_t at = asciiRunEnd(text, 0); at < text.size(); at = asciiRunEnd(text, at)) {
        const std::size_t length = validLengthAt(text.substr(at));
        if (length == 0) return false;
        at += length;
    }
    return true;
}

// Nearly every posted text is valid already and stays as it is.
void makeValidUTF8(std::string& text) {
    if (!isValidUTF8(text)) text = ToValidUTF8(text);
}

}  // namespace

web::FieldList DecodePostedFields(web::FieldList fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        makeValidUTF8(fields[i].name);
        makeValidUTF8(fields[i].value);
    }
    return fields;
}

}  // namespace web::forms
