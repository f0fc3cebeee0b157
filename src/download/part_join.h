// Joining the multi-part downloader's part files: the whole of one file
// appended to another, as fast as the system allows (on Linux inside the
// kernel, without a copy through the process; elsewhere in large blocks).
#pragma once

#include <string>

// Appends every byte of `from` to the end of `to` (created when missing).
// False when either cannot be opened or a read, write or close fails; `to`
// may then hold part of the bytes.
bool AppendFileTo(const std::wstring& to, const std::wstring& from);

// The same with the C runtime's files, in large blocks: the portable way,
// and the fall-back where the system's own copy is not offered.
bool AppendFileInBlocks(const std::wstring& to, const std::wstring& from);
