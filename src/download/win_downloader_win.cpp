// The download service on Windows: urlmon's URLDownloadToFileW, which
// calls the bind-status callback on the calling thread until it is done.
#include <windows.h>
#include <urlmon.h>

#include "win_downloader.h"

// Not reference counted: it lives exactly as long as its downloader, which
// outlives every service call made with it.
class CWinDownloader::CBindCallback : public IBindStatusCallbackEx {
 public:
  explicit CBindCallback(CWinDownloader* owner) : owner_(owner) {}

  // IUnknown and IBindStatusCallback, as COM requires of the object it was
  // given as. Not IBindStatusCallbackEx: its GetBindInfoEx has nothing to
  // add, and a service that found it would ask it instead of GetBindInfo.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
      *object = static_cast<IBindStatusCallbackEx*>(this);
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

 private:
  CWinDownloader* const owner_;
  IBinding* binding_ = nullptr;
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
  return URLDownloadToFileW(nullptr, address.c_str(), savePath_.c_str(), 0, bindCallback_.get());
}
