// The application's help: a document registered at start-up and opened in the desktop's
// viewer or, without the document, the help book named in the bundle's Info.plist, opened
// at a page and anchor in the desktop's browser.
#pragma once

class CBK_Path;

// The registered help document; empty until registration.
extern CBK_Path gBK_AppHelpBookPath;

// Stores the path; true when that file exists, else when the application bundle's own help
// book could be registered.
bool BK_RegisterHelpBook(const CBK_Path& path);
// Opens the registered document; without it, the page (null: the book's title page) of the
// bundle's help book at the anchor (ignored without a page). False when neither opens.
bool BK_OpenHelp(const wchar_t* page, const wchar_t* anchor);
