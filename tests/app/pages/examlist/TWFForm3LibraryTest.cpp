#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/db/Schema.h"
#include "app/library/LibrarySettings.h"
#include "app/library/SharedExam.h"
#include "app/pages/examlist/TWFForm3.h"
#include "tests/app/pages/AdminPageTest.h"
#include "tests/support/DatabaseRows.h"
#include "tests/support/PrivatePostgres.h"

namespace exam::pages::testing {
namespace {

using testing_support::PrivatePostgres;

const std::string kNotANumber = "考试编号必须为数字，请检查！！！";
const std::string kUnknownNumber = "考试编号错误，请检查！！！";
const std::string kWrongPassword = "应用口令错误，请检查！！！";

// The exam list of a server whose library is the tests' private PostgreSQL server, with
// the sample exam of a second database to publish.
class TWFForm3LibraryTest : public AdminPageTest {
protected:
    void SetUp() override {
        server_ = PrivatePostgres::Shared();
        if (server_ == nullptr) GTEST_SKIP() << PrivatePostgres::SkipReason();
        server_->Clear();
        useLibrary(server_->LibraryConnection());
    }
    void TearDown() override { library::SetLibraryConnection(""); }

    void useLibrary(const std::string& connection) {
        library::SetLibraryConnection(connection);
        user().yccon = library::RemoteConnection(connection);
        page_ = &show<TWFForm3>();
    }

    // Publishes the sample exam: its number in the library.
    int publishSample(int closedDays = 0, const std::string& password = "") {
        db::InitDatabase(folder_.file("sample.db"), {std::string("pw"), true});
        db::Database sample(folder_.file("sample.db"));
        library::RemoteConnection connection(server_->LibraryConnection());
        const int number = library::PublishExam(sample, connection, 1, {closedDays, password, ""});
        sample.Close();
        std::filesystem::remove(folder_.file("sample.db"));
        return number;
    }

    std::vector<std::string> find(const std::string& number) {
        click("WFLINK8");
        return click("WFBUTTON3", "", {{"WFEDIT7", number}});
    }
    std::vector<std::string> load(const std::string& password = "", const std::string& name = "常识小测验") {
        return click("WFBUTTON3", "",
                     {{"WFEDIT7", page_->WFEdit7->Text}, {"WFEDIT8", name}, {"WFEDIT9", password}});
    }

    std::string localCount() {
        return rows("select (select count(*) from test) || '/' || (select count(*) from tm)")[0][0];
    }

