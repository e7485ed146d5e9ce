#include "host/BackupCommand.h"

#include <ostream>

#include "app/backup/DatabaseBackup.h"
#include "app/db/Database.h"

namespace host {

int RunBackup(const std::string& file, std::ostream& out, std::ostream& err) {
    if (file.empty()) {
        err << "-backup needs the name of the file to write.\n";
        return 2;
    }
    try {
        exam::BackupDatabase(std::string(exam::db::kDatabaseFileName), file);
    } catch (const std::exception& error) {
        err << "No backup written. " << error.what() << "\n";
        return 1;
    }
    out << "Backup written to " << file << " (integrity check ok)." << std::endl;
    return 0;
}

}  // namespace host
