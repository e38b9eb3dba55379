#pragma once
// Helpers of the drive-set and media tests: scratch image files below
// KORVET_TEST_TEMP in a fresh folder named after the running test, and a
// recorder of media-change notices.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "TestScratchFolder.h"
#include "WithoutOverrideRights.h"
#include "common/CPath.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMediaSlot.h"

namespace test {

// A fresh, empty folder for the running test, ending with '/'.
inline std::string MakeMediaFolder() {
    return MakeTestScratchFolder("drives_");
}

// Writes `size` bytes whose value at offset i is (i * 7 + seed) & 0xFF.
inline void WriteImage(const std::string& path, size_t size, uint8_t seed = 0) {
    std::vector<char> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + seed) & 0xFF);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
}

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline common::CPath PathOf(const std::string& text) {
    return common::CPath(text.c_str());
}

// Takes the write permission away from a file (the read-only attribute on
// Windows) and gives it back when it goes; meanwhile the thread works without
// root's override rights. Privileged() tells whether the process still writes
// the file, so that the test cannot run.
class CReadOnlyFile {
public:
    explicit CReadOnlyFile(const std::string& path) : m_path(path) {
        namespace fs = std::filesystem;
        fs::permissions(m_path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        m_privileged = static_cast<bool>(std::ofstream(m_path, std::ios::app));
    }
    ~CReadOnlyFile() {
        std::error_code error;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                     error);
    }
    bool Privileged() const { return m_privileged; }

private:
    CWithoutOverrideRights m_rights;
    std::string m_path;
    bool m_privileged;
};

// One media-change notice with what the slot looked like when it came.
struct CNotice {
    emu::CMediaSlot* slot;
    int about;
    bool latch;
    bool open;
    bool changed;
    bool removed;

    bool operator==(const CNotice& other) const {
        return slot == other.slot && about == other.about && latch == other.latch && open == other.open &&
               changed == other.changed && removed == other.removed;
    }
};

inline std::ostream& operator<<(std::ostream& out, const CNotice& n) {
    return out << "{slot " << static_cast<const void*>(n.slot) << " about " << n.about << " latch " << n.latch
               << " open " << n.open << " changed " << n.changed << " removed " << n.removed << "}";
}

// Installed as the drive set's callback, as the machine installs its own.
class CNoticeRecorder {
public:
    explicit CNoticeRecorder(emu::CDrives& drives) { drives.SetMediaChangeCallback(&CNoticeRecorder::OnChange, this); }

    static void OnChange(void* user, emu::CMediaSlot* slot, uint8_t about) {
        CNotice notice{slot, about, false, false, false, false};
        if (slot != nullptr) {
            notice.latch = slot->GetLatch();
            notice.open = slot->IsOpen();
            notice.changed = slot->IsChanged();
            notice.removed = slot->IsRemoved();
        }
        static_cast<CNoticeRecorder*>(user)->notices.push_back(notice);
    }

    // The (slot, about) pairs only.
    std::vector<std::pair<emu::CMediaSlot*, int>> Pairs() const {
        std::vector<std::pair<emu::CMediaSlot*, int>> pairs;
        for (const CNotice& n : notices)
            pairs.emplace_back(n.slot, n.about);
        return pairs;
    }

    std::vector<CNotice> notices;
};

typedef std::vector<std::pair<emu::CMediaSlot*, int>> NoticePairs;

} // namespace test
