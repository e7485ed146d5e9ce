#include "app/PageDownloads.h"

#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "web/server/HtmlEscape.h"
#include "web/server/TWFApplication.h"
#include "web/server/TWFRenderStream.h"

namespace exam {

void OfferDownload(web::IWFForm& page, std::string_view cachePrefix, const web::DownloadInfo& info,
                   const std::function<void(const std::string& path)>& write) {
    web::TWFApplication& session = *web::CurrentSession();
    const std::string folder = session.SessionCacheDir();
    const std::string name = web::CreateCacheFile(std::string(cachePrefix), folder);
    const std::string path = folder + name;
    try {
        write(path);
        web::MarkDownload(path, info);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        std::filesystem::remove(path + std::string(web::kDownloadCompanionSuffix), ignored);
        throw;
    }
    // The address answers with an attachment, so the browser saves it and keeps the page.
    page.AddInitScript("window.location.href='" + web::ScriptStringEscape(session.SessionCacheURL() + name) +
                       "';\r\n");
}

void OfferDownload(web::IWFForm& page, std::string_view cachePrefix, const web::DownloadInfo& info,
                   std::string_view content) {
    OfferDownload(page, cachePrefix, info, [content](const std::string& path) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out) throw std::runtime_error("The file cannot be written: " + path);
    });
}

std::string FileNameStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

}  // namespace exam
