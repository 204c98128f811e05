#pragma once
// What the tests see of a grid's refreshes and painting: an observer that records the effects the
// description asks for, the repaint requests and viewport rectangles, and the cells of the last paint.
// GridRecorder is installed on any grid; Recorded<G> is a grid of class G with one installed, answering
// the same questions itself.
#include <utility>
#include <vector>

#include "grid/structure/grid_model.h"
#include "grid/view/grid_paint.h"

class GridRecorder : public TwGridObserver {
 public:
  void EffectRequested(const TwGridEffect& e) override { effects_.push_back(e); }
  void RepaintRequested(const TwRepaintRequest& r) override {
    // Consecutive identical requests add nothing.
    if (!repaints_.empty() && repaints_.back() == r) return;
    repaints_.push_back(r);
  }
  void RectUpdated(const TRect& r) override { rects_.push_back(r); }
  void PaintStarted() override { cells_.clear(); }
  void CellPainted(const TwPaintedCell& c) override { cells_.push_back(c); }

  const std::vector<TwGridEffect>& Effects() const { return effects_; }
  void ClearEffects() { effects_.clear(); }
  const std::vector<TwRepaintRequest>& RepaintLog() const { return repaints_; }
  // The viewport rectangles handed to Qt's update (a request whose area shows nothing hands none).
  const std::vector<TRect>& UpdatedRects() const { return rects_; }
  void ClearRepaintLog() {
    repaints_.clear();
    rects_.clear();
  }
  // The cells the last paint drew, in drawing order.
  const std::vector<TwPaintedCell>& PaintedCells() const { return cells_; }

 private:
  std::vector<TwGridEffect> effects_;
  std::vector<TwRepaintRequest> repaints_;
  std::vector<TRect> rects_;
  std::vector<TwPaintedCell> cells_;
};

template <class G>
class Recorded : public G {
 public:
  template <class... A>
  explicit Recorded(A&&... args) : G(std::forward<A>(args)...) {
    this->Model().SetObserver(&recorder_);
  }
  ~Recorded() override { this->Model().SetObserver(nullptr); }
  const std::vector<TwGridEffect>& Effects() const { return recorder_.Effects(); }
  void ClearEffects() { recorder_.ClearEffects(); }
  const std::vector<TwRepaintRequest>& RepaintLog() const { return recorder_.RepaintLog(); }
  const std::vector<TRect>& UpdatedRects() const { return recorder_.UpdatedRects(); }
  void ClearRepaintLog() { recorder_.ClearRepaintLog(); }
  const std::vector<TwPaintedCell>& PaintedCells() const { return recorder_.PaintedCells(); }

 private:
  GridRecorder recorder_;
};
