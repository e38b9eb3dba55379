#pragma once
// The common base of the program's language objects (English and Russian
// tables). It adds nothing to common::CLocale: each table is a locale instance
// and takes part in its instance counting, and the locale owns a table once it
// is registered.
#include "common/CLocale.h"

namespace emu {

class CEmuLocale : public common::CLocale {
public:
    CEmuLocale();
    ~CEmuLocale() override;
};

} // namespace emu
