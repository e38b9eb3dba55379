#include "emu/host/CRenderer_NoDraw.h"

namespace emu {

CRenderer_NoDraw::CRenderer_NoDraw() = default;

CRenderer_NoDraw::~CRenderer_NoDraw() = default;

bool CRenderer_NoDraw::GetClientRect(int32_t* /*left*/, int32_t* /*top*/, int32_t* /*right*/, int32_t* /*bottom*/) {
    return false; // outputs untouched
}

bool CRenderer_NoDraw::FillBackground(const common::ARGB& /*colour*/) {
    return false;
}

} // namespace emu
