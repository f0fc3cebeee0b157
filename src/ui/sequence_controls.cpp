#include "ui/sequence_controls.h"

#include <algorithm>

#include "uikit/paint_manager.h"
#include "uikit/values.h"

namespace SkinUI {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Characters, not bytes: the markup is UTF-8.
size_t CharCount(const std::string& s, size_t from, size_t to) {
  size_t n = 0;
  for (size_t i = from; i < to; ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) ++n;
  return n;
}

// Up to three digits at s[*i]; -1 when there are none.
int ReadSmallNumber(const std::string& s, size_t* i) {
  int n = -1;
  for (int digits = 0; *i < s.size() && IsDigit(s[*i]); ++*i, ++digits) {
    if (digits == 3) return -2;
    n = (n < 0 ? 0 : n * 10) + (s[*i] - '0');
  }
  return n;
}

bool IsFalse(const std::string& v) { return v == "false"; }

template <class C>
void AddSequenceAttributes(AttributeRegistry& r) {
  // The pattern is a file name: its attribute name is matched as written.
  r.Add<C>("sequencebkimage", [](C& c, const std::string& v) { c.SetSequenceImage(v); });
  r.template AddAnyCase<C>("sequencecount", [](C& c, const std::string& v) {
    int n = 0;
    if (ParseInt(v, &n)) c.SetSequenceCount(n);
  });
  r.template AddAnyCase<C>("sequencespan", [](C& c, const std::string& v) {
    int n = 0;
    if (ParseInt(v, &n)) c.SetSequenceSpan(n);
  });
  r.template AddAnyCase<C>("sequenceloop", [](C& c, const std::string& v) { c.Sequence().loop = !IsFalse(v); });
  r.template AddAnyCase<C>("autostart", [](C& c, const std::string& v) { c.Sequence().autoStart = !IsFalse(v); });
  r.template AddAnyCase<C>("sequenceround", [](C& c, const std::string& v) { c.Sequence().SetRound(!IsFalse(v)); });
}

bool StartSequence(Control& c, FrameSequence& seq) {
  seq.Rewind();
  CPaintManagerUI* pm = c.GetManager();
  return pm && pm->SetTimer(&c, kSequenceTimerId, seq.GetSpan());
}

void StopSequence(Control& c) {
  if (CPaintManagerUI* pm = c.GetManager()) pm->KillTimer(&c, kSequenceTimerId);
}

bool IsSequencePlaying(const Control& c) {
  const CPaintManagerUI* pm = c.GetManager();
  return pm && pm->HasTimer(&c, kSequenceTimerId);
}

bool RespanSequence(Control& c, FrameSequence& seq, int ms) {
  if (!seq.SetSpan(ms)) return false;
  if (IsSequencePlaying(c)) c.GetManager()->SetTimer(&c, kSequenceTimerId, ms);
  return true;
}

void InitSequence(Control& c, FrameSequence& seq) {
  if (seq.autoStart)
    if (CPaintManagerUI* pm = c.GetManager()) pm->SetTimer(&c, kSequenceTimerId, seq.GetSpan());
}

void TickSequence(Control& c, FrameSequence& seq) {
  const FrameSequence::Step step = seq.Tick();
  std::string name;
  // SetBkImage redraws the control when the name changes.
  if (step.show && FormatFrameName(seq.GetPattern(), step.frame, &name)) c.SetBkImage(name);
  if (step.stop) StopSequence(c);
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

}  // namespace

bool FormatFrameName(const std::string& pattern, unsigned frame, std::string* out) {
  const size_t pct = pattern.find('%');
  if (pct == std::string::npos) return false;
  size_t i = pct + 1;
  bool zeroFlag = false;
  if (i < pattern.size() && pattern[i] == '0') {
    zeroFlag = true;
    ++i;
  }
  const int width = ReadSmallNumber(pattern, &i);
  if (width == -2) return false;
  int precision = -1;
  if (i < pattern.size() && pattern[i] == '.') {
    ++i;
    precision = ReadSmallNumber(pattern, &i);
    if (precision == -2) return false;
    if (precision < 0) precision = 0;  // "%.d" is precision 0, as printf reads it
  }
  if (i >= pattern.size() || (pattern[i] != 'd' && pattern[i] != 'i')) return false;
  const size_t suffix = i + 1;
  if (pattern.find('%', suffix) != std::string::npos) return false;
  // The longest name any frame can give: an unsigned 32-bit value has at
  // most ten digits.
  const size_t fixedChars = CharCount(pattern, 0, pct) + CharCount(pattern, suffix, pattern.size());
  const size_t widest = static_cast<size_t>(std::max({width, precision, 10}));
  if (fixedChars + widest > kMaxFrameNameLength) return false;

  std::string digits = (precision == 0 && frame == 0) ? std::string() : std::to_string(frame);
  if (precision > 0 && digits.size() < static_cast<size_t>(precision))
    digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
  if (width > 0 && digits.size() < static_cast<size_t>(width))
    digits.insert(0, static_cast<size_t>(width) - digits.size(), zeroFlag && precision < 0 ? '0' : ' ');
  *out = pattern.substr(0, pct) + digits + pattern.substr(suffix);
  return true;
}

bool FrameSequence::SetPattern(const std::string& pattern) {
  std::string probe;
  if (!pattern.empty() && !FormatFrameName(pattern, 0, &probe)) return false;
  pattern_ = pattern;
  return true;
}

bool FrameSequence::SetCount(int count) {
  if (count < 0) return false;
  count_ = count;
  return true;
}

bool FrameSequence::SetSpan(int ms) {
  if (ms < 1) return false;
  span_ = ms;
  return true;
}

void FrameSequence::Rewind() {
  current_ = 0;
  forward_ = true;
}

FrameSequence::Step FrameSequence::Tick() {
  Step step;
  // Without frames there is nothing to show (and no "last frame" to count
  // back from).
  if (pattern_.empty() || count_ <= 0) return step;
  const unsigned last = static_cast<unsigned>(count_ - 1);
  if (forward_ && current_ > last) {
    // One frame has no way back: it simply repeats.
    if (round_ && last > 0) {
      forward_ = false;
      current_ = last - 1;
    } else {
      current_ = 0;
      if (!loop) {
        step.stop = true;  // the last frame stays
        return step;
      }
    }
  }
  // The count may have shrunk while running backward.
  if (!forward_ && current_ > last) current_ = last;
  bool endsHere = false;
  if (!forward_ && current_ == 0) {
    // Whatever the back-and-forth setting is by now, a run never counts
    // below the first frame.
    forward_ = true;
    endsHere = !loop;
  }
  step.show = true;
  step.frame = current_;
  if (endsHere) {
    // A round trip ends on the first frame it started from.
    step.stop = true;
    current_ = 0;
  } else {
    current_ = forward_ ? current_ + 1 : current_ - 1;
  }
  return step;
}

// ---- what both controls share

template <class Base>
SequencePlayer<Base>::~SequencePlayer() {
  StopSequence(*this);
}

template <class Base>
bool SequencePlayer<Base>::SetSequenceSpan(int ms) {
  return RespanSequence(*this, seq_, ms);
}

template <class Base>
bool SequencePlayer<Base>::Start() {
  return StartSequence(*this, seq_);
}

template <class Base>
void SequencePlayer<Base>::Stop() {
  StopSequence(*this);
}

template <class Base>
bool SequencePlayer<Base>::IsPlaying() const {
  return IsSequencePlaying(*this);
}

template <class Base>
void SequencePlayer<Base>::OnInit() {
  Base::OnInit();
  InitSequence(*this, seq_);
}

template <class Base>
void SequencePlayer<Base>::OnTimer(int id) {
  Base::OnTimer(id);
  if (id == kSequenceTimerId) TickSequence(*this, seq_);
}

template class SequencePlayer<Label>;
template class SequencePlayer<Button>;

// ---- CSequenceLabelUI

CSequenceLabelUI::CSequenceLabelUI() : SequencePlayer(30, false) {}

Control* CSequenceLabelUI::GetInterface(const std::string& name) {
  return name == "SequenceLabel" ? this : Label::GetInterface(name);
}

const AttributeRegistry& CSequenceLabelUI::SequenceLabelAttributes() {
  static const AttributeRegistry reg = [] {
    AttributeRegistry r(&Label::LabelAttributes());
    AddSequenceAttributes<CSequenceLabelUI>(r);
    return r;
  }();
  return reg;
}

const AttributeRegistry& CSequenceLabelUI::Attributes() const { return SequenceLabelAttributes(); }

// ---- CSequenceButtonUI

CSequenceButtonUI::CSequenceButtonUI() : SequencePlayer(60, true) {}

Control* CSequenceButtonUI::GetInterface(const std::string& name) {
  return name == "SequenceButton" ? this : Button::GetInterface(name);
}

const AttributeRegistry& CSequenceButtonUI::SequenceButtonAttributes() {
  static const AttributeRegistry reg = [] {
    AttributeRegistry r(&Button::ButtonAttributes());
    AddSequenceAttributes<CSequenceButtonUI>(r);
    return r;
  }();
  return reg;
}

const AttributeRegistry& CSequenceButtonUI::Attributes() const { return SequenceButtonAttributes(); }

// ---- factory

Control* CreateSequenceControl(const std::string& className) {
  if (EqualsIgnoringCase(className, "SequenceLabel")) return new CSequenceLabelUI;
  if (EqualsIgnoringCase(className, "SequenceButton")) return new CSequenceButtonUI;
  return nullptr;
}

Control* SequenceControlFactory::CreateControl(const std::string& className) {
  if (Control* c = CreateSequenceControl(className)) return c;
  return next_ ? next_->CreateControl(className) : nullptr;
}

}  // namespace SkinUI
