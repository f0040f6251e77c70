// A folder's identity on disk (volume and index), asked of the folder a path leads to: a link
// (junction or symbolic link) along the path, or at its end, is followed to its target, so that a
// folder reached again through a link is known as the one already walked.
#pragma once

#include <windows.h>

#include "project/walked_folders.h"

namespace vlpd {

// How the folder is opened: CreateFileA, or in tests a stand-in that records how it was asked.
using OpenFileFunction = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

// False when `path` cannot be opened or names no folder.
bool IdentifyFolder(const char* path, FolderIdentity& identity, OpenFileFunction open_file = CreateFileA);

}  // namespace vlpd
