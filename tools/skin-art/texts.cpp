#include "texts.h"

#include <cctype>

namespace skinart {

const std::vector<Text>& Texts() {
  // 1-29: texts of the main window's layout; 30-49: texts of the prompt
  // layouts; 101-121: texts the installer's code looks up itself
  // (src/ui/ui_texts.h; 107 the toolkit's box for a skin it cannot load).
  static const std::vector<Text> texts = {
      {2, "Fast, private translation on your desktop", "快速、安心的桌面翻译工具", "快速、安心的桌面翻譯工具"},
      {3, "Install now", "立即安装", "立即安裝"},
      {4, "I have read and agree to the License Agreement", "我已阅读并同意《用户许可协议》",
       "我已閱讀並同意《使用者授權合約》"},
      {5, "Please accept the License Agreement first", "请先阅读并同意用户许可协议", "請先閱讀並同意使用者授權合約"},
      {6, "Language", "语言", "語言"},
      {7, "Custom install", "自定义安装", "自訂安裝"},
      {8, "Install to", "安装位置", "安裝位置"},
      {9, "Browse...", "更改目录", "變更目錄"},
      {10, "Create a desktop shortcut", "创建桌面快捷方式", "建立桌面捷徑"},
      {11, "Add to Quick Launch", "添加到快速启动栏", "新增至快速啟動列"},
      {12, "Back", "返回", "上一步"},
      {14, "Installation complete", "安装完成", "安裝完成"},
      {15, "Open Quillon", "立即体验", "立即體驗"},
      {16, "Please stay online while Quillon downloads", "安装过程需要联网，请保持网络畅通", "安裝過程需要連網，請保持網路暢通"},
      {30, "Quillon Setup", "温馨提示", "溫馨提示"},
      {31, "Message", "消息", "訊息"},
      {32, "Are you sure you want to quit setup?", "您确定要退出安装吗？", "您確定要結束安裝嗎？"},
      {33, "Yes", "是", "確定"},
      {34, "No", "否", "取消"},
      {35, "Your network connection is poor. Please try again when it is stable.",
       "当前网络环境较差，请在网络通畅时进行重试", "目前網路連線品質不佳，請在網路通暢時再試一次"},
      {36, "Try later", "稍后再试", "稍後再試"},
      {37, "Try again", "重新安装", "重新安裝"},
      {38, "Quillon is already installed on this computer. Update it to the latest version?",
       "检测到计算机中已存在此软件，是否为您更新为最新版本？", "偵測到電腦中已安裝此軟體，是否為您更新至最新版本？"},
      {39, "Open Quillon", "打开软件", "開啟軟體"},
      {40, "Update", "安装最新版本", "安裝最新版本"},
      {101, "Quillon is running.\r\nPlease quit Quillon and try again.",
       "安装程序检测到Quillon\r\n正在运行，请退出程序后再安装", "安裝程式偵測到 Quillon\r\n正在執行，請結束程式後再安裝"},
      {102, "This folder cannot be used. Please choose another folder.", "无效路径", "無效的路徑"},
      {103, "Your network connection is poor. Please try again when it is stable.",
       "当前网络环境较差，请在网络通畅时进行安装", "目前網路連線品質不佳，請在網路通暢時再安裝"},
      {104, "Not enough free space. Quillon needs at least 1 GB. Please choose another folder.",
       "磁盘剩余空间不足，安装 Quillon 至少需要 1 GB，请选择其他安装位置。",
       "磁碟剩餘空間不足，安裝 Quillon 至少需要 1 GB，請選擇其他安裝位置。"},
      {105, "Installation failed.", "安装失败", "安裝失敗"},
      {106, "Choose a folder", "选择一个文件夹", "選擇資料夾"},
      {107, "Setup could not load its resources.", "加载资源文件失败", "載入資源檔案失敗"},
      {108, "Quillon Setup needs a display. Use -silent=true to install without a window.",
       "Quillon 安装程序需要图形显示环境。使用 -silent=true 可在无窗口模式下安装。",
       "Quillon 安裝程式需要圖形顯示環境。使用 -silent=true 可在無視窗模式下安裝。"},
      {109, "The installation package could not be installed.", "安装包安装失败", "安裝套件安裝失敗"},
      {110, "Installing: %d%%. Please wait...", "正在安装中:%d%%，请稍候...", "正在安裝中:%d%%，請稍候..."},
      {111, "Installing: %d%%. This may take a few minutes...", "正在安装中:%d%%，请耐心等待...",
       "正在安裝中:%d%%，請耐心等待..."},
      {112, "The installation package is not signed, so it was not started.", "安装包未通过签名校验：未签名",
       "安裝套件未通過簽章驗證：未簽署"},
      {113, "The installation package's signature is not valid, so it was not started.",
       "安装包未通过签名校验：签名无效", "安裝套件未通過簽章驗證：簽章無效"},
      {114, "The installation package is not from Quillon's publisher, so it was not started.",
       "安装包未通过签名校验：发布者不符", "安裝套件未通過簽章驗證：發行者不符"},
      {115, "The installation package's certificate had expired, so it was not started.",
       "安装包未通过签名校验：证书已过期", "安裝套件未通過簽章驗證：憑證已過期"},
      {116, "The installation package was changed after it was signed, so it was not started.",
       "安装包未通过签名校验：文件摘要不符", "安裝套件未通過簽章驗證：檔案摘要不符"},
      {117, "The installation package could not be read, so it was not started.",
       "安装包未通过签名校验：安装包无法读取", "安裝套件未通過簽章驗證：安裝套件無法讀取"},
      {118, "Close", "关闭", "關閉"},
      {119, "Minimize", "最小化", "縮到最小"},
      {120, "Maximize", "最大化", "放到最大"},
      {121, "Restore", "还原", "還原"},
  };
  return texts;
}

namespace {

std::string Quoted(const char* s) {
  std::string out = "\"";
  for (const char* p = s; *p; ++p) {
    if (*p == '"' || *p == '\\') out += '\\';
    if (*p == '\r') out += "\\r";
    else if (*p == '\n') out += "\\n";
    else out += *p;
  }
  return out + "\"";
}

}  // namespace

std::string LanguageJson() {
  std::string out = "[\n";
  const auto& t = Texts();
  for (size_t i = 0; i < t.size(); ++i) {
    out += "  {\"id\": " + std::to_string(t[i].id) + ", \"en-US\": " + Quoted(t[i].en) +
           ", \"zh-CN\": " + Quoted(t[i].zhCN) + ", \"zh-TW\": " + Quoted(t[i].zhTW) + "}";
    out += i + 1 < t.size() ? ",\n" : "\n";
  }
  return out + "]\n";
}

std::string TextOf(int id, int language) {
  for (const Text& t : Texts())
    if (t.id == id) return language == 1 ? t.zhCN : language == 2 ? t.zhTW : t.en;
  return {};
}

std::string Resolve(const std::string& text, int language) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "%{") == 0) {
      size_t j = i + 2;
      while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
      if (j > i + 2 && j < text.size() && text[j] == '}') {
        std::string t = TextOf(std::stoi(text.substr(i + 2, j - i - 2)), language);
        if (!t.empty()) {
          out += t;
          i = j + 1;
          continue;
        }
      }
    }
    out += text[i++];
  }
  return out;
}

}  // namespace skinart
