// Where the maker's sibling applications and their libraries are, as each sibling records in
// the "app_path" value of its own preference domain; and the maker's folder in the user's
// Application Support folder, with one sub-folder per product.
#pragma once

#include <cstdint>

class CBK_Path;

bool BK_GetPathToKestrow(CBK_Path& path);
bool BK_GetPathToQuorbel(CBK_Path& path);
bool BK_GetPathToDunmere(CBK_Path& path);
// The library beside the sibling application; true only when that file exists.
bool BK_GetPathToKestrowDll(CBK_Path& path);
bool BK_GetPathToQuorbelDll(CBK_Path& path);
bool BK_GetPathToDunmereDll(CBK_Path& path);

// The product's folder inside the maker's folder ("Common" for an unknown id), ending in
// "/"; both are made when missing. False when either cannot be made.
bool BK_GetQuillfernAppSupportFolder(CBK_Path& folder, int32_t productId);
