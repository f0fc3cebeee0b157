// The installation package of the tests and the demo, in three roles
// chosen by the command line (README.md, "tools/demo-package"):
//   package      "/S" among the arguments: installs the payload into the
//                install folder and reports through the status stream;
//   uninstaller  an argument "_?=FOLDER": removes what the package
//                installed there (it is installed as "uninst.ep");
//   product      anything else (it is installed as "velmotranslate.exe").
// Switches beginning with "-demo-" (passed through InstCmd) script faults.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "demo_platform.h"
#include "utils/cmdline.h"
#include "utils/files.h"
#include "utils/text.h"
#include "utils/utf8.h"

namespace {

// 安装目录无法写入: the install folder cannot be written
const wchar_t kDefaultErrorText[] = L"\u5b89\u88c5\u76ee\u5f55\u65e0\u6cd5\u5199\u5165";
// 未指定安装目录: no install folder was given
const wchar_t kNoFolderText[] = L"\u672a\u6307\u5b9a\u5b89\u88c5\u76ee\u5f55";
// 安装完成: installation complete
const wchar_t kDoneMessage[] = L"\u5b89\u88c5\u5b8c\u6210";
const wchar_t kProductName[] = L"velmotranslate.exe";
const wchar_t kUninstallerName[] = L"uninst.ep";
const wchar_t kUninstallConfigName[] = L"uninst.cfg";
const wchar_t kArgumentsName[] = L"demo-package.args";
const wchar_t kFilesName[] = L"demo-package.files";
constexpr unsigned kHangLimitMilliseconds = 10 * 60 * 1000;
constexpr size_t kReadSize = 1024;  // what the runners read at a time

struct Behaviour {
  bool fail = false;
  bool error = false;
  std::wstring errorText = kDefaultErrorText;
  bool noState = false;
  bool crash = false;
  bool hang = false;
  bool gbk = false;
  bool split = false;
  uint64_t noise = 0;  // bytes before the final state
  uint64_t flood = 0;  // bytes after it
  unsigned lingerSeconds = 0;
  unsigned slowMilliseconds = 0;
  std::wstring pidFile;
  std::wstring startupStyle = L"AutoStartup";
  std::vector<std::wstring> uninstallSwitches;
};

bool Take(const std::wstring& token, const wchar_t* key, std::wstring* value) {
  const std::wstring k(key);
  if (token.compare(0, k.size(), k) != 0) return false;
  *value = token.substr(k.size());
  return true;
}

uint64_t Number(const std::wstring& text) {
  uint64_t n = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') break;
    n = n * 10 + static_cast<uint64_t>(c - L'0');
  }
  return n;
}

void ApplySwitch(const std::wstring& token, Behaviour* b) {
  std::wstring v;
  if (token == L"-demo-fail") b->fail = true;
  else if (token == L"-demo-error") b->error = true;
  else if (Take(token, L"-demo-error=", &v)) b->error = true, b->errorText = v;
  else if (token == L"-demo-nostate") b->noState = true;
  else if (token == L"-demo-crash") b->crash = true;
  else if (token == L"-demo-hang") b->hang = true;
  else if (token == L"-demo-gbk") b->gbk = true;
  else if (token == L"-demo-split") b->split = true;
  else if (Take(token, L"-demo-noise=", &v)) b->noise = Number(v);
  else if (Take(token, L"-demo-flood=", &v)) b->flood = Number(v);
  else if (Take(token, L"-demo-linger=", &v)) b->lingerSeconds = static_cast<unsigned>(Number(v));
  else if (Take(token, L"-demo-slow=", &v)) b->slowMilliseconds = static_cast<unsigned>(Number(v));
  else if (Take(token, L"-demo-pidfile=", &v)) b->pidFile = v;
  else if (Take(token, L"-demo-startup=", &v)) b->startupStyle = v;
  else if (Take(token, L"-demo-uninstall=", &v)) b->uninstallSwitches.push_back(v);
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  const wchar_t last = folder.back();
  return last == L'\\' || last == L'/' ? folder + name : folder + Utils::PathSeparator() + name;
}

void WriteTextFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::wstring> ReadLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  std::ifstream in{std::filesystem::path(path), std::ios::binary};
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(Utils::Utf8ToWide(line));
  }
  return lines;
}

// Removes the target first: the MinGW library's copy_file refuses to
// overwrite an existing file.
bool CopyReplacing(const std::wstring& from, const std::wstring& to) {
  std::error_code ec;
  std::filesystem::remove(std::filesystem::path(to), ec);
  return std::filesystem::copy_file(std::filesystem::path(from), std::filesystem::path(to), ec);
}

