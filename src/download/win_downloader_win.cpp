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

#include "win_downloader.h"

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
    binding_ = binding;  // kept, never used
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) override {
    return owner_->OnProgress(progress, progressMax);
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
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
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD status, LPCWSTR, LPCWSTR, LPWSTR* additional) override {
    if (additional) *additional = nullptr;
    httpStatus_ = status;
    return S_OK;
  }

  // Both on the worker, around one service call.
  void ForgetStatus() { httpStatus_ = 0; }
  DWORD HttpStatus() const { return httpStatus_; }

 private:
  CWinDownloader* const owner_;
  IBinding* binding_ = nullptr;
  DWORD httpStatus_ = 0;
};

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
  HRESULT result = URLDownloadToFileW(nullptr, address.c_str(), savePath_.c_str(), 0,
                                      static_cast<IBindStatusCallbackEx*>(callback));
  if (SUCCEEDED(result)) result = ServiceResult::FromHttpStatus(static_cast<long>(callback->HttpStatus()));
  if (FAILED(result)) DeleteFileW(savePath_.c_str());
  return result;
}
