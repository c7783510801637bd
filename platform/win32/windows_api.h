#pragma once
// <windows.h> for the backend. The API's A/W name macros are removed where
// they would rename the methods of platform/ interfaces (MoveFile,
// MessageBox, ...); the code here calls the W functions by their full names.
#include <windows.h>

#undef CopyFile
#undef CreateFolder
#undef DeleteFile
#undef FindWindow
#undef GetDriveType
#undef MessageBox
#undef MoveFile
#undef ReplaceFile
