// The downloader for a DownloadType setting: 3 the multi-part downloader,
// 2 the system downloader, anything else the single-stream downloader.
#pragma once

#include <memory>
#include <string>

#include "downloader.h"

std::unique_ptr<CDownloader> MakeDownloader(int downloadType, DownloadNotify notify, const std::wstring& url,
                                            const std::wstring& savePath);
