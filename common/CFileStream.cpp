#include "common/CFileStream.h"

#include <cstdint>

#include "common/FileReplace.h"
#include "common/HostFiles.h"
#include "common/OsHelpers.h"

namespace common {

namespace {

// Transfer counts as the runtime takes them: nothing for 0 or below, and never
// more than a size_t holds (the rest of a huge request is simply not moved).
size_t ClampCount(int64_t count) {
    if (count <= 0)
        return 0;
    if (static_cast<uint64_t>(count) > SIZE_MAX)
        return SIZE_MAX;
    return static_cast<size_t>(count);
}

bool Exists(const CString& path) {
    return path.GetCharSize() == 1 ? HostPathExistsNarrow(path.GetNarrow()) : HostPathExists(path.GetWide());
}

} // namespace

CFileStream::CFileStream()
    : m_file(nullptr), m_size(0), m_position(0), m_canRead(false), m_canWrite(false), m_direction(Direction::None) {}

CFileStream::~CFileStream() {
    Close();
}

bool CFileStream::OpenWithMode(const CString& path, const char* mode) {
    m_file = path.GetCharSize() == 1 ? HostOpenFileNarrow(path.GetNarrow(), mode) : HostOpenFile(path.GetWide(), mode);
    return m_file != nullptr;
}

bool CFileStream::Open(const CString& path, bool overwrite) {
    if (m_file || path.IsEmpty())
        return false;
    if (!overwrite) {
        if (OpenWithMode(path, "rb")) {
            Clear(); // it exists: leave it alone
            return false;
        }
        // A file that exists but cannot be read must not be emptied either.
        if (Exists(path))
            return false;
    }
    if (!OpenWithMode(path, "w+b"))
        return false;
    m_path.AssignString(path);
    m_size = 0;
    m_position = 0;
    m_canRead = true;
    m_canWrite = true;
    m_direction = Direction::None;
    return true;
}

bool CFileStream::OpenExisting(const CString& path, bool create) {
    if (m_file || path.IsEmpty())
        return false;
    if (OpenWithMode(path, "r+b")) {
        m_canWrite = true;
    } else if (OpenWithMode(path, "rb")) {
        m_canWrite = false;
    } else if (create && !Exists(path) && OpenWithMode(path, "w+b")) {
        // Only a missing file is created: an existing one that cannot be
        // opened keeps its contents.
        m_canWrite = true;
    } else {
        return false;
    }
    m_canRead = true;
    m_direction = Direction::None;
    const int64_t size = HostSeekFileToEnd(m_file) ? GetFilePosition(m_file) : -1;
    if (size < 0 || !HostSeekFile(m_file, 0)) {
        Clear();
        return false;
    }
    m_path.AssignString(path);
    m_size = size;
    m_position = 0;
    return true;
}

bool CFileStream::Flush() {
    return m_file != nullptr && std::fflush(m_file) == 0 && HostFlushFile(m_file);
}

bool CFileStream::Close() {
    return m_file ? Clear() : true;
}

bool CFileStream::Clear() {
    const bool closed = m_file == nullptr || std::fclose(m_file) == 0;
    m_file = nullptr;
    m_path.Clear();
    m_size = 0;
    m_position = 0;
    m_canRead = false;
    m_canWrite = false;
    m_direction = Direction::None;
    return closed;
}

bool CFileStream::IsOpen() const {
    return m_file != nullptr;
}

bool CFileStream::IsGrowable() const {
    return false;
}

bool CFileStream::CanSeek() const {
    return m_file != nullptr;
}

bool CFileStream::CanRead() const {
    return m_canRead;
}

bool CFileStream::CanWrite() const {
    return m_canWrite;
}

int64_t CFileStream::GetSize() const {
    return m_size;
}

bool CFileStream::SetSize(int64_t size) {
    if (!m_file)
        return false;
    if (size == m_size)
        return true;
    if (size < m_size || !m_canWrite || !Seek(m_size))
        return false;
    static const uint8_t kZeros[4096] = {};
    int64_t missing = size - m_size;
    while (missing > 0) {
        const int64_t chunk = missing < static_cast<int64_t>(sizeof(kZeros)) ? missing : sizeof(kZeros);
        const int64_t written = Write(kZeros, chunk);
        if (written <= 0)
            break;
        missing -= written;
    }
    if (!HostSeekFileToEnd(m_file))
        return false;
    m_direction = Direction::None;
    m_position = GetFilePosition(m_file);
    if (m_position >= 0)
        m_size = m_position;
    return m_size == size;
}

int64_t CFileStream::GetPosition() const {
    return m_file ? GetFilePosition(m_file) : 0;
}

bool CFileStream::Seek(int64_t position) {
    if (!m_file)
        return false;
    m_direction = Direction::None;
    if (HostSeekFile(m_file, position)) {
        m_position = position;
        return true;
    }
    m_position = GetFilePosition(m_file);
    return false;
}

void CFileStream::PrepareFor(Direction direction) {
    if (m_direction != direction && m_direction != Direction::None)
        std::fseek(m_file, 0, SEEK_CUR);
    m_direction = direction;
}

int64_t CFileStream::Read(void* buffer, int64_t count) {
    const size_t wanted = ClampCount(count);
    if (!m_file || !buffer || wanted == 0 || !m_canRead)
        return 0;
    PrepareFor(Direction::Reading);
    const size_t got = std::fread(buffer, 1, wanted, m_file);
    if (m_position >= 0)
        m_position += static_cast<int64_t>(got);
    return static_cast<int64_t>(got);
}

int64_t CFileStream::Write(const void* buffer, int64_t count) {
    const size_t wanted = ClampCount(count);
    if (!m_file || !buffer || wanted == 0 || !m_canWrite)
        return 0;
    PrepareFor(Direction::Writing);
    const size_t put = std::fwrite(buffer, 1, wanted, m_file);
    if (m_position < 0)
        m_position = GetFilePosition(m_file);
    else
        m_position += static_cast<int64_t>(put);
    // The size follows the writes, so what was written can be read back.
    if (m_position > m_size)
        m_size = m_position;
    return static_cast<int64_t>(put);
}

} // namespace common
