#include "texts.h"

#include <cctype>

namespace skinart {

const std::vector<Text>& Texts() {
  // 1-29: texts of the main window's layout; 104: the low-disk-space
  // prompt and 110/111: the progress text's two wordings (a format with
  // one %d), both looked up by the window itself.
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
      {11, "Add to the quick launch bar", "添加到快速启动栏", "新增至快速啟動列"},
      {12, "Back", "返回", "返回"},
      {14, "Installation complete", "安装完成", "安裝完成"},
      {15, "Start now", "立即体验", "立即體驗"},
      {16, "Please stay online while Quillon downloads", "安装过程需要联网，请保持网络畅通", "安裝過程需要連網，請保持網路暢通"},
      {104, "There is not enough free space on this drive: Quillon needs at least 1 GB. Please choose another folder.",
       "磁盘剩余空间不足，安装 Quillon 至少需要 1 GB，请选择其他安装位置。",
       "磁碟剩餘空間不足，安裝 Quillon 至少需要 1 GB，請選擇其他安裝位置。"},
      {110, "Installing: %d%%, please wait...", "正在安装中:%d%%，请稍候...", "正在安裝中:%d%%，請稍候..."},
      {111, "Installing: %d%%, thank you for your patience...", "正在安装中:%d%%，请耐心等待...",
       "正在安裝中:%d%%，請耐心等待..."},
  };
  return texts;
}

namespace {

std::string Quoted(const char* s) {
  std::string out = "\"";
  for (const char* p = s; *p; ++p) {
    if (*p == '"' || *p == '\\') out += '\\';
    out += *p;
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
