#include "common/CDirectoryListing.h"

#include <memory>

#include "common/HostFiles.h"

namespace common {

// What Enumerate has passed over so far: only the first "." and ".." are the
// folder's own entries.
struct CDirectoryListing::EnumerateState {
    CDirectoryListing* listing;
    bool seenSelf;
    bool seenParent;
};

CDirectoryListing::CDirectoryListing() = default;

CDirectoryListing::~CDirectoryListing() = default;

bool CDirectoryListing::Scan(const CPath& folder, const CString& pattern) {
    Clear();
    if (!HostIsFolder(folder.GetWide()))
        return false;
    m_folder = folder;
    CPath search;
    search.AssignString(pattern);
    if (!Enumerate(search)) {
        Clear();
        return false;
    }
    ResetOrder(true, true);
    return true;
}

bool CDirectoryListing::Enumerate(const CPath& pattern) {
    EnumerateState state = {this, false, false};
    if (!HostScanFolder(m_folder.GetWide(), pattern.IsEmpty() ? u"*" : pattern.GetWide(), AddEntry, &state))
        return false;
    return m_hasParent || m_folderNames.GetCount() > 0 || m_fileNames.GetCount() > 0;
}

void CDirectoryListing::AddEntry(void* context, const WChar* name, bool isFolder) {
    EnumerateState& state = *static_cast<EnumerateState*>(context);
    CDirectoryListing& listing = *state.listing;
    if (!name || name[0] == 0)
        return;
    if (!isFolder) {
        listing.m_fileNames.Add(CWideString(name)); // names beginning with "." too
        return;
    }
    if (name[0] == u'.') {
        const bool self = name[1] == 0;
        const bool parent = name[1] == u'.' && name[2] == 0;
        if (self && !state.seenSelf) {
            state.seenSelf = true;
            return;
        }
        if (parent && !state.seenParent) {
            state.seenParent = true;
            listing.m_hasParent = true;
            return;
        }
    }
    listing.m_folderNames.Add(CWideString(name));
}

uint32_t CDirectoryListing::GetEntryCount() const {
    return (m_hasParent ? 1u : 0u) + GetFolderCount() + GetFileCount();
}

bool CDirectoryListing::GetEntry(uint32_t index, CString& name, bool& isFolder) {
    if (m_hasParent) {
        if (index == 0) {
            name.AssignNarrow("..");
            isFolder = true;
            return true;
        }
        --index;
    }
    CString* entry = nullptr;
    if (index < GetFolderCount()) {
        entry = m_folderNames.GetAt(static_cast<int>(m_folderOrder[index]));
        isFolder = true;
    } else if (index - GetFolderCount() < GetFileCount()) {
        entry = m_fileNames.GetAt(static_cast<int>(m_fileOrder[index - GetFolderCount()]));
        isFolder = false;
    }
    if (!entry)
        return false;
    name.AssignString(*entry);
    return true;
}

void CDirectoryListing::SetIdentity(std::vector<uint32_t>& order, int count) {
    order.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        order[static_cast<size_t>(i)] = static_cast<uint32_t>(i);
}

void CDirectoryListing::ResetOrder(bool folders, bool files) {
    // Over the whole lists, so a reset after narrowing shows every file again.
    if (folders)
        SetIdentity(m_folderOrder, m_folderNames.GetCount());
    if (files)
        SetIdentity(m_fileOrder, m_fileNames.GetCount());
}

bool CDirectoryListing::BuildOrder(CStringList& endings, bool ignoreCase, bool, bool files) {
    if (!files || m_fileOrder.empty() || endings.GetCount() == 0)
        return false;
    std::vector<std::unique_ptr<CString>> keys;
    for (int i = 0; i < endings.GetCount(); ++i) {
        const CString* ending = endings.GetAt(i);
        if (!ending)
            continue;
        keys.emplace_back(ending->Substring(0, ending->GetLength()));
        if (ignoreCase)
            keys.back()->MakeUpper();
    }
    size_t kept = 0;
    for (size_t i = 0; i < m_fileOrder.size(); ++i) {
        const CString* name = m_fileNames.GetAt(static_cast<int>(m_fileOrder[i]));
        if (!name)
            continue;
        std::unique_ptr<CString> upper;
        if (ignoreCase) {
            upper.reset(name->Substring(0, name->GetLength()));
            upper->MakeUpper();
            name = upper.get();
        }
        for (const auto& key : keys) {
            if (name->TailEquals(*key, key->GetLength())) {
                m_fileOrder[kept++] = m_fileOrder[i];
                break;
            }
        }
    }
    m_fileOrder.resize(kept);
    return kept > 0;
}

void CDirectoryListing::Clear() {
    m_folder.Clear();
    m_folderNames.DeleteAll();
    m_fileNames.DeleteAll();
    m_hasParent = false;
    m_folderOrder.clear();
    m_fileOrder.clear();
}

} // namespace common
