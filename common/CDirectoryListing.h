#pragma once
// The entries of one host folder as a numbered sequence: the parent entry ".."
// first when the folder has one, then the folders, then the files, each group
// in the host's order and the files optionally narrowed to given name endings.
#include <cstdint>
#include <vector>

#include "common/CPath.h"
#include "common/CStringList.h"

namespace common {

class CDirectoryListing {
public:
    CDirectoryListing();
    ~CDirectoryListing();

    CDirectoryListing(const CDirectoryListing&) = delete;
    CDirectoryListing& operator=(const CDirectoryListing&) = delete;

    // Lists the folder's entries whose names match the pattern (wildcards * and
    // ?, empty for all). False, with the listing empty, when the folder is not
    // an existing folder or holds no matching entry at all.
    bool Scan(const CPath& folder, const CString& pattern);
    // Reads the folder's entries into the name lists (no ordering); true when
    // it found a parent entry, a folder or a file.
    bool Enumerate(const CPath& pattern);
    // Entry index of the sequence: its name and whether it is a folder. False
    // at or beyond the number of entries.
    bool GetEntry(uint32_t index, CString& name, bool& isFolder);
    // Puts the chosen groups back in the host's order, with every entry shown.
    void ResetOrder(bool folders, bool files);
    // Narrows the files to those whose names end with one of the endings
    // (compared upper-cased with ignoreCase), keeping their order. True when a
    // file was kept; false, with nothing changed, for no endings, files false
    // or no files. Folders are never narrowed.
    bool BuildOrder(CStringList& endings, bool ignoreCase, bool folders, bool files);
    void Clear();

    const CPath& GetFolder() const { return m_folder; }
    bool HasParentEntry() const { return m_hasParent; }
    // Entries shown in each group, and in all (the parent entry included).
    uint32_t GetFolderCount() const { return static_cast<uint32_t>(m_folderOrder.size()); }
    uint32_t GetFileCount() const { return static_cast<uint32_t>(m_fileOrder.size()); }
    uint32_t GetEntryCount() const;

private:
    struct EnumerateState;
    static void AddEntry(void* context, const WChar* name, bool isFolder);
    static void SetIdentity(std::vector<uint32_t>& order, int count);

    CPath m_folder;
    CStringList m_folderNames; // as the host returned them
    CStringList m_fileNames;
    bool m_hasParent = false;
    // Which name each shown entry of a group has, as indices into its list.
    std::vector<uint32_t> m_folderOrder;
    std::vector<uint32_t> m_fileOrder;
};

// The host's folder search (per platform): tells visit about every entry of
// folder whose name matches the wildcard pattern, in the host's order, "." and
// ".." included when the host reports them. A separator is put between folder
// and pattern when neither supplies one. False when the search cannot start
// (on Windows also when nothing matches).
typedef void (*FolderEntryVisitor)(void* context, const WChar* name, bool isFolder);
bool HostScanFolder(const WChar* folder, const WChar* pattern, FolderEntryVisitor visit, void* context);

} // namespace common
