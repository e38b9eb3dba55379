// The video base's settings ("RenderMode", "AspectIndex") and its Video menu.
#include "common/CBoundValue.h"
#include "common/CNarrowString.h"
#include "common/CSettingsRegistry.h"
#include "common/CWideString.h"
#include "emu/framework/COptionTree.h"
#include "emu/framework/CVideo.h"

namespace emu {

namespace {

const char kRenderModeKey[] = "RenderMode";
const char kAspectIndexKey[] = "AspectIndex";
const char* const kAspectTexts[CVideo::kAspectCount] = {"4.0/3", "4.3/3", "4.5/3", "4.7/3", "4.9/3"};

void BindInt32(common::CSettingsRegistry* registry, const char* name, int32_t* variable) {
    if (common::CBoundValue* value = registry->AddBinding(common::CNarrowString(name)))
        value->BindInt32(variable);
}

} // namespace

bool CVideo::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    // A setting pointed elsewhere belongs to the device that owns it.
    if (!enabledOnly && registry != nullptr) {
        if (m_renderModePointer == &m_renderMode)
            BindInt32(registry, kRenderModeKey, &m_renderMode);
        if (m_aspectIndexPointer == &m_aspectIndex)
            BindInt32(registry, kAspectIndexKey, &m_aspectIndex);
    }
    return CObjectContainer::CollectProperties(registry, enabledOnly);
}

bool CVideo::ValidateProperties(bool enabledOnly) {
    bool result = CObjectContainer::ValidateProperties(enabledOnly);
    if (static_cast<uint32_t>(*m_renderModePointer) > static_cast<uint32_t>(kRenderScanline)) {
        *m_renderModePointer = kRenderScanline;
        result = false;
    }
    if (static_cast<uint32_t>(*m_aspectIndexPointer) > static_cast<uint32_t>(kAspectCount)) {
        *m_aspectIndexPointer = 0;
        result = false;
    }
    return result;
}

void CVideo::BuildMenu(COptionTree* menu, int32_t kind) {
    CDevice::BuildMenu(menu, kind);
    if (kind != kMenuVideo || menu == nullptr)
        return;
    // Both settings take effect at the next start: the items work only while stopped.
    uint8_t* stopped = reinterpret_cast<uint8_t*>(&m_started);
    if (m_renderModePointer == &m_renderMode) {
        auto* mode = reinterpret_cast<uint32_t*>(&m_renderMode);
        menu->CreateRadioItemById(kTextFrameRendering, mode, kRenderFrame, stopped, 0);
        menu->CreateRadioItemById(kTextScanlineRendering, mode, kRenderScanline, stopped, 0);
    }
    if (m_aspectIndexPointer != &m_aspectIndex)
        return;
    auto* aspect = reinterpret_cast<uint32_t*>(&m_aspectIndex);
    menu->CreateUnnamedChild();
    common::COptionNode* submenu = menu->CreateChildById(kTextAspectRatio);
    if (submenu == nullptr)
        return;
    submenu->CreateRadioItemById(kTextAspectDefault, aspect, 0, stopped, 0);
    submenu->CreateUnnamedChild();
    for (int32_t i = 0; i < kAspectCount; ++i) {
        common::COptionNode* item = submenu->CreateRadioItem(common::CWideString(kAspectTexts[i]), aspect,
                                                             static_cast<uint32_t>(i + 1), stopped, 0);
        // The sub-menu shows a check while a fixed ratio is chosen.
        if (item != nullptr)
            submenu->AddCheckedWhenNode(item, true);
    }
}

} // namespace emu
