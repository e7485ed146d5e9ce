#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/exam/ShownQuestions.h"

namespace exam {
namespace {

std::shared_ptr<const ShownQuestion> question(const std::string& text) {
    return std::make_shared<const ShownQuestion>(ShownQuestion{text, "单选题", "A", "A.甲\r\nB.乙\r\n"});
}

TEST(ShownQuestionsTest, AQuestionIsFoundOnlyUnderTheGenerationItWasReadIn) {
    ShownQuestions shown;
    EXPECT_EQ(shown.find("1", 5), nullptr);
    shown.keep("1", 5, question("第一题"));
    ASSERT_NE(shown.find("1", 5), nullptr);
    EXPECT_EQ(shown.find("1", 5)->text, "第一题");
    EXPECT_EQ(shown.find("2", 5), nullptr);
    EXPECT_EQ(shown.find("1", 6), nullptr);

    // A later generation lets go of everything read before it.
    shown.keep("2", 6, question("第二题"));
    EXPECT_EQ(shown.find("1", 5), nullptr);
    EXPECT_EQ(shown.find("1", 6), nullptr);
    EXPECT_EQ(shown.find("2", 6)->text, "第二题");

    // A read that began before the latest change may be stale: it is not kept.
    shown.keep("1", 5, question("旧的第一题"));
    EXPECT_EQ(shown.find("1", 5), nullptr);
    EXPECT_EQ(shown.find("1", 6), nullptr);
    EXPECT_EQ(shown.find("2", 6)->text, "第二题");
}

TEST(ShownQuestionsTest, AFullStoreStartsAfresh) {
    ShownQuestions shown;
    for (std::size_t id = 0; id < ShownQuestions::kCapacity; ++id)
        shown.keep(std::to_string(id), 1, question("题"));
    EXPECT_NE(shown.find("0", 1), nullptr);
    shown.keep("new", 1, question("新题"));
    EXPECT_EQ(shown.find("0", 1), nullptr);
    EXPECT_EQ(shown.find("new", 1)->text, "新题");

    // Long texts fill it by their bytes; a question kept anew counts once.
    const std::string third(ShownQuestions::kByteBudget / 3, 'x');
    shown.keep("a", 1, question(third));
    shown.keep("a", 1, question(third));
    shown.keep("b", 1, question(third));
    EXPECT_NE(shown.find("new", 1), nullptr);
    shown.keep("c", 1, question(third));
    EXPECT_EQ(shown.find("new", 1), nullptr);
    EXPECT_EQ(shown.find("a", 1), nullptr);
    EXPECT_EQ(shown.find("c", 1)->text, third);
}

}  // namespace
}  // namespace exam
