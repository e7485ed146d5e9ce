#pragma once

#include <functional>
#include <memory>
#include <string>

#include "web/server/IWFForm.h"

namespace forms_testserver {

using TestPageFactory = std::function<std::unique_ptr<web::IWFForm>()>;

// Test pages register themselves under a name at program start (one file per group of
// pages); the server's "--page NAME" switch picks the start page.
bool RegisterTestPage(const std::string& name, TestPageFactory factory);
TestPageFactory FindTestPage(const std::string& name);

}  // namespace forms_testserver
