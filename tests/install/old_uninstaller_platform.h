// Starts "<this program> hold", which inherits standard output, and writes
// its process id to `idFile`; the id, 0 on failure.
#pragma once

#include <string>

unsigned long StartHolder(const std::wstring& idFile);
// Standard output without text-mode translation.
void BinaryOutput();
