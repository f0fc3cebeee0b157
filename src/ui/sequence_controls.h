// Frame-sequence controls: a label and a button that play an animation of
// numbered image files ("res\mainWnd\installBtnAnimate\%.3d.png" for frames
// 000, 001, ...) by swapping their background image on the control's timer
// 2100. Frames are loaded by name through the window's image cache when they
// are painted, never preloaded.
#pragma once

#include <string>

#include "uikit/button.h"
#include "uikit/dialog_builder.h"
#include "uikit/label.h"

namespace SkinUI {

constexpr int kSequenceTimerId = 2100;
// A frame's file name is never longer than this, in characters.
constexpr size_t kMaxFrameNameLength = 260;

// The frame name for `frame`: the pattern with its one integer conversion
// ("%d", "%i", "%3d", "%03d", "%.3d") filled in as printf would. False, with
// *out untouched, for any other pattern: no conversion, a second "%", other
// flags, length modifiers or conversions, or a name that could exceed
// kMaxFrameNameLength. The markup's text never reaches printf.
bool FormatFrameName(const std::string& pattern, unsigned frame, std::string* out);

// The state both controls share and the order frames are shown in.
class FrameSequence {
 public:
  FrameSequence(int span, bool backAndForth) : span_(span), round_(backAndForth) {}

  // A pattern FormatFrameName refuses is not taken; the old one stays.
  bool SetPattern(const std::string& pattern);
  const std::string& GetPattern() const { return pattern_; }
  // Negative counts and spans below 1 ms are refused.
  bool SetCount(int count);
  int GetCount() const { return count_; }
  bool SetSpan(int ms);
  int GetSpan() const { return span_; }

  bool autoStart = false;
  bool loop = true;

  bool IsRound() const { return round_; }
  void SetRound(bool on) { round_ = on; }
  bool IsForward() const { return forward_; }
  unsigned GetCurrentFrame() const { return current_; }
  // From the first frame, forward.
  void Rewind();

  // One timer tick: whether a frame is shown (and which), and whether the
  // run ends with this tick.
  struct Step {
    bool show = false;
    unsigned frame = 0;
    bool stop = false;
  };
  Step Tick();

 private:
  std::string pattern_;
  int count_ = 0;
  int span_;
  bool round_;
  bool forward_ = true;
  unsigned current_ = 0;  // the next frame to show
};

// What both frame-sequence controls add to the control they are built on:
// the sequence, its timer and the frame shown at each tick.
template <class Base>
class SequencePlayer : public Base {
 public:
  ~SequencePlayer() override;

  bool SetSequenceImage(const std::string& pattern) { return seq_.SetPattern(pattern); }
  const std::string& GetSequenceImage() const { return seq_.GetPattern(); }
  bool SetSequenceCount(int count) { return seq_.SetCount(count); }
  int GetSequenceCount() const { return seq_.GetCount(); }
  // A running animation goes on at the new span.
  bool SetSequenceSpan(int ms);
  int GetSequenceSpan() const { return seq_.GetSpan(); }
  FrameSequence& Sequence() { return seq_; }
  const FrameSequence& Sequence() const { return seq_; }

  // From the first frame; a running animation starts over. False without a
  // paint manager.
  bool Start();
  void Stop();
  bool IsPlaying() const;

  void OnInit() override;
  void OnTimer(int id) override;

 protected:
  SequencePlayer(int span, bool round) : seq_(span, round) {}

 private:
  FrameSequence seq_;
};

extern template class SequencePlayer<Label>;
extern template class SequencePlayer<Button>;

class CSequenceLabelUI : public SequencePlayer<Label> {
 public:
  CSequenceLabelUI();

  std::string GetClass() const override { return "SequenceLabel"; }
  Control* GetInterface(const std::string& name) override;
  const AttributeRegistry& Attributes() const override;
  static const AttributeRegistry& SequenceLabelAttributes();
};

class CSequenceButtonUI : public SequencePlayer<Button> {
 public:
  CSequenceButtonUI();

  std::string GetClass() const override { return "SequenceButton"; }
  Control* GetInterface(const std::string& name) override;
  const AttributeRegistry& Attributes() const override;
  static const AttributeRegistry& SequenceButtonAttributes();
};

// "SequenceLabel" and "SequenceButton" in any letter case; null for any
// other name.
Control* CreateSequenceControl(const std::string& className);

// A builder callback that creates the two classes and, for every other
// name, asks `next` (may be null).
class SequenceControlFactory : public IDialogBuilderCallback {
 public:
  explicit SequenceControlFactory(IDialogBuilderCallback* next = nullptr) : next_(next) {}
  Control* CreateControl(const std::string& className) override;

 private:
  IDialogBuilderCallback* next_;
};

}  // namespace SkinUI
