#include <gtest/gtest.h>

#include "app/HostTexts.h"
#include "app/VendorServices.h"
#include "app/pages/complete/TWFForm7.h"
#include "tests/app/pages/CandidatePagesFixture.h"

namespace exam::pages::testing {
namespace {

class TWFForm7Test : public CandidatePageTest {
protected:
    ~TWFForm7Test() override { RestoreBuiltInMemo1Lines(); }

    // An exam with two questions and the paper of `name`: the first answered right, the
    // second wrong.
    std::int64_t paper(const std::string& name, int set1, int set5, double score = 12.5) {
        const std::int64_t exam = createExam("期末<b>考试</b>", set1, 1, 0, set5);
        q1_ = addQuestion(exam, "单选题", "<b>一</b>\r\n", "A.甲\r\nB.乙\r\n", "B", 2);
        q2_ = addQuestion(exam, "多选题", "二\r\n", "A.甲\r\nB.乙\r\nC.丙\r\n", "AC", 10.5);
        exec("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,?,?,'')", {exam, q1_, name, "B"});
        exec("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,?,?,'')", {exam, q2_, name, "A"});
        exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,'',?,?,'')", {exam, name, score});
        workOn(exam);
        user().CandidateName = name;
        return exam;
    }

    std::int64_t q1_ = 0;
    std::int64_t q2_ = 0;
};

TEST_F(TWFForm7Test, ShowsNameScoreAndTheAnswerReviewForm) {
    paper("张三", 0, 0);
    TWFForm7& page = show<TWFForm7>();
    EXPECT_EQ(page.WFLabel1->Caption, "交卷成功");
    EXPECT_EQ(page.WFLabel2->Caption, "姓名：张三  成绩：12.5");

    const std::string a = std::to_string(q1_);
    const std::string b = std::to_string(q2_);
    const std::string details =
        "<div class=\"nr\"> <div class=\"bh\"><a name=\"" + a + "\" id=\"" + a + "\"></a>题目编号：" + a +
        " </div>\r\n"
        "<div class=\"tx\">题型:单选题</div><div class=\"fz\">分值:2 分</div> <div class=\"fh\">【<a "
        "href=\"#top\">返回题目列表</a>】</div>\r\n"
        "<div class=\"tg\"><b>一</b>\r\n</div>\r\n"
        "<div class=\"hxx\">\r\n"
        "A.甲\r\nB.乙\r\n\r\n"
        "</div><div class=\"zdok\">标准答案：B 您的作答：B</div></div>\r\n"
        "<div class=\"nr\"> <div class=\"bh\"><a name=\"" +
        b + "\" id=\"" + b + "\"></a>题目编号：" + b +
        " </div>\r\n"
        "<div class=\"tx\">题型:多选题</div><div class=\"fz\">分值:10.5 分</div> <div class=\"fh\">【<a "
        "href=\"#top\">返回题目列表</a>】</div>\r\n"
        "<div class=\"tg\">二\r\n</div>\r\n"
        "<div class=\"hxx\">\r\n"
        "A.甲\r\nB.乙\r\nC.丙\r\n\r\n"
        "</div><div class=\"zderr\">标准答案：AC 您的作答：A</div></div>\r\n";
    const std::vector<std::string> expected{
        "<form id=\"upym\" name=\"upym\" method=\"post\" target=\"_blank\"  action=\"" +
            VendorAnswerReviewAddress() + "\">",
        "<input name=\"testname\" type=\"hidden\" id=\"testname\" value=\"期末<b>考试</b>\" />",
        "<input name=\"testxm\" type=\"hidden\" id=\"testxm\" value=\"张三\" /> ",
        "<input name=\"testcj\" type=\"hidden\" id=\"testcj\" value=\"12.5\" />",
        "<input name=\"testtil\" type=\"hidden\" id=\"testmemo\" value='",
        "<li class=\"tilok\"><a href=\"#" + a + "\">[对]<b>一</b>\r\n</a></li>",
        "<li class=\"tilerr\"><a href=\"#" + b + "\">[错]二\r\n</a></li>",
        "' />",
        "<input name=\"testmemo\" type=\"hidden\" id=\"testmemo\" value='",
        details,
        "' /> ",
        "<div align=\"center\"><input type=\"submit\" name=\"button\" id=\"button\" "
        "value=\"点击查看答题详情\" "
        "/></div></form> ",
    };
    EXPECT_EQ(page.WFText1->Lines, expected);

    const std::string html = render();
    EXPECT_NE(html.find("<title>交卷完成---栎川考试系统</title>"), std::string::npos);
    EXPECT_NE(html.find(expected[0] + "\r\n" + expected[1] + "\r\n"), std::string::npos);
    EXPECT_NE(html.find("WFTIMER1_ID=setTimeout("), std::string::npos);
    EXPECT_NE(html.find(",10000);"), std::string::npos);
}

TEST_F(TWFForm7Test, WithoutScoreDisplayTheFormStillCarriesTheScore) {
    paper("张三", 1, 0, 0);
    TWFForm7& page = show<TWFForm7>();
    EXPECT_EQ(page.WFLabel2->Caption, "");
    ASSERT_GT(page.WFText1->Lines.size(), 3u);
    EXPECT_EQ(page.WFText1->Lines[3], "<input name=\"testcj\" type=\"hidden\" id=\"testcj\" value=\"0\" />");
}

TEST_F(TWFForm7Test, WithoutReviewThereIsNoForm) {
    paper("张三", 0, 1);
    TWFForm7& page = show<TWFForm7>();
    EXPECT_EQ(page.WFLabel2->Caption, "姓名：张三  成绩：12.5");
    EXPECT_TRUE(page.WFText1->Lines.empty());
    const std::string html = render();
    EXPECT_EQ(html.find("upym"), std::string::npos);
    EXPECT_EQ(html.find("点击查看答题详情"), std::string::npos);
}

TEST_F(TWFForm7Test, TheCandidatesNameIsWrittenAsTextEverywhere) {
    const std::string name = "<i>O'Neil</i>\"&";
    paper(name, 0, 0);
    TWFForm7& page = show<TWFForm7>();
    EXPECT_EQ(page.WFText1->Lines[2],
              "<input name=\"testxm\" type=\"hidden\" id=\"testxm\" "
              "value=\"&lt;i&gt;O&#39;Neil&lt;/i&gt;&quot;&amp;\" /> ");
    const std::string html = render();
    EXPECT_EQ(html.find("<i>O'Neil"), std::string::npos);
    EXPECT_NE(html.find("姓名：&lt;i&gt;O&#39;Neil&lt;/i&gt;&quot;&  成绩：12.5"), std::string::npos);
}

// The same name handed in under an earlier tag: the page shows the paper just handed in,
// not the older one.
TEST_F(TWFForm7Test, OnlyThePaperJustHandedInIsShown) {
    const std::int64_t exam = paper("张三", 0, 0, 12.5);
    exec("update cj set 考试标识='旧' where testid=?", {exam});
    exec("update dtxb set 考试标识='旧' where testid=?", {exam});
    exec("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,'张三','A','新')", {exam, q1_});
    exec("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,'张三','AC','新')", {exam, q2_});
    exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,'','张三',10.5,'新')", {exam});

