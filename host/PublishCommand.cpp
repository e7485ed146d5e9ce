#include "host/PublishCommand.h"

#include <climits>
#include <cstdint>
#include <ostream>

#include "app/db/Database.h"
#include "app/library/RemoteConnection.h"
#include "app/library/SharedExam.h"
#include "web/server/Text.h"

namespace host {
namespace {

// Ten years at most: longer is a typing error, and the library adds the days to a date.
constexpr std::int64_t kMaxClosedDays = 3650;

bool readNumber(const std::string& text, std::int64_t low, std::int64_t high, std::int64_t& number) {
    return web::text::parseInt64(text, number) && number >= low && number <= high;
}

int publish(const HostOptions& options, exam::library::RemoteConnection& library, std::ostream& out,
            std::ostream& err) {
    std::int64_t examId = 0;
    std::int64_t days = 0;
    if (!readNumber(*options.publishExam, 1, INT64_MAX, examId)) {
        err << "-publish needs the number of an exam of " << exam::db::kDatabaseFileName << ", not \""
            << *options.publishExam << "\".\n";
        return 2;
    }
    if (options.closedDays && !readNumber(*options.closedDays, 0, kMaxClosedDays, days)) {
        err << "-fbq needs a number of days from 0 to " << kMaxClosedDays << ", not \"" << *options.closedDays
            << "\".\n";
        return 2;
    }
    exam::library::PublishSettings settings;
    settings.closedDays = static_cast<int>(days);
    settings.applicationPassword = options.applicationPassword.value_or("");
    // An empty password would open a closed exam to everyone who leaves the field empty.
    if (days > 0 && settings.applicationPassword.empty()) {
        err << "An exam closed with -fbq needs its application password: add -yykl PASSWORD.\n";
        return 2;
    }
    exam::db::Database local(std::string(exam::db::kDatabaseFileName));
    const int number = exam::library::PublishExam(local, library, examId, settings);
    out << "Published exam " << examId << ". Shared exam number: " << number << std::endl;
    return 0;
}

int unpublish(const HostOptions& options, exam::library::RemoteConnection& library, std::ostream& out,
              std::ostream& err) {
    std::int64_t number = 0;
    if (!readNumber(*options.unpublishNumber, 1, INT32_MAX, number)) {
        err << "-unpublish needs the number of a shared exam, not \"" << *options.unpublishNumber << "\".\n";
        return 2;
    }
    if (!exam::library::WithdrawExam(library, static_cast<int>(number))) {
        err << "The library has no shared exam " << number << ".\n";
        return 1;
    }
    out << "Shared exam " << number << " withdrawn." << std::endl;
    return 0;
}

}  // namespace

int RunPublish(const HostOptions& options, std::ostream& out, std::ostream& err) {
    if (!options.library || options.library->empty()) {
        err << (options.publishExam ? "-publish" : "-unpublish")
            << " needs -library with the library's connection string.\n";
        return 2;
    }
    try {
        exam::library::RemoteConnection library(*options.library);
        return options.publishExam ? publish(options, library, out, err)
                                   : unpublish(options, library, out, err);
    } catch (const std::exception& error) {
        err << "Nothing changed in the library. " << error.what() << "\n";
        return 1;
    }
}

}  // namespace host
