#pragma once
// A stream over a C runtime stdio file, opened through the host file layer
// (HostFiles.h) with 64-bit positioning.
//
// The size is measured when the file is opened and then follows the stream's
// own writes, so a file written and read back through one stream reports the
// bytes it holds. Switching between reading and writing is made legal for
// stdio by repositioning in place; callers need not seek in between.
#include <cstdio>

#include "common/CPath.h"
#include "common/CStream.h"

namespace common {

class CFileStream : public CStream {
public:
    CFileStream();
    ~CFileStream() override;

    // Creates a file for reading and writing ("w+b"). With overwrite an existing
    // file is emptied; without it an existing file makes the call fail. False
    // when a file is already open or the path is empty. A path of one-byte
    // characters is handed to the host as bytes, any other as UTF-16.
    bool Open(const CString& path, bool overwrite);
    // Opens an existing file for update ("r+b"), else read-only ("rb", CanWrite
    // false), else, with create, creates it ("w+b"). Measures its size and
    // leaves the position at 0. False when a file is already open, the path is
    // empty or names a folder, or the size cannot be measured.
    bool OpenExisting(const CString& path, bool create);
    // Writes out the runtime's buffered bytes and forces them to the disk;
    // false when either fails or no file is open.
    bool Flush();
    // Closes the file; harmless when none is open. False when the runtime
    // reports a failure: bytes still buffered could not be written out.
    bool Close();

    bool IsOpen() const override;
    bool IsGrowable() const override;
    bool CanSeek() const override;
    bool CanRead() const override;
    bool CanWrite() const override;
    int64_t GetSize() const override;
    // Only grows: the new bytes are zeros and the position is left at the end.
    // False for a smaller size.
    bool SetSize(int64_t size) override;
    // The file's position; 0 while closed, -1 when the runtime cannot tell.
    int64_t GetPosition() const override;
    // Any position from 0 on is accepted, also one past the end of the file.
    bool Seek(int64_t position) override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;

private:
    enum class Direction { None, Reading, Writing };

    bool OpenWithMode(const CString& path, const char* mode);
    // Repositions in place when the transfer direction changes, as stdio requires.
    void PrepareFor(Direction direction);
    // Closes the file (when open) and clears every field; false when the close failed.
    bool Clear();

    CPath m_path;
    std::FILE* m_file; // owned; null while closed
    int64_t m_size;
    // The position as this stream moved it; -1 when unknown (after a failed seek).
    int64_t m_position;
    bool m_canRead;
    bool m_canWrite;
    Direction m_direction;
};

} // namespace common