    PrivatePostgres* server_ = nullptr;
    TWFForm3* page_ = nullptr;
};

TEST_F(TWFForm3LibraryTest, TheEntryShowsOnlyWithALibrary) {
    EXPECT_TRUE(page_->WFLink8->Visible);
    EXPECT_EQ(page_->WFLink10->Left, 440) << "the backup link makes room";
    const std::string html = render();
    EXPECT_NE(html.find("【从栎川云载入】"), std::string::npos);
    EXPECT_EQ(html.find("从栎川云载入考试数据"), std::string::npos) << "the region starts hidden";

    library::SetLibraryConnection("");
    page_ = &show<TWFForm3>();
    EXPECT_FALSE(page_->WFLink8->Visible);
    EXPECT_EQ(page_->WFLink10->Left, 576);
    EXPECT_EQ(render().find("【从栎川云载入】"), std::string::npos);
}

TEST_F(TWFForm3LibraryTest, OpeningTheRegionStartsItAfresh) {
    const int number = publishSample(7, "Ab");
    ASSERT_TRUE(find(std::to_string(number)).empty());
    ASSERT_EQ(page_->WFButton3->Caption, "载入");
    click("WFLINK9");
    EXPECT_FALSE(page_->WFRegion9->Visible);
    EXPECT_EQ(page_->WFEdit8->Text, "常识小测验") << "closing keeps the contents";
    click("WFLINK8");
    EXPECT_TRUE(page_->WFRegion9->Visible);
    EXPECT_EQ(page_->WFEdit7->Text, "");
    EXPECT_FALSE(page_->WFEdit7->ReadOnly);
    EXPECT_EQ(page_->WFEdit8->Text, "");
    for (const web::forms::TWFControl* hidden : {static_cast<web::forms::TWFControl*>(page_->WFEdit8),
                                                 static_cast<web::forms::TWFControl*>(page_->WFLabel18),
                                                 static_cast<web::forms::TWFControl*>(page_->WFEdit9),
                                                 static_cast<web::forms::TWFControl*>(page_->WFLabel19)}) {
        EXPECT_FALSE(hidden->Visible) << hidden->Name;
    }
    EXPECT_EQ(page_->WFButton3->Caption, "查找");
    EXPECT_NE(render().find("从栎川云载入考试数据"), std::string::npos);
}

TEST_F(TWFForm3LibraryTest, FindShowsTheNameAndAsksForThePasswordOnlyWhileClosed) {
    struct Case {
        int closedDays;
        bool asksPassword;
    };
    for (const Case c : {Case{0, false}, Case{7, true}}) {
        const int number = publishSample(c.closedDays, "Ab");
        EXPECT_TRUE(find(" " + std::to_string(number) + " ").empty())
            << "blanks around the number do not count";
        EXPECT_EQ(page_->WFEdit8->Text, "常识小测验");
        EXPECT_TRUE(page_->WFEdit8->Visible);
        EXPECT_TRUE(page_->WFLabel18->Visible);
        EXPECT_TRUE(page_->WFEdit7->ReadOnly);
        EXPECT_EQ(page_->WFEdit9->Visible, c.asksPassword) << c.closedDays;
        EXPECT_EQ(page_->WFLabel19->Visible, c.asksPassword) << c.closedDays;
        EXPECT_EQ(page_->WFButton3->Caption, "载入");
        EXPECT_FALSE(user().yccon.Connected()) << "connected for the click only";
    }
    // A closed period that has ended opens the exam.
    server_->Run("update zxtest set shijian = now() - interval '8 days' where fbq = 7");
    find("2");
    EXPECT_FALSE(page_->WFEdit9->Visible);
}

TEST_F(TWFForm3LibraryTest, NumbersThatAreNoneOrUnknownGetTheirMessages) {
    publishSample();
    struct Case {
        std::string typed;
        std::string message;
    };
    const std::vector<Case> cases{
        {"", kNotANumber},
        {"abc", kNotANumber},
        {"1.5", kNotANumber},
        {"1 2", kNotANumber},
        {"１", kNotANumber},
        {"2", kUnknownNumber},
        {"0", kUnknownNumber},
        {"-1", kUnknownNumber},
        {"99999999999", kUnknownNumber},
        {"+1", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(find(c.typed),
                  c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message})
            << c.typed;
        EXPECT_EQ(page_->WFButton3->Caption, c.message.empty() ? "载入" : "查找") << c.typed;
        EXPECT_FALSE(user().yccon.Connected()) << "a message also ends the connection: " << c.typed;
    }
    EXPECT_EQ(localCount(), "0/0");
}

TEST_F(TWFForm3LibraryTest, TheApplicationPasswordMustMatchExactly) {
    const int number = publishSample(7, "Ab");
    find(std::to_string(number));
    for (const std::string wrong : {"", "ab", "AB", "Ab1", "A b"}) {
        EXPECT_EQ(load(wrong), std::vector<std::string>{kWrongPassword}) << wrong;
        EXPECT_EQ(localCount(), "0/0") << wrong;
    }
    EXPECT_TRUE(load(" Ab ").empty()) << "blanks around the password do not count";
    EXPECT_EQ(rows("select 考试名称,wid from test"), (Rows{{"常识小测验", std::to_string(number)}}));
}

TEST_F(TWFForm3LibraryTest, LoadingTwiceMakesTwoLocalExamsWithTheSharedQuestions) {
    const int number = publishSample();
    find(std::to_string(number));
    EXPECT_TRUE(load("", "  常识（复制） ").empty());
    EXPECT_TRUE(load("", "常识").empty());
    EXPECT_TRUE(page_->WFRegion9->Visible);
    EXPECT_EQ(page_->WFButton3->Caption, "载入");
    EXPECT_EQ(page_->WFGrid1->RowCount(), 1) << "the list is not rebuilt";

    EXPECT_EQ(rows("select id,考试名称,wid,set1,set2,set3,set4,set5 from test order by id"),
              (Rows{{"1", "常识（复制）", "1", "0", "0", "0", "0", "1"},
                    {"2", "常识", "1", "0", "0", "0", "0", "1"}}));
    library::RemoteConnection connection(server_->LibraryConnection());
    const library::RemoteResult shared =
        connection.Execute("select id,题型,题目,候选项,答案,分数 from zxtm order by id");
    for (const std::string exam : {"1", "2"}) {
        const Rows copied =
            rows("select wid,题型,题目,候选项,答案,分数 from tm where testid=" + exam + " order by id");
        ASSERT_EQ(copied.size(), static_cast<std::size_t>(shared.RowCount()));
        for (int row = 0; row < shared.RowCount(); ++row) {
            for (int column = 0; column < 5; ++column)
                EXPECT_EQ(copied[row][column], shared.Text(row, column));
            EXPECT_EQ(std::stod(copied[row][5]), std::stod(shared.Text(row, 5)));
        }
    }
    page_ = &show<TWFForm3>();
    EXPECT_EQ(page_->WFGrid1->RowCount(), 3);
}

TEST_F(TWFForm3LibraryTest, AnExamWithoutQuestionsLoadsEmpty) {
    server_->Run("select newtest('空考试', 0, '', '')");
    find("1");
    EXPECT_TRUE(load("", "空考试").empty());
    EXPECT_EQ(localCount(), "1/0");
}

TEST_F(TWFForm3LibraryTest, AQuestionBreakingTheRulesRefusesTheWholeExam) {
    const int number = publishSample();
    server_->Run("update zxtm set 题型='填空题' where id=(select max(id) from zxtm)");
    find(std::to_string(number));
    const std::vector<std::string> alerts = load();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0],
              "云考试第6题（题目编号6）的题型“填空题”不是单选题、多选题或判断题，整个考试未载入！");
    EXPECT_EQ(localCount(), "0/0");
}