    TWFForm7& page = show<TWFForm7>();
    EXPECT_EQ(page.WFLabel2->Caption, "姓名：张三  成绩：10.5");
    const std::vector<std::string>& lines = page.WFText1->Lines;
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[3], "<input name=\"testcj\" type=\"hidden\" id=\"testcj\" value=\"10.5\" />");
    EXPECT_EQ(lines[5],
              "<li class=\"tilerr\"><a href=\"#" + std::to_string(q1_) + "\">[错]<b>一</b>\r\n</a></li>");
    EXPECT_EQ(lines[6], "<li class=\"tilok\"><a href=\"#" + std::to_string(q2_) + "\">[对]二\r\n</a></li>");
}

TEST_F(TWFForm7Test, TheTimerEndsTheSessionAndSendsTheBrowserOn) {
    paper("张三", 0, 0);
    PublishMemo1Lines({"2.0", "新版本", "http://manual.example", "http://next.example/start", "x"});
    show<TWFForm7>();
    post({{"WF_Action", "WFTIMER1"}, {"WF_ActionParam", ""}});
    EXPECT_TRUE(session_.Terminated());
    EXPECT_EQ(session_.RedirectURL(), "http://next.example/start");
}

TEST_F(TWFForm7Test, AShortHostListSendsTheBrowserToTheStartAddress) {
    paper("张三", 0, 0);
    PublishMemo1Lines({"2.0", "新版本"});
    show<TWFForm7>();
    post({{"WF_Action", "WFTIMER1"}, {"WF_ActionParam", ""}});
    EXPECT_TRUE(session_.Terminated());
    EXPECT_EQ(session_.RedirectURL(), "/");
}

}  // namespace
}  // namespace exam::pages::testing
