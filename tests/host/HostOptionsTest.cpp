#include <gtest/gtest.h>

#include <stdexcept>

#include "host/HostOptions.h"

namespace host {
namespace {

TEST(HostOptionsTest, SwitchesIgnoreCaseAndTakeDashOrSlash) {
    HostOptions options =
        ParseHostOptions({"/HEADLESS", "-Port", "8089", "-launchbrowser", "/minimize", "-LOG"});
    EXPECT_TRUE(options.headless);
    ASSERT_TRUE(options.port.has_value());
    EXPECT_EQ(*options.port, 8089);
    EXPECT_TRUE(options.launchBrowser);
    EXPECT_TRUE(options.minimize);
    EXPECT_TRUE(options.log);
    EXPECT_FALSE(options.initDatabase);
}

TEST(HostOptionsTest, DatabaseSwitchesKeepTheirValues) {
    HostOptions options = ParseHostOptions({"-initdb", "-password", " secret with blanks ", "-demo",
                                            "-vendor", "http://vendor.example", "/Bind", "127.0.0.1"});
    EXPECT_TRUE(options.initDatabase);
    EXPECT_TRUE(options.demo);
    EXPECT_EQ(options.password.value_or(""), " secret with blanks ");
    EXPECT_EQ(options.vendor.value_or(""), "http://vendor.example");
    EXPECT_EQ(options.bindAddress.value_or(""), "127.0.0.1");
}

TEST(HostOptionsTest, BackupTakesTheFileToWrite) {
    EXPECT_EQ(ParseHostOptions({"-Backup", "/srv/db1-copy.db"}).backupFile.value_or(""), "/srv/db1-copy.db");
    EXPECT_FALSE(ParseHostOptions({}).backupFile.has_value());
    EXPECT_THROW(ParseHostOptions({"-backup"}), std::invalid_argument);
}

TEST(HostOptionsTest, OrganisationNameIsTakenAsGiven) {
    EXPECT_EQ(ParseHostOptions({"/ORG", "第一中学 (高中部)"}).organisation.value_or(""), "第一中学 (高中部)");
    EXPECT_FALSE(ParseHostOptions({}).organisation.has_value());
    EXPECT_THROW(ParseHostOptions({"-org"}), std::invalid_argument);
}

TEST(HostOptionsTest, PortZeroLetsTheSystemChoose) {
    EXPECT_EQ(ParseHostOptions({"-port", "0"}).port.value_or(-1), 0);
    EXPECT_FALSE(ParseHostOptions({}).port.has_value());
}

TEST(HostOptionsTest, RefusesWhatItCannotUnderstand) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{{"-port"},
                                                                                           {"-port", "http"},
                                                                                           {"-port", "70000"},
                                                                                           {"-port", "-1"},
                                                                                           {"-frobnicate"},
                                                                                           {"stray"},
                                                                                           {"-password"}}) {
        EXPECT_THROW(ParseHostOptions(arguments), std::invalid_argument) << arguments.front();
    }
}

TEST(HostOptionsTest, APasswordNeedsASwitchThatWritesIt) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"-password", "x"}, {"-port", "0", "-password", "x"}, {"-initdb", "-resetpassword"}}) {
        EXPECT_THROW(ParseHostOptions(arguments), std::invalid_argument) << arguments.back();
    }
    HostOptions reset = ParseHostOptions({"-ResetPassword", "-password", "x"});
    EXPECT_TRUE(reset.resetPassword);
    EXPECT_EQ(reset.password.value_or(""), "x");
    EXPECT_TRUE(ParseHostOptions({"/resetpassword"}).resetPassword);
}

TEST(HostOptionsTest, PasswordValuesAreBlankedInTheArgumentMemory) {
    std::string program = "examserver", initdb = "-initdb", flag = "/PASSWORD", secret = "s3cret",
                port = "-port", number = "89";
    char* argv[] = {program.data(), initdb.data(), flag.data(), secret.data(), port.data(), number.data()};
    HidePasswordArguments(6, argv);
    EXPECT_EQ(std::string(secret.c_str()), "");
    EXPECT_EQ(secret.size(), 6u);
    EXPECT_EQ(std::string(argv[5]), "89");
    EXPECT_EQ(std::string(argv[2]), "/PASSWORD");
}

TEST(HostOptionsTest, SessionMemoryIsANumberOfMiB) {
    EXPECT_FALSE(ParseHostOptions({}).sessionMemoryMiB.has_value());
    EXPECT_EQ(ParseHostOptions({"-SessionMemory", "2048"}).sessionMemoryMiB.value_or(0), 2048u);
    for (const char* value : {"", "lots", "-5", "15", "1024MB", "99999999999"}) {
        EXPECT_THROW(ParseHostOptions({"-sessionmemory", value}), std::invalid_argument) << value;
    }
}

TEST(HostOptionsTest, UsageNamesEverySwitch) {
    std::string usage = HostUsage("examserver");
    for (const char* name :
         {"-port", "-headless", "-log", "-LaunchBrowser", "-Minimize", "-initdb", "-resetpassword",
          "-password", "-demo", "-vendor", "-bind", "-backup", "-org", "-sessionmemory", "-help"}) {
        EXPECT_NE(usage.find(name), std::string::npos) << name;
    }
}

TEST(HostOptionsTest, LibrarySwitchesKeepTheirValuesForTheCommand) {
    HostOptions options =
        ParseHostOptions({"-Library", "host=lib dbname=x", "/publish", "3", "-FBQ", "7", "-yykl", "Ab c"});
    EXPECT_EQ(options.library.value_or(""), "host=lib dbname=x");
    EXPECT_EQ(options.publishExam.value_or(""), "3");
    EXPECT_EQ(options.closedDays.value_or(""), "7");
    EXPECT_EQ(options.applicationPassword.value_or(""), "Ab c");
    EXPECT_EQ(ParseHostOptions({"-unpublish", "12"}).unpublishNumber.value_or(""), "12");
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"-fbq", "7"}, {"-yykl", "x"}, {"-publish", "1", "-unpublish", "2"}, {"-library"}}) {
        EXPECT_THROW(ParseHostOptions(arguments), std::invalid_argument) << arguments.front();
    }
    const std::string usage = HostUsage("examserver");
    for (const char* name : {"-library", "-publish", "-unpublish", "-fbq", "-yykl"}) {
        EXPECT_NE(usage.find(name), std::string::npos) << name;
    }
}

TEST(HostOptionsTest, LibraryConnectionAndApplicationPasswordAreBlankedToo) {
    std::string program = "examserver", library = "-library", connection = "password=pw", yykl = "-YYKL",
                secret = "Ab", publish = "-publish", exam = "1";
    char* argv[] = {program.data(), library.data(), connection.data(), yykl.data(),
                    secret.data(),  publish.data(), exam.data()};
    HidePasswordArguments(7, argv);
    EXPECT_EQ(std::string(connection.c_str()), "");
    EXPECT_EQ(std::string(secret.c_str()), "");
    EXPECT_EQ(std::string(argv[6]), "1");
}

}  // namespace
}  // namespace host
