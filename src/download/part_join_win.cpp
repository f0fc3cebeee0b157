#include "part_join.h"

bool AppendFileTo(const std::wstring& to, const std::wstring& from) { return AppendFileInBlocks(to, from); }
