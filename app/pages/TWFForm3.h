#pragma once

#include "web/forms/TWFAppForm.h"

namespace exam {

// PLACEHOLDER: the page is being built; only its settings exist yet.
class TWFForm3 : public web::forms::TWFAppForm {
public:
    TWFForm3();
};

}  // namespace exam
