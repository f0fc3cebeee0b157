// The download service on Windows: urlmon's URLDownloadToFileW, which
// calls the bind-status callback on the calling thread until it is done.
//
// The service alone is not trusted with two outcomes: an HTTP error page
// is saved and reported as S_OK (seen under Wine for a 404), and an
// aborted or failed transfer may still leave what arrived at the save
// path. The callback therefore also answers IHttpNegotiate to learn the
// response status, and a failed attempt removes the file.
#include <windows.h>
#include <urlmon.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cwctype>
#include <mutex>
#include <string>
#include <thread>

#include "utils/file_io.h"
#include "utils/text.h"
#include "win_downloader.h"

namespace {
constexpr auto kWatchdogPeriod = std::chrono::milliseconds(250);
}  // namespace

// Not reference counted: it lives exactly as long as its downloader, which
// outlives every service call made with it.
class CWinDownloader::CBindCallback : public IBindStatusCallbackEx, public IHttpNegotiate {
 public:
  explicit CBindCallback(CWinDownloader* owner) : owner_(owner) {}
  virtual ~CBindCallback() = default;

  // IUnknown and IBindStatusCallback, as COM requires of the object it was
  // given as, and IHttpNegotiate for the response status. Not
  // IBindStatusCallbackEx: its GetBindInfoEx has nothing to add, and a
  // service that found it would ask it instead of GetBindInfo.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
      *object = static_cast<IBindStatusCallbackEx*>(this);
      return S_OK;
    }
    if (IsEqualIID(iid, IID_IHttpNegotiate)) {
      *object = static_cast<IHttpNegotiate*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 0; }
  ULONG STDMETHODCALLTYPE Release() override { return 0; }

  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
    std::lock_guard<std::recursive_mutex> lock(bindingMutex_);
    binding_ = binding;  // kept for the watchdog's abort
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) override {
    if (stalled_) return E_ABORT;
    return owner_->OnProgress(progress, progressMax);
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override {
    std::lock_guard<std::recursive_mutex> lock(bindingMutex_);
    binding_ = nullptr;  // not to be aborted any more
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO* info) override {
    if (info) info->dwCodePage = CP_UTF8;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBindInfoEx(DWORD*, BINDINFO*, DWORD*, DWORD*) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additional) override {
    if (additional) *additional = nullptr;
    return S_OK;
  }
  // Called for the final response, after redirects; the last one counts.
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD status, LPCWSTR headers, LPCWSTR, LPWSTR* additional) override {
    if (additional) *additional = nullptr;
    httpStatus_ = status;
    contentType_ = HeaderValue(headers ? headers : L"", L"content-type:");
    return S_OK;
  }

  // All on the worker, around one service call.
  void ForgetStatus() {
    httpStatus_ = 0;
    contentType_.clear();
    stalled_.store(false);
  }
  DWORD HttpStatus() const { return httpStatus_; }
  const std::string& ContentType() const { return contentType_; }
  bool Stalled() const { return stalled_.load(); }

  // On the watchdog's thread: nothing new for the stall limit aborts the
  // binding. The service's own wait takes only its own messages, so the
  // abort cannot wait for the worker; the binding passes it to the
  // worker's apartment as it does the network's reports. The lock keeps
  // the binding from being forgotten (and released) during the call.
  void CheckStall() {
    if (stalled_.load()) return;
    if (CWinDownloader::NowMs() - owner_->lastChangeMs_.load() < owner_->stallSeconds_ * 1000L) return;
    stalled_.store(true);
    std::lock_guard<std::recursive_mutex> lock(bindingMutex_);
    if (binding_) binding_->Abort();
  }

 private:
  CWinDownloader* const owner_;
  // The value of header `name` (lower case, with its colon) in a block of
  // "Name: value\r\n" lines, in ASCII.
  static std::string HeaderValue(const std::wstring& headers, const std::wstring& name) {
    size_t at = 0;
    while (at < headers.size()) {
      size_t end = headers.find(L'\n', at);
      if (end == std::wstring::npos) end = headers.size();
      std::wstring line = headers.substr(at, end - at);
      at = end + 1;
      if (line.size() < name.size()) continue;
      bool same = true;
      for (size_t i = 0; i < name.size() && same; ++i) same = towlower(line[i]) == name[i];
      if (!same) continue;
      std::string value;
      for (size_t i = name.size(); i < line.size(); ++i) {
        if (line[i] > 32 && line[i] < 127) value += static_cast<char>(line[i]);
        else if (!value.empty() && line[i] == L' ') value += ' ';
      }
      return value;
    }
    return "";
  }

  std::recursive_mutex bindingMutex_;
  IBinding* binding_ = nullptr;  // guarded by bindingMutex_
  DWORD httpStatus_ = 0;
  std::string contentType_;
  std::atomic<bool> stalled_{false};
};

namespace {
// The service stores whatever answered; an HTML page in place of the
// package is found by its type or its first bytes.
bool SavedHtml(const std::wstring& path, const std::string& contentType) {
  if (LooksLikeHtml(contentType.c_str(), "", 0)) return true;
  FILE* file = Utils::OpenFile(path, "rb");
  if (!file) return false;
  char head[512];
  const size_t n = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  return LooksLikeHtml(nullptr, head, n);
}
}  // namespace

CWinDownloader::CBindCallback* CWinDownloader::NewBindCallback(CWinDownloader* owner) {
  return new CBindCallback(owner);
}

void CWinDownloader::CallbackDeleter::operator()(CBindCallback* callback) const { delete callback; }

// A single-threaded apartment for the worker, which the service needs.
CWinDownloader::ServiceThread::ServiceThread() { entered_ = SUCCEEDED(CoInitialize(nullptr)); }
CWinDownloader::ServiceThread::~ServiceThread() {
  if (entered_) CoUninitialize();
}

int32_t CWinDownloader::DownloadOnce(const std::wstring& address) {
  CBindCallback* callback = bindCallback_.get();
  callback->ForgetStatus();
  lastProgress_.store(0);
  lastChangeMs_.store(NowMs());
  std::mutex doneMutex;
  std::condition_variable doneChanged;
  bool done = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> lock(doneMutex);
    while (!doneChanged.wait_for(lock, kWatchdogPeriod, [&] { return done; })) {
      lock.unlock();
      callback->CheckStall();
      lock.lock();
    }
  });
  HRESULT result = URLDownloadToFileW(nullptr, address.c_str(), savePath_.c_str(), 0,
                                      static_cast<IBindStatusCallbackEx*>(callback));
  {
    std::lock_guard<std::mutex> lock(doneMutex);
    done = true;
  }
  doneChanged.notify_all();
  watchdog.join();
  if (callback->Stalled()) result = ServiceResult::kTimeout;
  if (SUCCEEDED(result)) result = ServiceResult::FromHttpStatus(static_cast<long>(callback->HttpStatus()));
  if (SUCCEEDED(result) && SavedHtml(savePath_, callback->ContentType())) {
    ReportHtmlAnswer(callback->ContentType().c_str());
    result = ServiceResult::kDownloadFailure;
  }
  if (FAILED(result)) DeleteFileW(savePath_.c_str());
  return result;
}
