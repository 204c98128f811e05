#pragma once
// Component state: whether an object is being loaded from its form description, edited in a designer,
// updated in a batch or destroyed. Grid objects ask it to decide whether to repaint, relayout or notify.
#include <cstdint>

namespace plat {

enum class ComponentStateFlag : std::uint8_t { Loading = 1, Designing = 2, Updating = 4, Destroying = 8 };

class ComponentState {
 public:
  bool Has(ComponentStateFlag f) const { return (bits_ & std::uint8_t(f)) != 0; }
  void Include(ComponentStateFlag f) { bits_ |= std::uint8_t(f); }
  void Exclude(ComponentStateFlag f) { bits_ &= std::uint8_t(~std::uint8_t(f)); }
  bool Loading() const { return Has(ComponentStateFlag::Loading); }
  bool Designing() const { return Has(ComponentStateFlag::Designing); }
  bool Updating() const { return Has(ComponentStateFlag::Updating); }
  bool Destroying() const { return Has(ComponentStateFlag::Destroying); }

 private:
  std::uint8_t bits_ = 0;
};

}  // namespace plat
