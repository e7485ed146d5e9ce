#include "app/TWFUserSession.h"

#include <gtest/gtest.h>

#include "app/db/DatabaseError.h"
#include "tests/app/db/TestDatabase.h"
#include "web/server/Errors.h"

namespace exam {
namespace {

using db::testing::TempFolder;

class NamedPage : public web::IWFForm {
public:
    explicit NamedPage(std::string name) : name_(std::move(name)) {}
    const std::string& formName() const override { return name_; }
    int width() const override { return 1000; }
    int height() const override { return 679; }
    void setSize(int, int) override {}
    void ProcessSubmit(const web::FieldList&) override {}
    void RenderHTML(std::ostream&, web::TWFApplication&) override {}
    void AddInitScript(const std::string&) override {}
    void AddPageScript(const std::string&) override {}

private:
    std::string name_;
};

TEST(TWFUserSessionTest, SharesTheFilesConnectionsAndStartsEmpty) {
    TempFolder folder;
    db::InitDatabase(folder.file("db1.db"), {std::string("pw"), false});
    TWFUserSession first(folder.file("db1.db"));
    TWFUserSession second(folder.file("db1.db"));
    EXPECT_TRUE(first.ADOConnection1.Connected());
    EXPECT_EQ(&first.ADOConnection1.Pool(), &second.ADOConnection1.Pool());
    EXPECT_FALSE(first.yccon.Connected());
    EXPECT_TRUE(first.ExamId.empty());
    EXPECT_TRUE(first.CandidateName.empty());
    first.tem.SQL().SetText("select count(*) as n from test");
    first.tem.Open();
    EXPECT_EQ(first.tem.FieldByName("n").AsInteger(), 0);
}

TEST(TWFUserSessionTest, MissingDatabaseFailsTheCreation) {
    TempFolder folder;
    EXPECT_THROW(TWFUserSession(folder.file("db1.db")), db::DatabaseError);
    EXPECT_FALSE(std::filesystem::exists(folder.file("db1.db")));
}

TEST(TWFUserSessionTest, MoveToPageShowsAFreshPageAndKeepsTheExamId) {
    TempFolder folder;
    db::InitDatabase(folder.file("db1.db"), {std::string("pw"), false});
    web::TWFApplication session(web::TWFSessionStart{});
    session.SetUserData(std::make_unique<TWFUserSession>(folder.file("db1.db")));
    web::CurrentSessionScope current(&session);
    session.FormShown(session.AdoptForm(std::make_unique<NamedPage>("TWFForm2")));
    UserSession().ExamId = "7";

    UserSession().MoveToPage([] { return std::make_unique<NamedPage>("TWFForm5"); });
    ASSERT_NE(session.ActiveForm(), nullptr);
    EXPECT_EQ(session.ActiveForm()->formName(), "TWFForm5");
    EXPECT_EQ(UserSession().ExamId, "7");
}

TEST(TWFUserSessionTest, UserSessionOutsideARequestFails) {
    EXPECT_THROW(UserSession(), web::EWFException);
}

}  // namespace
}  // namespace exam
