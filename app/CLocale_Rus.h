#pragma once
// The Russian texts of the UI text ids (language 1): ids 0..109, 10000 and 10001.
#include "app/CEmuLocale.h"

namespace emu {

class CLocale_Rus : public CEmuLocale {
public:
    CLocale_Rus();
    ~CLocale_Rus() override;

    // Replaces text with the id's Russian text; false, text untouched, for an
    // unknown id.
    bool LookupText(int32_t id, common::CWideString& text) const override;
};

} // namespace emu