// Written whole, then renamed into place: a reader never sees half an id.
void WritePidFile(const std::wstring& path) {
  if (path.empty()) return;
  const std::wstring partial = path + L".part";
  WriteTextFile(partial, std::to_string(demo::CurrentProcessId()));
  std::error_code ec;
  std::filesystem::rename(std::filesystem::path(partial), std::filesystem::path(path), ec);
}

// The status lines, each written whole in one write, so that a reader that
// keeps up never sees a line cut by a write.
class Status {
 public:
  Status(bool console, bool gbk) : console_(console), codePage_(gbk ? 936u : Utils::kCodePageUtf8) {}

  // "Encode=UTF8" padded to exactly one read: whatever the reader's timing,
  // the line is alone in its chunk and the UTF-8 text after it starts the
  // next one, which is where the new code page applies.
  void Encoding() {
    if (codePage_ != Utils::kCodePageUtf8) return;
    std::string header = "Encode=UTF8\r\n";
    std::string note = "Note=";
    note.append(kReadSize - header.size() - note.size() - 2, ' ');
    Raw(header + note + "\r\n");
  }
  void Line(const std::wstring& key, const std::wstring& value) {
    Raw(Utils::WideToMultiByte(key + L"=" + value, codePage_) + "\r\n");
  }
  void Raw(const std::string& bytes) {
    if (console_) demo::WriteOut(bytes);
  }
  // Lines of exactly one read each, written one at a time (a pipe write
  // that small is never interleaved), so the status lines that follow stay
  // whole in the reader's chunks.
  void Noise(uint64_t bytes) {
    std::string line = "Noise=";
    line.append(kReadSize - line.size() - 2, 'x');
    line += "\r\n";
    for (uint64_t done = 0; done < bytes; done += line.size()) Raw(line);
  }
  // Output after the final state: large writes, nothing more to parse.
  void Flood(uint64_t bytes) {
    std::string block(64 * 1024, 'f');
    for (size_t i = 1023; i < block.size(); i += 1024) block[i] = '\n';
    for (uint64_t done = 0; done < bytes; done += block.size()) {
      if (console_ && !demo::WriteOut(block)) return;
    }
  }

 private:
  bool console_;
  unsigned codePage_;
};

void Pause(const Behaviour& b) {
  if (b.slowMilliseconds) demo::SleepMilliseconds(b.slowMilliseconds);
}

void Hang() {
  for (unsigned waited = 0; waited < kHangLimitMilliseconds; waited += 100) demo::SleepMilliseconds(100);
}

// The failure switches shared by package and uninstaller; true when the
// run is over (the exit code in *code).
bool ScriptedEnd(const Behaviour& b, Status* status, int* code) {
  if (b.crash) demo::Crash();
  if (b.hang) {
    Hang();
    *code = 3;
    return true;
  }
  if (b.error) {
    status->Line(L"Error", b.errorText);
    status->Flood(b.flood);
    *code = 1;
    return true;
  }
  if (b.fail) {
    status->Line(L"State", L"Fail");
    status->Flood(b.flood);
    *code = 1;
    return true;
  }
  return false;
}

void FinalState(const Behaviour& b, Status* status) {
  if (b.split) {
    // One line in two writes, far enough apart to arrive in two reads.
    status->Raw("Sta");
    demo::SleepMilliseconds(300);
    status->Raw("te=Success\r\n");
  } else if (!b.noState) {
    status->Line(L"State", L"Success");
  }
  status->Flood(b.flood);
}

