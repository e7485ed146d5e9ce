#pragma once

#include "web/forms/TWFAppForm.h"

namespace exam {

// PLACEHOLDER: the page is being built; only its settings exist yet.
class TWFForm1 : public web::forms::TWFAppForm {
public:
    TWFForm1();
};

}  // namespace exam
