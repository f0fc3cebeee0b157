// A progress bar: a track (bkimage) and a fill (foreimage) whose length
// follows value between min and max; horizontal bars fill from the left,
// vertical ones from the bottom.
#pragma once

#include "uikit/label.h"

namespace SkinUI {

class Progress : public Label {
 public:
  Progress();
  std::string GetClass() const override { return "Progress"; }
  Control* GetInterface(const std::string& name) override;
  const AttributeRegistry& Attributes() const override;

  int GetMinValue() const { return min_; }
  int GetMaxValue() const { return max_; }
  int GetValue() const { return value_; }
  void SetMinValue(int v);
  void SetMaxValue(int v);
  // Clamped into min .. max.
  void SetValue(int v);
  bool IsHorizontal() const { return horizontal_; }
  void SetHorizontal(bool h);
  void SetForeImage(const std::string& v);
  // "isstretchfore": true (the default) stretches the fore image over the
  // filled part; false draws it over the whole bar and shows the filled
  // part of it, so a patterned fill does not squeeze as it grows.
  bool IsStretchFore() const { return stretchFore_; }
  void SetStretchFore(bool s);

  // The part of r the fill covers for these values: a max not above min
  // counts as min + 1, and the length is r's length * (value - min) /
  // (max - min) in whole pixels.
  static Rect FillRect(const Rect& r, int min, int max, int value, bool horizontal);

 protected:
  void PaintStatusImage(PaintContext& ctx) override;

 private:
  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  bool horizontal_ = true;
  bool stretchFore_ = true;
  ImageAttr fore_;
};

}  // namespace SkinUI
