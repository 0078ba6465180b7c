// CBK_File: fork-level reading and writing of one file named by a URL; CBK_Folder: the total
// data size of a folder tree.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>

#include "core/files/file_info.h"
#include "core/paths/path.h"
#include "core/system/date.h"
#include "platform/files/cf_url.h"
#include "platform/files/fs_types.h"

enum : uint32_t {
    BK_FILE_READ = 2,
    BK_FILE_WRITE = 4,
    BK_FILE_READ_WRITE = 8,
};

enum : uint32_t {
    BK_SEEK_BEGIN = 0,
    BK_SEEK_CURRENT = 1,
    BK_SEEK_END = 2,
};

class CBK_File {
public:
    CBK_File() = default;
    ~CBK_File();
    CBK_File(const CBK_File&) = delete;
    CBK_File& operator=(const CBK_File&) = delete;

    bool Set(const CBK_Path& path);
    // Adopts the caller's reference.
    bool Set(const tbx::CFURLRef& url);

    // Read (2) before write (4) before read and write (8). False when a fork is already
    // open or the file does not exist.
    bool Open(uint32_t flags);
    bool OpenResourceFork(uint32_t flags);
    bool Close();
    bool Create();
    bool Delete();
    // The file is followed to its new place.
    bool Move(const tbx::FSRef& folder);
    bool Move(const tbx::CFURLRef& folder);
    bool Rename(const wchar_t* name);

    // Mode 0 from the start, 1 from the current position, 2 from the end.
    tbx::OSErr Seek(int64_t offset, uint32_t mode);
    int64_t GetPosition();
    // Bytes moved; the error (eofErr at the end) is kept.
    int32_t Read(void* buffer, int32_t count);
    int32_t Write(const void* buffer, int32_t count);
    // The open fork's size, or the data fork's when none is open.
    int64_t GetLength();

    uint32_t GetFileType();
    uint32_t GetCreatorType();
    // False when the information cannot be read (the record is then unchanged).
    bool GetFileInfo(BK_FILE_INFO& info);
    bool SetFileInfo(const BK_FILE_INFO& info);
    bool GetDirInfo(BK_DIR_INFO& info);
    bool SetDirInfo(const BK_DIR_INFO& info);
    bool SetPackageFlag(bool set);
    // False for creation where neither the file system nor the file's sidecar keeps one.
    bool GetCreateDate(CBK_Date& date);
    bool GetModifiedDate(CBK_Date& date);

    bool OpenAsFstream(std::fstream& stream, std::ios_base::openmode mode);
    FILE* OpenAsStdFile(const wchar_t* mode);

    tbx::OSErr GetError() const { return _error; }

private:
    bool Ref(tbx::FSRef& ref) const;
    bool OpenFork(bool resource, uint32_t flags);
    bool GetDate(bool creation, CBK_Date& date);

    tbx::OSErr _error = tbx::noErr;
    int16_t _fork = 0;
    tbx::CFURLRef _url = nullptr;
};

class CBK_Folder {
public:
    // False when the folder does not exist.
    bool Set(const CBK_Path& path);
    // The sum of the data sizes of every file below; links are not followed and folders that
    // cannot be read are skipped.
    uint64_t GetSize() const;

private:
    tbx::FSRef _folder;
};
