#pragma once

#include "web/forms/TWFAppForm.h"

namespace exam {

// PLACEHOLDER: the page is being built; only its settings exist yet.
class TWFForm7 : public web::forms::TWFAppForm {
public:
    TWFForm7();
};

}  // namespace exam
