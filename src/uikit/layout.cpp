#include "uikit/layout.h"

#include <algorithm>

namespace SkinUI {
namespace {

int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

Rect FloatRect(const Rect& parent, const LayoutItem& item) {
  Rect r = item.pos.Offset(parent.left, parent.top);
  // A pos without its far corner takes the size from width and height.
  if (item.pos.right <= item.pos.left) r.right = r.left + item.fixed.cx;
  if (item.pos.bottom <= item.pos.top) r.bottom = r.top + item.fixed.cy;
  return r;
}

Rect Transpose(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }
Size Transpose(Size s) { return {s.cy, s.cx}; }

// The horizontal rule; the vertical one runs it on transposed input. main
// aligns along the row (only when nothing stretches), cross across it.
std::vector<Rect> LayoutRow(const Rect& parent, const Rect& inset, int childPadding, Align main,
                            Align cross, const std::vector<LayoutItem>& items) {
  std::vector<Rect> out(items.size());
  // 1. The available rectangle; invisible and floating children take no space.
  const Rect avail = parent.Deflate(inset);
  std::vector<size_t> flow;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].visible && !items[i].floating) flow.push_back(i);
  if (flow.empty()) return out;

  // 2. Fixed widths, clamped, and the fixed total.
  std::vector<int> width(items.size(), 0);
  int fixedTotal = childPadding * static_cast<int>(flow.size() - 1);
  int stretchCount = 0;
  for (size_t i : flow) {
    const LayoutItem& it = items[i];
    fixedTotal += it.padding.left + it.padding.right;
    if (it.fixed.cx > 0) {
      width[i] = Clamp(it.fixed.cx, it.minSize.cx, it.maxSize.cx);
      fixedTotal += width[i];
    } else {
      ++stretchCount;
    }
  }

  // 3. Stretch widths: an equal share, the last stretchable child the rest.
  if (stretchCount > 0) {
    const int free = std::max(0, avail.Width() - fixedTotal);
    const int share = free / stretchCount;
    int remaining = free;
    int seen = 0;
    for (size_t i : flow) {
      if (items[i].fixed.cx > 0) continue;
      const int want = ++seen == stretchCount ? std::max(0, remaining) : share;
      width[i] = Clamp(want, items[i].minSize.cx, items[i].maxSize.cx);
      remaining -= width[i];
    }
  }

  int x = avail.left;
  if (stretchCount == 0) {
    const int slack = avail.Width() - fixedTotal;
    if (slack > 0 && main == Align::Center) x += slack / 2;
    if (slack > 0 && main == Align::End) x += slack;
  }

  // 4. and 5. Heights, placement across the row, then left to right.
  for (size_t i : flow) {
    const LayoutItem& it = items[i];
    const int h = Clamp(it.fixed.cy > 0 ? it.fixed.cy : avail.Height() - it.padding.top - it.padding.bottom,
                        it.minSize.cy, it.maxSize.cy);
    const int space = avail.Height() - it.padding.top - it.padding.bottom - h;
    int top = avail.top + it.padding.top;
    if (cross == Align::Center) top += space / 2;
    if (cross == Align::End) top += space;
    x += it.padding.left;
    out[i] = {x, top, x + width[i], top + h};
    x += width[i] + it.padding.right + childPadding;
  }
  return out;
}

}  // namespace

std::vector<Rect> LayoutHorizontal(const Rect& parent, const BoxParams& params,
                                   const std::vector<LayoutItem>& items) {
  std::vector<Rect> out =
      LayoutRow(parent, params.inset, params.childPadding, params.childAlign, params.childVAlign, items);
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].visible && items[i].floating) out[i] = FloatRect(parent, items[i]);
  return out;
}

std::vector<Rect> LayoutVertical(const Rect& parent, const BoxParams& params,
                                 const std::vector<LayoutItem>& items) {
  std::vector<LayoutItem> t(items);
  for (LayoutItem& it : t) {
    it.fixed = Transpose(it.fixed);
    it.minSize = Transpose(it.minSize);
    it.maxSize = Transpose(it.maxSize);
    it.padding = Transpose(it.padding);
  }
  std::vector<Rect> out = LayoutRow(Transpose(parent), Transpose(params.inset), params.childPadding,
                                    params.childVAlign, params.childAlign, t);
  for (size_t i = 0; i < items.size(); ++i) {
    if (!items[i].visible) continue;
    out[i] = items[i].floating ? FloatRect(parent, items[i]) : Transpose(out[i]);
  }
  return out;
}

std::vector<Rect> LayoutTab(const Rect& parent, const Rect& inset, const std::vector<LayoutItem>& items) {
  std::vector<Rect> out(items.size());
  const Rect avail = parent.Deflate(inset);
  for (size_t i = 0; i < items.size(); ++i) {
    const LayoutItem& it = items[i];
    if (it.floating) {
      out[i] = FloatRect(parent, it);
      continue;
    }
    Rect r = avail.Deflate(it.padding);
    r.right = r.left + Clamp(it.fixed.cx > 0 ? it.fixed.cx : r.Width(), it.minSize.cx, it.maxSize.cx);
    r.bottom = r.top + Clamp(it.fixed.cy > 0 ? it.fixed.cy : r.Height(), it.minSize.cy, it.maxSize.cy);
    out[i] = r;
  }
  return out;
}

}  // namespace SkinUI
