#include "ui/FormLayout.h"

#include <algorithm>
#include <set>

#include "ui/Twips.h"

namespace pictavo {
namespace {

const ControlSpec* FindControl(const FormSpec& form, int id) {
  for (const ControlSpec& c : form.controls)
    if (c.id == id) return &c;
  return nullptr;
}

// A rule is one 96-DPI pixel thick, scaled like a pen width.
constexpr int32_t kLineThicknessTwips = kTwipsPerInch / kDefaultDpi;

}  // namespace

TwipsRect AbsoluteRect(const FormSpec& form, const ControlSpec& control) {
  TwipsRect rect = control.rect;
  int container = control.container;
  // Bounded walk: a table with a cycle stops after as many steps as it has controls.
  for (size_t depth = 0; container != 0 && depth < form.controls.size(); ++depth) {
    const ControlSpec* frame = FindControl(form, container);
    if (frame == nullptr) break;
    rect.left += frame->rect.left;
    rect.top += frame->rect.top;
    container = frame->container;
  }
  return rect;
}

PixelRect ControlPixelRect(const FormSpec& form, const ControlSpec& control, int32_t dpi) {
  const TwipsRect t = AbsoluteRect(form, control);
  PixelRect p;
  p.left = TwipsToPixels(t.left, dpi);
  p.top = TwipsToPixels(t.top, dpi);
  p.right = TwipsToPixels(static_cast<int64_t>(t.left) + t.width, dpi);
  p.bottom = TwipsToPixels(static_cast<int64_t>(t.top) + t.height, dpi);
  if (control.kind == ControlKind::Line) {
    const int32_t thickness = std::max(1, TwipsToPixels(kLineThicknessTwips, dpi));
    if (t.height == 0) p.bottom = p.top + thickness;
    if (t.width == 0) p.right = p.left + thickness;
  }
  return p;
}

PixelRect ClientPixelRect(const FormSpec& form, int32_t dpi) {
  return PixelRect{0, 0, TwipsToPixels(form.clientWidth, dpi), TwipsToPixels(form.clientHeight, dpi)};
}

std::vector<size_t> CreationOrder(const FormSpec& form) {
  std::vector<size_t> order(form.controls.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const ControlSpec& x = form.controls[a];
    const ControlSpec& y = form.controls[b];
    const bool xFrame = x.kind == ControlKind::GroupFrame;
    const bool yFrame = y.kind == ControlKind::GroupFrame;
    if (xFrame != yFrame) return xFrame;
    return x.tab < y.tab;
  });
  return order;
}

std::string CheckForm(const FormSpec& form) {
  std::set<int> ids;
  std::set<int> tabs;
  for (const ControlSpec& c : form.controls) {
    if (c.id == 0) return "a control has the id 0";
    if (!ids.insert(c.id).second) return "duplicate control id " + std::to_string(c.id);
    if (!tabs.insert(c.tab).second) return "duplicate tab position " + std::to_string(c.tab);
  }
  for (const ControlSpec& c : form.controls) {
    if (c.container == 0) continue;
    const ControlSpec* frame = FindControl(form, c.container);
    if (frame == nullptr || frame->kind != ControlKind::GroupFrame)
      return "control " + std::to_string(c.id) + " lies in " + std::to_string(c.container) +
             ", which is not a frame of the form";
    // Follow the chain of frames: it must reach the dialog.
    int container = c.container;
    size_t steps = 0;
    while (container != 0) {
      if (++steps > form.controls.size()) return "frame " + std::to_string(c.container) + " lies inside itself";
      const ControlSpec* f = FindControl(form, container);
      container = f != nullptr ? f->container : 0;
    }
  }
  return {};
}

}  // namespace pictavo