// A failure while the questions are stored takes the new exam back with them.
TEST_F(TWFForm3LibraryTest, AFailureHalfWayLeavesNoHalfExam) {
    const int number = publishSample();
    exec(
        "CREATE TRIGGER full_disk BEFORE INSERT ON tm WHEN NEW.题目 LIKE '%月亮%' "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    find(std::to_string(number));
    const std::vector<std::string> alerts = load();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].find("disk full"), std::string::npos) << alerts[0];
    EXPECT_EQ(localCount(), "0/0");
    exec("DROP TRIGGER full_disk");
    EXPECT_TRUE(load().empty()) << "the page stays usable";
    EXPECT_EQ(localCount(), "1/6");
}

// The read-only number cannot be changed in the browser, and a post that changes it anyway
// still loads the exam that was found.
TEST_F(TWFForm3LibraryTest, LoadCopiesTheExamFoundWhateverTheNumberPosted) {
    publishSample();
    server_->Run("select newtest('另一个', 0, '', '')");
    find("1");
    click("WFBUTTON3", "", {{"WFEDIT7", "2"}, {"WFEDIT8", "常识小测验"}});
    EXPECT_EQ(rows("select wid,(select count(*) from tm) from test"), (Rows{{"1", "6"}}));
}

TEST_F(TWFForm3LibraryTest, AnExamWithdrawnAfterTheFindIsUnknown) {
    const int number = publishSample();
    find(std::to_string(number));
    server_->Run("select deltest(" + std::to_string(number) + ")");
    EXPECT_EQ(load(), std::vector<std::string>{kUnknownNumber});
    EXPECT_EQ(localCount(), "0/0");
}

TEST_F(TWFForm3LibraryTest, AnUnreachableLibraryIsAnAlertAndWritesNothing) {
    useLibrary("host=" + folder_.path().string() + " port=5432 dbname=examlibrary connect_timeout=60");
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> alerts = find("1");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(11));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].find(folder_.path().string() + "/.s.PGSQL.5432"), std::string::npos) << alerts[0];
    EXPECT_EQ(page_->WFButton3->Caption, "查找");
    EXPECT_TRUE(page_->WFRegion9->Visible) << "the page stays usable";
    EXPECT_EQ(find("x"), std::vector<std::string>{kNotANumber}) << "a number is checked before connecting";
    EXPECT_EQ(localCount(), "0/0");
}

}  // namespace
}  // namespace exam::pages::testing
