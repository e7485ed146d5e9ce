#include <gtest/gtest.h>

#include "web/server/http/FormDecoding.h"

namespace web {
namespace {

std::vector<std::pair<std::string, std::string>> decoded(std::string_view text) {
    FieldList fields;
    DecodeFormFields(text, fields);
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const auto& field : fields) pairs.emplace_back(field.name, field.value);
    return pairs;
}

// A piece is decoded whole and then cut at its first "=": an encoded "=" in a name cuts it
// there too, as browsers never send one in the names of this system's controls.
TEST(FormDecodingTest, PiecesAreDecodedThenCutAtTheirFirstEqualsSign) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(decoded("WF_Action=WFBUTTON2&WFEDIT1=%E5%BC%A0+%E4%B8%89"),
              (Pairs{{"WF_Action", "WFBUTTON2"}, {"WFEDIT1", "张 三"}}));
    EXPECT_EQ(decoded("&&a=1&&b=&c&"), (Pairs{{"a", "1"}, {"b", ""}, {"c", ""}}));
    EXPECT_EQ(decoded("x=a%3Db%26c=d"), (Pairs{{"x", "a=b&c=d"}}));
    EXPECT_EQ(decoded("k%3Dv=w"), (Pairs{{"k", "v=w"}}));
    EXPECT_EQ(decoded("p=100%&q=%4&r=%zz%41"), (Pairs{{"p", "100%"}, {"q", "%4"}, {"r", "%zzA"}}));
    EXPECT_EQ(decoded(""), Pairs{});
    EXPECT_EQ(PercentDecode("a+b%20c", false), "a+b c");
}

}  // namespace
}  // namespace web
