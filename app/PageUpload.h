#pragma once

#include <optional>
#include <string>

#include "web/forms/TWFControl.h"

namespace exam {

// A file chooser with a button that sends the chosen file: the click posts the page as a
// multipart form holding the file and fires OnUpload, in which PostedFile gives the file.
// The page's other fields are not posted with it, so they keep their server-side values.
class FileUpload : public web::forms::TWFControl {
public:
    explicit FileUpload(std::string name);

    // The file types the chooser offers first (".xlsx,.csv").
    std::string Accept;
    std::string ButtonCaption = "导入";
    // Shown as an alert when the button is pressed before a file is chosen.
    std::string NoFileMessage = "请先选择文件！";
    web::forms::TNotifyEvent OnUpload;

    struct Posted {
        std::string fileName;
        // At most `limit` + 1 bytes, so a caller can tell a file that is too large.
        std::string content;
    };
    // The file that came with the current request under this control's name, read up to
    // `limit` + 1 bytes; nullopt when the request carries none.
    std::optional<Posted> PostedFile(std::size_t limit) const;

    bool isSubmitControl() const override { return true; }
    // The chooser is not one of the page's posted fields: it travels only with its button.
    bool wantsFormWrapper() const override { return false; }
    std::unique_ptr<web::forms::TWFHTMLTag> renderTag(web::forms::TWFPageContext40& context) override;
    void addScripts(web::forms::TWFPageContext40& context) override;
    void Submit(const std::string& parameter) override;
};

}  // namespace exam
