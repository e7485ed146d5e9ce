#pragma once

#include <cstddef>
#include <functional>

#include "app/db/Value.h"

namespace web::forms {
class TWFAppForm;
class TWFControl;
class TWFLabel;
class TWFLink;
class TWFMemo;
class TWFRegion;
class TWFText;
}  // namespace web::forms

namespace exam {

class FileUpload;

// The settings page's "【批量导入】" panel: a file chooser for a question file (.xlsx or
// .csv), the two templates for download, and the report of a refused file. A file is
// checked whole; only a file without a single wrong row is stored, in one transaction.
class QuestionImportPanel final {
public:
    // The exam the questions go to, and what the page does after storing `count` questions.
    using ExamKey = std::function<db::Value()>;
    using Stored = std::function<void(std::size_t count)>;

    // Builds the hidden panel on `page`.
    QuestionImportPanel(web::forms::TWFAppForm& page, ExamKey exam, Stored stored);

    // Shows the panel with an empty report.
    void Show();

    web::forms::TWFRegion* WFRegion14;
    web::forms::TWFLabel* WFLabel26;
    web::forms::TWFLink* WFLink13;
    web::forms::TWFText* WFText2;
    FileUpload* WFUpload1;
    web::forms::TWFLink* WFLink14;
    web::forms::TWFLink* WFLink15;
    web::forms::TWFLabel* WFLabel27;
    web::forms::TWFMemo* WFMemo4;

private:
    void WFUpload1Upload(web::forms::TWFControl& sender);
    void WFLink13Click(web::forms::TWFControl& sender);
    void WFLink14Click(web::forms::TWFControl& sender);
    void WFLink15Click(web::forms::TWFControl& sender);

    web::forms::TWFAppForm& page_;
    ExamKey exam_;
    Stored stored_;
};

}  // namespace exam
