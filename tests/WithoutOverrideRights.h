#pragma once
// Root reads, writes and deletes files whatever their permission bits say
// (the DAC-override capabilities), and CI runs as root. While an object of
// this class lives, the calling thread works without those capabilities, as
// an ordinary user does, so that the tests of read-only files run for real.
// Windows builds run under Wine, whose launcher (scripts/wine-run.sh) drops
// them for the whole Wine session instead; there the object does nothing.
#if defined(__linux__)
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace test {

// Tells a test that still writes a read-only file how to run.
constexpr const char* kWritesReadOnlyFiles =
    "this process writes read-only files: run the tests without root's DAC-override capabilities (under Wine "
    "through scripts/wine-run.sh, with a Wine server that it started)";

class CWithoutOverrideRights {
public:
    CWithoutOverrideRights() {
#if defined(__linux__)
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_header.pid = 0; // this thread
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~(CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH));
        m_dropped = syscall(SYS_capset, &m_header, reduced) == 0;
#endif
    }
    ~CWithoutOverrideRights() {
#if defined(__linux__)
        if (m_dropped)
            syscall(SYS_capset, &m_header, m_saved);
#endif
    }
    CWithoutOverrideRights(const CWithoutOverrideRights&) = delete;
    CWithoutOverrideRights& operator=(const CWithoutOverrideRights&) = delete;

private:
#if defined(__linux__)
    __user_cap_header_struct m_header = {};
    __user_cap_data_struct m_saved[2] = {};
    bool m_dropped = false;
#endif
};

} // namespace test
