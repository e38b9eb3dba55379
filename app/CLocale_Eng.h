#pragma once
// The English texts of the UI text ids (language 0): ids 0..109, 10000 and 10001.
#include "app/CEmuLocale.h"

namespace emu {

class CLocale_Eng : public CEmuLocale {
public:
    CLocale_Eng();
    ~CLocale_Eng() override;

    // Replaces text with the id's English text; false, text untouched, for an
    // unknown id.
    bool LookupText(int32_t id, common::CWideString& text) const override;

    // The id's English text as stored, or null for an unknown id. The Russian
    // table takes a few texts from here.
    static const char* FindText(int32_t id);
};

} // namespace emu