int RunPackage(const std::vector<std::wstring>& args) {
  Behaviour b;
  bool console = false;
  std::wstring folder, rest;
  for (size_t i = 1; i < args.size(); ++i) {
    std::wstring v;
    if (args[i] == L"-console=show") console = true;
    else if (Take(args[i], L"-instdir=", &v)) folder = v;
    else if (Take(args[i], L"/D=", &v)) {
      // /D= takes the rest of the line, spaces and all.
      rest = v;
      for (size_t j = i + 1; j < args.size(); ++j) rest += L" " + args[j];
      break;
    } else ApplySwitch(args[i], &b);
  }
  if (folder.empty()) folder = rest;
  WritePidFile(b.pidFile);
  Status status(console, b.gbk);
  status.Encoding();
  status.Noise(b.noise);
  if (folder.empty()) {
    status.Line(L"Error", kNoFolderText);
    return 2;
  }
  status.Line(L"Progress", L"0.1");
  Pause(b);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(folder), ec);
  const std::wstring self = Utils::ExecutablePath();
  const std::wstring product = Join(folder, kProductName);
  const std::wstring uninstaller = Join(folder, kUninstallerName);
  bool copied = CopyReplacing(self, product);
  status.Line(L"Progress", L"0.4");
  Pause(b);
  copied = copied && CopyReplacing(self, uninstaller);
  if (!copied) {
    status.Line(L"Error", kDefaultErrorText);
    return 1;
  }
  std::string cfg, argsText;
  for (const std::wstring& s : b.uninstallSwitches) cfg += Utils::WideToUtf8(s) + "\n";
  for (const std::wstring& a : args) argsText += Utils::WideToUtf8(a) + "\n";
  WriteTextFile(Join(folder, kUninstallConfigName), cfg);
  WriteTextFile(Join(folder, kArgumentsName), argsText);
  WriteTextFile(Join(folder, kFilesName), "velmotranslate.exe\nuninst.ep\nuninst.cfg\ndemo-package.args\n"
                                          "velmotranslate.pid\ndemo-package.files\n");
  status.Line(L"Progress", L"0.7");
  status.Line(L"InstallVersion", L"1.7.9");
  Pause(b);
  int code = 0;
  if (ScriptedEnd(b, &status, &code)) return code;
  status.Line(L"InstPath", folder);
  status.Line(L"ExePath", product);
  status.Line(L"UninstEp", uninstaller);
  status.Line(L"StartupStyle", b.startupStyle);
  if (b.gbk) status.Line(L"Message", kDoneMessage);
  status.Line(L"Progress", L"1.0");
  if (b.lingerSeconds) {
    demo::StartInheritingChild({product, L"-linger=" + std::to_wstring(b.lingerSeconds),
                                L"-pidfile=" + Join(folder, L"velmotranslate.pid")});
  }
  FinalState(b, &status);
  return 0;
}

int RunUninstaller(const std::vector<std::wstring>& args) {
  Behaviour b;
  bool console = false;
  std::wstring folder;
  for (size_t i = 1; i < args.size(); ++i) {
    std::wstring v;
    if (args[i] == L"-console=show") console = true;
    else if (Take(args[i], L"_?=", &v)) {
      // The old folder is last and unquoted: the rest of the line.
      folder = v;
      for (size_t j = i + 1; j < args.size(); ++j) folder += L" " + args[j];
      break;
    } else ApplySwitch(args[i], &b);
  }
  for (const std::wstring& s : ReadLines(Join(folder, kUninstallConfigName))) ApplySwitch(s, &b);
  WritePidFile(b.pidFile);
  Status status(console, b.gbk);
  status.Encoding();
  status.Noise(b.noise);
  status.Line(L"Progress", L"0.2");
  Pause(b);
  int code = 0;
  if (ScriptedEnd(b, &status, &code)) return code;
  std::vector<std::wstring> files = ReadLines(Join(folder, kFilesName));
  if (files.empty()) files = {kProductName, kUninstallerName};
  std::error_code ec;
  for (const std::wstring& name : files) std::filesystem::remove(std::filesystem::path(Join(folder, name)), ec);
  status.Line(L"Progress", L"0.8");
  std::filesystem::remove(std::filesystem::path(folder), ec);  // only when empty
  status.Line(L"Progress", L"1.0");
  FinalState(b, &status);
  return 0;
}

int RunProduct(const std::vector<std::wstring>& args) {
  unsigned linger = 0;
  std::wstring pidFile;
  for (size_t i = 1; i < args.size(); ++i) {
    std::wstring v;
    if (Take(args[i], L"-linger=", &v)) linger = static_cast<unsigned>(Number(v));
    else if (Take(args[i], L"-pidfile=", &v)) pidFile = v;
  }
  WritePidFile(pidFile);
  demo::WriteOut("velmotranslate\r\n");
  for (unsigned waited = 0; waited < linger * 1000u; waited += 100) demo::SleepMilliseconds(100);
  return 0;
}

}  // namespace

int main() {
  demo::Initialise();
  const std::vector<std::wstring> args = Utils::ProcessArguments();
  for (const std::wstring& a : args) {
    if (a.compare(0, 3, L"_?=") == 0) return RunUninstaller(args);
  }
  for (const std::wstring& a : args) {
    if (a == L"/S") return RunPackage(args);
  }
  return RunProduct(args);
}
