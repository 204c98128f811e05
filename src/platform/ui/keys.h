#pragma once
// Key codes and the shift set of the input handlers (KeyDown, KeyPress, MouseDown, ...), mapped from Qt.
// Key codes are the Windows virtual-key numbers, so that handlers compare with the usual names.
#include <Qt>
#include <cstdint>

namespace plat::ui {

enum : int {
  VK_LBUTTON = 0x01,
  VK_RBUTTON = 0x02,
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_MENU = 0x12,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_PRIOR = 0x21,
  VK_NEXT = 0x22,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  VK_F1 = 0x70,
  VK_F2 = 0x71,
  VK_F3 = 0x72,
  VK_F12 = 0x7B,
};

enum TShiftFlag : std::uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };

class TShiftState {
 public:
  constexpr TShiftState() = default;
  constexpr TShiftState(std::initializer_list<TShiftFlag> l) {
    for (auto f : l) bits_ = std::uint8_t(bits_ | (1u << f));
  }
  constexpr bool Contains(TShiftFlag f) const { return (bits_ & (1u << f)) != 0; }
  constexpr TShiftState& Include(TShiftFlag f) {
    bits_ = std::uint8_t(bits_ | (1u << f));
    return *this;
  }
  friend constexpr bool operator==(TShiftState, TShiftState) = default;

 private:
  std::uint8_t bits_ = 0;
};

enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

/// The virtual-key number of a Qt key, 0 for keys without one. Letters and digits map to their upper-case
/// character code, as Windows does.
int VirtualKeyOf(int qtKey);
/// The shift set of keyboard modifiers and pressed mouse buttons.
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);

}  // namespace plat::ui
