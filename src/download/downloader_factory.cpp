#include "downloader_factory.h"

#include "curl_downloader.h"
#include "mt_curl_downloader.h"
#include "win_downloader.h"

std::unique_ptr<CDownloader> MakeDownloader(int downloadType, DownloadNotify notify, const std::wstring& url,
                                            const std::wstring& savePath) {
  switch (downloadType) {
    case 2:
      return std::make_unique<CWinDownloader>(std::move(notify), url, savePath);
    case 3:
      return std::make_unique<CMTCurlDownloader>(std::move(notify), url, savePath);
    default:
      return std::make_unique<CCurlDownloader>(std::move(notify), url, savePath);
  }
}
