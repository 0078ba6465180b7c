// The application's help: a document registered at start-up and opened in the desktop's
// viewer. Help books of the system's help viewer do not exist here.
#pragma once

class CBK_Path;

// The registered help document; empty until registration.
extern CBK_Path gBK_AppHelpBookPath;

// Stores the path; true when that file exists.
bool BK_RegisterHelpBook(const CBK_Path& path);
// Opens the registered document; pages and anchors of a help book cannot be reached, so
// without the document the result is false.
bool BK_OpenHelp(const wchar_t* page, const wchar_t* anchor);
