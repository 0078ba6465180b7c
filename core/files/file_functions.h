// Free file and folder functions over file references and over path texts. Each returns true
// on success. Names reach the file system as UTF-8.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/files/file_create_attributes.h"
#include "core/files/file_info.h"
#include "platform/files/cf_url.h"
#include "platform/files/fs_types.h"

// Options of a file copy; the record is never filled.
struct BK_FILE_COPY_OPTIONS;

// On file references.
bool BK_GetFileInfo(const tbx::FSRef& ref, BK_FILE_INFO& info);
// Stores the fields that info.mask selects.
bool BK_SetFileInfo(const tbx::FSRef& ref, const BK_FILE_INFO& info);
bool BK_GetFileTypes(const tbx::FSRef& ref, uint32_t& creator, uint32_t& type);
bool BK_SetFileTypes(const tbx::FSRef& ref, uint32_t creator, uint32_t type);
bool BK_HideFile(const tbx::FSRef& ref, bool hide);
bool BK_LockFile(const tbx::FSRef& ref, bool lock);
bool BK_DeleteFile(const tbx::FSRef& ref);
// Never replaces an item of the same name in the folder.
bool BK_MoveFile(const tbx::FSRef& item, const tbx::FSRef& folder, bool = false);
// Fails when the name is taken.
bool BK_RenameFile(const tbx::FSRef& ref, const wchar_t* name);
bool BK_FSRef2FSSpec(const tbx::FSRef& ref, tbx::FSSpec& fileRecord);
bool BK_CreateFSSpecFromFSRef(const tbx::FSRef& ref, tbx::FSSpec& fileRecord);
// The reference of an existing item named by a URL.
bool BK_CreateFSRefFromCFURL(tbx::FSRef& ref, tbx::CFURLRef url);
// Creates the file named by the URL in its parent folder with the given information.
bool BK_CreateFile(tbx::FSRef* newRef, tbx::CFURLRef url, uint32_t whichInfo,
                   const tbx::FSCatalogInfo* info);
// The root folder's parent is a zero-filled reference (and the result is true).
bool BK_GetParentFolder(const tbx::FSRef& ref, tbx::FSRef& parent);
std::wstring BK_FolderGetFullPathString(const tbx::FSRef& ref, bool appendSlash);
// An existing folder of that name is handed back as success; a file of that name fails.
bool BK_CreateFolder(const wchar_t* name, const tbx::FSRef& parent, tbx::FSRef* newRef);

// On path texts.
// As CBK_Path::CreateFile, but a path ending in "/" is refused and an existing file is
// deleted only with overwrite.
bool BK_CreateFile(const std::wstring& path, const BK_FILE_CREATE_ATTRIBUTES* attributes,
                   bool overwrite);
bool BK_CreateFile(const wchar_t* name, const tbx::FSRef& folder, std::wstring& path,
                   const BK_FILE_CREATE_ATTRIBUTES* attributes, bool overwrite);
bool BK_DeleteFile(const std::wstring& path);
bool BK_RenameFile(const std::wstring& path, const wchar_t* name);
bool BK_MoveFile(const std::wstring& item, const tbx::FSRef& folder, bool = false);
// Into `destination` when it is a folder; otherwise into its folder under its file name.
// Nothing is ever replaced; a half-done move is undone.
bool BK_MoveFile(const tbx::FSRef& item, const std::wstring& destination, bool = false);
bool BK_MoveFile(const std::wstring& item, const std::wstring& destination, bool = false);
bool BK_FileExists(const std::wstring& path);
// `ext` without its dot; the last "." of the file name (not of a folder) is the one changed.
void BK_ChangeFileExtension(std::wstring& path, const wchar_t* ext);
void BK_ChangeFileExtension(unsigned char* pascalName, const wchar_t* ext);
bool BK_CreateFolder(const wchar_t* name, const std::wstring& parent, tbx::FSRef* newRef);
bool BK_CreateFolder(const std::wstring& path, tbx::FSRef* newRef);
bool BK_GetParentFolder(const std::wstring& path, tbx::FSRef& parent);

// Kept for the interface, unused: each changes nothing and answers false. The copy of an item
// is CBK_Path::CopyFileTo; files are made by the creators above; BK_FileExists and
// CBK_Path::IsDirectory tell what a path names.
bool BK_CopyFile(const tbx::FSRef& item, const std::wstring& destination,
                 const BK_FILE_COPY_OPTIONS* options);
bool BK_FileFromPath(const std::wstring& path, tbx::FSRef& ref);
bool BK_FolderExists(const std::wstring& path);
bool BK_IsFolder(const tbx::FSRef& ref);
bool BK_IsFolder(const std::wstring& path);
bool BK_CreateFile(const wchar_t* name, const tbx::FSRef& folder, tbx::FSRef& newRef,
                   const BK_FILE_CREATE_ATTRIBUTES* attributes, bool overwrite);
// Also unused, and also answering false: the first stores the folder's node id and, in `flag`
// when given, bit 2 of its node flags; the second looks up the item that the path names and
// keeps nothing of it.
bool BK_MacGetDirectoryIdFromFolder(const tbx::FSRef& folder, int32_t& id, bool* flag);
bool BK_FullPathToFile(const wchar_t* path, std::wstring& file);

// Stream openers; the caller closes what they open.
bool BK_FileOpenAsIFstream(const tbx::FSRef& ref, std::ifstream& stream,
                           std::ios_base::openmode mode);
bool BK_FileOpenAsOFstream(const tbx::FSRef& ref, std::ofstream& stream,
                           std::ios_base::openmode mode);
bool BK_FileOpenAsFstream(const tbx::FSRef& ref, std::fstream& stream,
                          std::ios_base::openmode mode);
bool BK_FileOpenAsFstream(const std::wstring& path, std::fstream& stream,
                          std::ios_base::openmode mode);
FILE* BK_FileOpenAsStdFile(const tbx::FSRef& ref, const wchar_t* mode);
FILE* BK_FileOpenAsStdFile(const std::wstring& path, const wchar_t* mode);
