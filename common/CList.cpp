#include "common/CList.h"

namespace common {

CList::~CList() = default;

void CList::RemoveAll() {
    RemoveRange(0, GetCount());
}

} // namespace common
