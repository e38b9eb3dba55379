#include "emu/host/CRenderer_NoRendering.h"

namespace emu {

CRenderer_NoRendering::CRenderer_NoRendering() = default;

CRenderer_NoRendering::~CRenderer_NoRendering() = default;

bool CRenderer_NoRendering::SetSize(int32_t /*width*/, int32_t /*height*/, bool /*clientSized*/) {
    return false;
}

bool CRenderer_NoRendering::SetWindow(WindowHandle /*window*/) {
    return false;
}

CRenderer* CRenderer_NoRendering::CreateInstance() {
    return new CRenderer_NoRendering();
}

} // namespace emu
