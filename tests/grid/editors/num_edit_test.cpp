// The number edit: typing, deleting and selecting by real key presses, the display with separators and
// typed leading zeros, the bounds applied on leaving, the spin buttons by mouse, the clipboard, the
// painting of sign, selection and caret, and random input that must never leave a malformed number.
#include "grid/editors/num_edit.h"

#include <QClipboard>
#include <QRandomGenerator>
#include <cmath>
#include <set>

#include "editor_fixture.h"
#include "grid/view/draw_helpers.h"

using namespace editortest;
using plat::paint::TRect;

namespace {

using NumHost = Host<TwCustomNumEdit>;

void Keys(QWidget* w, std::initializer_list<Qt::Key> keys, Qt::KeyboardModifiers m = Qt::NoModifier) {
  for (Qt::Key k : keys) QTest::keyClick(w, k, m);
}

// The client point of a control in widget coordinates.
QPoint At(TwCustomNumEdit* e, int x, int y) {
  return e->ClientOrigin() + QPoint(x, y);
}

// RawText is digits, and with Decimals one '.' followed by exactly Decimals digits; empty only with
// EnableNull; the caret lies inside it.
::testing::AssertionResult WellFormed(const TwCustomNumEdit& e) {
  const std::string& s = e.RawText();
  if (s.empty()) {
    if (!e.EnableNull()) return ::testing::AssertionFailure() << "empty text without EnableNull";
  } else {
    const std::size_t point = s.find('.');
    if (e.Decimals() == 0 && point != std::string::npos)
      return ::testing::AssertionFailure() << "point in " << s;
    if (e.Decimals() > 0 &&
        (point == std::string::npos || point == 0 || s.size() - point - 1 != std::size_t(e.Decimals())))
      return ::testing::AssertionFailure() << "fraction of " << s;
    for (std::size_t i = 0; i < s.size(); ++i)
      if (i != point && (s[i] < '0' || s[i] > '9'))
        return ::testing::AssertionFailure() << "character in " << s;
  }
  if (e.CaretIndex() < 0 || e.CaretIndex() > int(s.size())) return ::testing::AssertionFailure() << "caret";
  if (!std::isfinite(e.Value())) return ::testing::AssertionFailure() << "value of " << s;
  if (e.Sign() != 1 && e.Sign() != -1) return ::testing::AssertionFailure() << "sign";
  return ::testing::AssertionSuccess();
}

// The columns in which two images of the same size differ, and the rows they span.
struct Difference {
  std::set<int> columns;
  int top = INT32_MAX, bottom = -1;
};
Difference Diff(const QImage& a, const QImage& b) {
  Difference d;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) {
        d.columns.insert(x);
        d.top = std::min(d.top, y);
        d.bottom = std::max(d.bottom, y);
      }
  return d;
}

bool HasColorIn(const QImage& img, const QRect& r, QRgb c) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (img.pixel(x, y) == c) return true;
  return false;
}

int DarkPixelsIn(const QImage& img, const QRect& r) {
  int n = 0;
  for (int y = std::max(0, r.top()); y <= std::min(img.height() - 1, r.bottom()); ++y)
    for (int x = std::max(0, r.left()); x <= std::min(img.width() - 1, r.right()); ++x)
      n += qGray(img.pixel(x, y)) < 100;
  return n;
}

}  // namespace

// --- the worked examples --------------------------------------------------------------------------------

TEST(NumEditTyping, EmptyInPlaceEditorWithTwoDecimalsFillsTheFractionAndOverwritesIt) {
  ColumnHost grid;
  TestColumn* column = grid.Add();
  column->SetEditFormat("#,##0.00");
  Host<TwInNumEdit> h;
  TwInNumEdit* e = h.control;
  e->SetColumn(column);
  e->SetValue(plat::Variant::Null());
  h.Focus();
  ASSERT_TRUE(e->hasFocus());
  QTest::keyClick(e, '5');
  EXPECT_EQ(e->RawText(), "5.00");
  EXPECT_EQ(e->CaretIndex(), 1);
  QTest::keyClick(e, '.');
  EXPECT_EQ(e->CaretIndex(), 2);
  QTest::keyClick(e, '7');
  EXPECT_EQ(e->RawText(), "5.70");
  EXPECT_EQ(e->CaretIndex(), 3);
  // '.' in the fraction jumps back before the point.
  QTest::keyClick(e, '.');
  EXPECT_EQ(e->CaretIndex(), 1);
  // Typing at the end of the fraction has no digit left to overwrite.
  Keys(e, {Qt::Key_End});
  QTest::keyClick(e, '9');
  EXPECT_EQ(e->RawText(), "5.70");
}

TEST(NumEditTyping, DeleteBeforeAndBackspaceAfterTheOnlyIntegerDigitLeaveAZero) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetDecimals(2);
  e->SetValue(5.7);
  h.Focus();
  Keys(e, {Qt::Key_Home, Qt::Key_Delete});
  EXPECT_EQ(e->RawText(), "0.70");
  EXPECT_EQ(e->CaretIndex(), 1);

  e->SetValue(5.7);
  Keys(e, {Qt::Key_Home, Qt::Key_Right, Qt::Key_Backspace});
  EXPECT_EQ(e->RawText(), "0.70");
  EXPECT_EQ(e->CaretIndex(), 1);
  // Backspace right after the point only steps over it; further in the fraction it zeroes the digit.
  e->SetValue(5.75);
  Keys(e, {Qt::Key_Home, Qt::Key_Right, Qt::Key_Right, Qt::Key_Backspace});
  EXPECT_EQ(e->RawText(), "5.75");
  EXPECT_EQ(e->CaretIndex(), 1);
  Keys(e, {Qt::Key_End, Qt::Key_Backspace});
  EXPECT_EQ(e->RawText(), "5.70");
  EXPECT_EQ(e->CaretIndex(), 3);
}

TEST(NumEditTyping, AFullMaxDigitsTextOnlyMovesTheCaret) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetMaxDigits(3);
  e->SetValue(123);
  h.Focus();
  Keys(e, {Qt::Key_Home, Qt::Key_Right});
  QTest::keyClick(e, '9');
  EXPECT_EQ(e->RawText(), "123");
  EXPECT_EQ(e->CaretIndex(), 2);
  // With room left the digit goes in at the caret.
  e->SetMaxDigits(4);
  Keys(e, {Qt::Key_Home, Qt::Key_Right, Qt::Key_Right});
  QTest::keyClick(e, '9');
  EXPECT_EQ(e->RawText(), "1293");
}

TEST(NumEditBounds, NoMinusInAPositiveRangeAndTheValueIsBoundedOnlyOnLeaving) {
  BeepCounter beeps;
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetMinValue(0);
  e->SetMaxValue(100);
  e->SetValue(0);
  h.Focus();
  QTest::keyClick(e, '-');
  EXPECT_EQ(beeps.count, 1);
  EXPECT_EQ(e->Sign(), 1);
  Keys(e, {Qt::Key_End});
  for (char c : {'2', '5', '0'}) QTest::keyClick(e, c);
  EXPECT_EQ(e->RawText(), "250") << "typing is not bounded";
  h.Leave();
  EXPECT_EQ(e->RawText(), "100");
  EXPECT_DOUBLE_EQ(e->Value(), 100);
  // A negative value can still be made positive.
  e->SetValue(-5);
  h.Focus();
  QTest::keyClick(e, '-');
  EXPECT_EQ(e->Sign(), 1);
  EXPECT_EQ(beeps.count, 1);
}

TEST(NumEditBounds, EqualBoundsMeanNoBoundsAndMinusTogglesWithAChange) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  int changes = 0;
  e->OnChange = [&](QObject* sender) {
    EXPECT_EQ(sender, e);
    ++changes;
  };
  e->SetValue(3);
  changes = 0;
  h.Focus();
  QTest::keyClick(e, '-');
  EXPECT_DOUBLE_EQ(e->Value(), -3);
  QTest::keyClick(e, '-');
  EXPECT_DOUBLE_EQ(e->Value(), 3);
  EXPECT_EQ(changes, 2);
  // A zero changes sign without a change notice; leaving keeps 1000 unbounded.
  e->SetValue(0);
  changes = 0;
  QTest::keyClick(e, '-');
  EXPECT_EQ(changes, 0);
  e->SetValue(1000);
  h.Leave();
  EXPECT_DOUBLE_EQ(e->Value(), 1000);
}

TEST(NumEditDisplay, GroupedTextMapsTheCaretPastTheSeparator) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetDecimals(1);
  e->SetValue(12345.5);
  EXPECT_EQ(e->DisplayText(), "12,345.5");
  h.Focus();
  Keys(e, {Qt::Key_Home, Qt::Key_Right, Qt::Key_Right});
  ASSERT_EQ(e->CaretIndex(), 2);
  const std::string display = e->DisplayText();
  const int d = e->DisplayIndexOf(2);
  EXPECT_EQ(display[std::size_t(d) - 1], ',') << "the caret is after the separator";
  EXPECT_EQ(display[std::size_t(d)], '3') << "and directly before the digit 3";
  // Painted: moving the caret one place changes exactly the two caret columns over the line height.
  const QImage at2 = h.Grab();
  Keys(e, {Qt::Key_Right});
  const QImage at3 = h.Grab();
  const Difference diff = Diff(at2, at3);
  const int ox = e->ClientOrigin().x(), oy = e->ClientOrigin().y();
  EXPECT_EQ(diff.columns, (std::set<int>{e->XOf(2) + ox, e->XOf(3) + ox}));
  EXPECT_EQ(diff.top, e->LineTop() + oy);
  EXPECT_EQ(diff.bottom, e->LineTop() + oy + e->CaretHeight() - 1);
  EXPECT_GT(e->XOf(2), e->XOf(1));
  EXPECT_LT(e->XOf(2), e->XOf(3));
}

TEST(NumEditDisplay, FollowsTheLocaleSeparators) {
  LocaleGuard guard;
  plat::fmt::FormatSettings s = plat::fmt::Locale();
  s.ThousandSeparator = '.';
  s.DecimalSeparator = ',';
  plat::fmt::SetLocale(s);
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetDecimals(1);
  e->SetValue(12345.5);
  EXPECT_EQ(e->RawText(), "12345.5") << "the raw text keeps '.'";
  EXPECT_EQ(e->DisplayText(), "12.345,5");
  EXPECT_EQ(e->DisplayIndexOf(2), 3);
  EXPECT_EQ(e->DisplayIndexOf(6), 7);
  // The locale's decimal separator is typed for the point.
  h.Focus();
  Keys(e, {Qt::Key_Home});
  QTest::keyClick(e, ',');
  EXPECT_EQ(e->CaretIndex(), 6);
  e->SetGrouping(false);
  EXPECT_EQ(e->DisplayText(), "12345,5");
}

TEST(NumEditDisplay, TypedLeadingZerosStayVisible) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetValue(7);
  h.Focus();
  Keys(e, {Qt::Key_Home});
  QTest::keyClick(e, '0');
  QTest::keyClick(e, '0');
  EXPECT_EQ(e->RawText(), "007");
  EXPECT_EQ(e->DisplayText(), "007");
  EXPECT_DOUBLE_EQ(e->Value(), 7);
  e->SetDecimals(2);  // re-formats the value
  EXPECT_EQ(e->RawText(), "7.00");
  Keys(e, {Qt::Key_Home});
  QTest::keyClick(e, '0');
  EXPECT_EQ(e->DisplayText(), "07.00");
  e->SetDecimals(0);
  e->SetValue(1234);
  Keys(e, {Qt::Key_Home});
  for (int i = 0; i < 3; ++i) QTest::keyClick(e, '0');
  EXPECT_EQ(e->RawText(), "0001234");
  EXPECT_EQ(e->DisplayText(), "0001,234");
  EXPECT_EQ(e->DisplayText()[std::size_t(e->DisplayIndexOf(4))], '2');
}

TEST(NumEditSelection, DeletingAcrossThePointDropsIntegerDigitsAndZeroesFractionDigits) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetDecimals(2);
  e->SetValue(1234.56);
  h.Focus();
  Keys(e, {Qt::Key_Home, Qt::Key_Right, Qt::Key_Right});
  Keys(e, {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}, Qt::ShiftModifier);
  ASSERT_EQ(e->SelStart(), 2);
  ASSERT_EQ(e->SelEnd(), 6);
  Keys(e, {Qt::Key_Delete});
  EXPECT_EQ(e->RawText(), "12.06");
  EXPECT_EQ(e->CaretIndex(), 2);
  EXPECT_FALSE(e->Selecting());
}

TEST(NumEditSelection, EnteringSelectsTheIntegerPartAndADigitReplacesIt) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetDecimals(2);
  e->SetValue(1234.56);
  h.Focus();
  EXPECT_EQ(e->SelStart(), 0);
  EXPECT_EQ(e->SelEnd(), 4);
  EXPECT_EQ(e->CaretIndex(), 4);
  QTest::keyClick(e, '9');
  EXPECT_EQ(e->RawText(), "9.56");
  EXPECT_EQ(e->CaretIndex(), 1);
  // A double-click selects everything; deleting everything gives 0 without EnableNull.
  QTest::mouseDClick(e, Qt::LeftButton, Qt::NoModifier, At(e, 2, 2));
  EXPECT_EQ(e->SelStart(), 0);
  EXPECT_EQ(e->SelEnd(), 4);
  Keys(e, {Qt::Key_Backspace});
  EXPECT_EQ(e->RawText(), "0.00");
  EXPECT_EQ(e->CaretIndex(), 1);
  // Wholly in the fraction: the digits become zeros.
  e->SetValue(1.23);
  Keys(e, {Qt::Key_End});
  Keys(e, {Qt::Key_Left, Qt::Key_Left}, Qt::ShiftModifier);
  Keys(e, {Qt::Key_Delete});
  EXPECT_EQ(e->RawText(), "1.00");
  EXPECT_EQ(e->CaretIndex(), 2);
}

TEST(NumEditSelection, CopyAndCutTakeTheRawDigitsAndPasteDoesNothing) {
  BeepCounter beeps;
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetDecimals(2);
  e->SetValue(-1234.56);
  h.Focus();
  Keys(e, {Qt::Key_Home, Qt::Key_Right, Qt::Key_Right});
  Keys(e, {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}, Qt::ShiftModifier);
  QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "34.5") << "no sign, no separators";
  EXPECT_EQ(e->RawText(), "1234.56");
  QApplication::clipboard()->setText("abc");
  QTest::keyClick(e, Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "34.5");
  QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "34.5");
  EXPECT_EQ(e->RawText(), "12.06");
  QApplication::clipboard()->setText("987");
  QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(e->RawText(), "12.06");
  EXPECT_EQ(beeps.count, 0);
  // Read-only: cutting and typing change nothing, characters beep.
  e->SetReadOnly(true);
  Keys(e, {Qt::Key_Home});
  Keys(e, {Qt::Key_End}, Qt::ShiftModifier);
  QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_Delete, Qt::ControlModifier);
  Keys(e, {Qt::Key_Delete, Qt::Key_Backspace});
  QTest::keyClick(e, '4');
  EXPECT_EQ(e->RawText(), "12.06");
  EXPECT_EQ(beeps.count, 1);
}

// --- null, spin, focus ----------------------------------------------------------------------------------

TEST(NumEditNull, BackspaceOnTheLastDigitEmptiesTheFieldAndTheValueIsNull) {
  ColumnHost grid;
  TestColumn* column = grid.Add();
  column->SetEditFormat("0");
  Host<TwInNumEdit> h;
  TwInNumEdit* e = h.control;
  e->SetColumn(column);
  e->SetValue(plat::Variant(7.0));
  h.Focus();
  ASSERT_EQ(e->CaretIndex(), 1);
  Keys(e, {Qt::Key_Backspace});
  EXPECT_EQ(e->RawText(), "");
  EXPECT_TRUE(e->GetValue().IsNull());
  // Leaving an empty field keeps it empty; a digit starts it again.
  h.Leave();
  EXPECT_TRUE(e->GetValue().IsNull());
  h.Focus();
  QTest::keyClick(e, '4');
  EXPECT_DOUBLE_EQ(e->GetValue().ToDouble(), 4);
}

TEST(NumEditNull, InPlaceEditorTakesItsColumnsSettingsAndPermission) {
  BeepCounter beeps;
  ColumnHost grid;
  TestColumn* column = grid.Add();
  column->SetEditFormat("#,##0.000");
  column->SetMaxLength(8);
  column->SetMinValue("-10");
  column->SetMaxValue("1000");
  column->SetColor(0x00FF00);
  column->kind = wekSpinNumber;
  Host<TwInNumEdit> h;
  TwInNumEdit* e = h.control;
  e->SetColumn(column);
  EXPECT_EQ(e->Decimals(), 3);
  EXPECT_TRUE(e->Grouping());
  EXPECT_EQ(e->MaxDigits(), 8);
  EXPECT_DOUBLE_EQ(e->MinValue(), -10);
  EXPECT_DOUBLE_EQ(e->MaxValue(), 1000);
  EXPECT_TRUE(e->SpinButtons());
  EXPECT_EQ(e->Color(), TColor(0x00FF00));
  column->SetEditColor(true);
  e->SetColumn(column);
  EXPECT_EQ(e->Color(), clWindow);
  e->SetValue(plat::Variant(5000.0));
  EXPECT_DOUBLE_EQ(e->GetValue().ToDouble(), 1000) << "the value handed back is bounded";
  // The column's refusal makes the editor refuse.
  grid.canModify = false;
  h.Focus();
  QTest::keyClick(e, '1');
  EXPECT_EQ(beeps.count, 1);
  EXPECT_EQ(e->RawText(), "5000.000");
  e->SetColumn(nullptr);
  EXPECT_FALSE(e->CanModify());
}

TEST(NumEditSpin, APressDraggedOffTheHalfDoesNotStepAndAReleaseOnItDoes) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetSpinButtons(true);
  e->SetValue(5);
  const TRect b = e->ButtonRect();
  const QPoint upper = At(e, b.Left + b.Width() / 2, b.Top + 2);
  const QPoint lower = At(e, b.Left + b.Width() / 2, b.Bottom - 2);
  QTest::mousePress(e, Qt::LeftButton, Qt::NoModifier, upper);
  EXPECT_TRUE(e->hasFocus()) << "a press gives the control the focus";
  QTest::mouseMove(e, lower);
  QTest::mouseRelease(e, Qt::LeftButton, Qt::NoModifier, lower);
  EXPECT_DOUBLE_EQ(e->Value(), 5);
  QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, upper);
  EXPECT_DOUBLE_EQ(e->Value(), 6);
  QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, lower);
  QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, lower);
  EXPECT_DOUBLE_EQ(e->Value(), 4);
  // The step is 1 whatever the decimals, bounded, and OnSpin may refuse it.
  e->SetDecimals(2);
  e->SetValue(0.25);
  e->SetMinValue(0);
  e->SetMaxValue(1);
  QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, upper);
  EXPECT_DOUBLE_EQ(e->Value(), 1);
  int asked = 0;
  e->OnSpin = [&](QObject*, int direction, bool& allow) {
    ++asked;
    EXPECT_EQ(direction, -1);
    allow = false;
  };
  QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, lower);
  EXPECT_EQ(asked, 1);
  EXPECT_DOUBLE_EQ(e->Value(), 1);
  e->OnSpin = nullptr;
  e->SetReadOnly(true);
  QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, lower);
  EXPECT_DOUBLE_EQ(e->Value(), 1);
}

TEST(NumEditSpin, ThePressedHalfIsDrawnPushedOnlyWhileThePointerIsOnIt) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetSpinButtons(true);
  e->SetValue(5);
  h.Focus();
  const TRect b = e->ButtonRect();
  const QPoint upper = At(e, b.Left + b.Width() / 2, b.Top + 2);
  const QPoint lower = At(e, b.Left + b.Width() / 2, b.Bottom - 2);
  const QImage idle = h.Grab();
  QTest::mousePress(e, Qt::LeftButton, Qt::NoModifier, upper);
  ASSERT_TRUE(e->SpinPressed());
  const QImage pressed = h.Grab();
  const Difference d = Diff(idle, pressed);
  const QPoint o = e->ClientOrigin();
  ASSERT_FALSE(d.columns.empty());
  EXPECT_GE(*d.columns.begin(), b.Left + o.x());
  EXPECT_LT(*d.columns.rbegin(), b.Right + o.x());
  EXPECT_GE(d.top, b.Top + o.y());
  EXPECT_LT(d.bottom, b.Top + o.y() + b.Height() / 2 + 1) << "only the upper half is pushed";
  QTest::mouseMove(e, lower);
  EXPECT_FALSE(e->SpinPressed());
  EXPECT_TRUE(Diff(idle, h.Grab()).columns.empty());
  QTest::mouseRelease(e, Qt::LeftButton, Qt::NoModifier, lower);
}

TEST(NumEditMouse, AClickPlacesTheCaretAtTheCharacterUnderThePointer) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetValue(12345);
  h.Focus();
  const int y = e->LineTop() + 2;
  for (int i = 0; i < 5; ++i) {
    QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, At(e, (e->XOf(i) + e->XOf(i + 1)) / 2, y));
    EXPECT_EQ(e->CaretIndex(), i);
    EXPECT_FALSE(e->Selecting());
  }
}

// --- painting -------------------------------------------------------------------------------------------

TEST(NumEditPaint, TheMinusEndsAtTheFirstDigitAndTheSelectionIsHighlighted) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetValue(5);
  const QPoint o = e->ClientOrigin();
  const int top = e->LineTop() + o.y();
  const QRect leftOfText(o.x(), top, e->XOf(0) - 1, e->CaretHeight());
  EXPECT_EQ(DarkPixelsIn(h.Grab(), leftOfText), 0);
  e->SetValue(-5);
  EXPECT_GT(DarkPixelsIn(h.Grab(), leftOfText.adjusted(0, 0, e->XOf(0) + o.x() - leftOfText.right() - 1, 0)),
            0);

  e->SetDecimals(2);
  e->SetValue(1234.56);
  h.Focus();  // selects the integer part
  const QImage img = h.Grab();
  const QRgb highlight = plat::paint::ToQRgb(clHighlight);
  const QRect selected(e->XOf(0) + o.x(), top, e->XOf(4) - e->XOf(0), e->CaretHeight());
  const QRect fraction(e->XOf(5) + o.x(), top, e->XOf(7) - e->XOf(5), e->CaretHeight());
  EXPECT_TRUE(HasColorIn(img, selected, highlight));
  EXPECT_FALSE(HasColorIn(img, fraction, highlight));
  h.Leave();  // without the focus the selection is not shown
  EXPECT_FALSE(HasColorIn(h.Grab(), selected, highlight));
}

// --- properties ------------------------------------------------------------------------------------------

TEST(NumEditProperties, DecimalsAndMaxDigitsReformatAndBoundEachOther) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetValue(5);
  e->SetDecimals(2);
  EXPECT_EQ(e->RawText(), "5.00");
  e->SetMaxDigits(1);
  EXPECT_EQ(e->MaxDigits(), 2) << "raised to the decimals";
  e->SetDecimals(5);
  EXPECT_EQ(e->Decimals(), 2) << "bounded by MaxDigits";
  // While loading both are stored as given and take effect when loading ends.
  e->State().Include(plat::ComponentStateFlag::Loading);
  e->SetMaxDigits(10);
  e->SetDecimals(3);
  EXPECT_EQ(e->RawText(), "5.00");
  e->Loaded();
  EXPECT_EQ(e->RawText(), "5.000");
}

// --- bad input ------------------------------------------------------------------------------------------

TEST(NumEditBadInput, LettersAndSymbolsBeepAndChangeNothing) {
  BeepCounter beeps;
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetValue(42);
  h.Focus();
  QTest::keyClicks(e, "a+e,");
  EXPECT_EQ(e->RawText(), "42");
  EXPECT_EQ(beeps.count, 4) << "',' is no point without decimals";
  // Non-finite values are refused.
  e->SetValue(std::nan(""));
  e->SetValue(INFINITY);
  EXPECT_EQ(e->RawText(), "42");
}

TEST(NumEditBadInput, AnEndlessRunOfDigitsStaysAFiniteNumber) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->SetMaxDigits(0);
  e->SetValue(1);
  h.Focus();
  Keys(e, {Qt::Key_End});
  for (int i = 0; i < TwCustomNumEdit::kMaxIntegerDigits + 20; ++i) QTest::keyClick(e, '9');
  EXPECT_EQ(int(e->RawText().size()), TwCustomNumEdit::kMaxIntegerDigits);
  EXPECT_TRUE(WellFormed(*e));
  h.Leave();
  EXPECT_TRUE(std::isfinite(e->Value()));
}

TEST(NumEditBadInput, RandomKeysNeverLeaveAMalformedNumber) {
  BeepCounter beeps;
  const Qt::Key keys[] = {Qt::Key_0,      Qt::Key_1,      Qt::Key_5,         Qt::Key_9,    Qt::Key_Minus,
                          Qt::Key_Period, Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Home, Qt::Key_End,
                          Qt::Key_Left,   Qt::Key_Right,  Qt::Key_A,         Qt::Key_Space};
  QRandomGenerator rng(20261207);
  for (int decimals : {0, 2}) {
    for (bool enableNull : {false, true}) {
      NumHost h;
      TwCustomNumEdit* e = h.control;
      e->SetEnableNull(enableNull);
      e->SetMaxDigits(6);
      e->SetDecimals(decimals);
      e->SetMinValue(-50);
      e->SetMaxValue(5000);
      e->SetValue(12);
      h.Focus();
      ASSERT_TRUE(e->hasFocus());
      std::set<std::string> seen;
      for (int i = 0; i < 1500; ++i) {
        const Qt::Key k = keys[rng.bounded(int(std::size(keys)))];
        Qt::KeyboardModifiers m = Qt::NoModifier;
        if (rng.bounded(4) == 0)
          m = Qt::ShiftModifier;
        else if (rng.bounded(12) == 0)
          m = Qt::ControlModifier;
        if (k >= Qt::Key_0 && k <= Qt::Key_9)
          QTest::keyClick(e, char('0' + (k - Qt::Key_0)), m);
        else if (k == Qt::Key_Minus)
          QTest::keyClick(e, '-', m);
        else if (k == Qt::Key_Period)
          QTest::keyClick(e, '.', m);
        else
          QTest::keyClick(e, k, m);
        ASSERT_TRUE(WellFormed(*e)) << "after key " << i;
        seen.insert(e->RawText());
        const int digits = int(e->RawText().size()) - (decimals > 0 && !e->RawText().empty() ? 1 : 0);
        ASSERT_LE(digits, 6) << e->RawText();
        if (i % 300 == 299) {
          h.Leave();
          ASSERT_TRUE(WellFormed(*e));
          if (!e->RawText().empty()) {
            ASSERT_GE(e->Value(), -50);
            ASSERT_LE(e->Value(), 5000);
          }
          h.Focus();
        }
      }
      EXPECT_GT(seen.size(), 50u) << "the keys reached the control";
    }
  }
}

// --- keys kept and keys passed on -----------------------------------------------------------------------

namespace {
class KeyWatcher : public QWidget {
 public:
  std::vector<int> keys;
  void keyPressEvent(QKeyEvent* e) override { keys.push_back(e->key()); }
};
}  // namespace

TEST(NumEditKeys, ArrowsEnterAndEscStayInTheControlAndTabMovesOn) {
  KeyWatcher window;
  window.resize(200, 80);
  auto* e = new TwCustomNumEdit(&window);
  auto* next = new QWidget(&window);
  next->setFocusPolicy(Qt::StrongFocus);
  next->setGeometry(0, 40, 40, 20);
  window.show();
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  e->setFocus(Qt::OtherFocusReason);
  ASSERT_TRUE(e->hasFocus());
  for (Qt::Key k : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_F5})
    QTest::keyClick(e, k);
  EXPECT_TRUE(window.keys.empty());
  QTest::keyClick(e, Qt::Key_Tab);
  EXPECT_TRUE(next->hasFocus());
}

TEST(NumEditPaint, LayoutPlacesTheTextLineInATallControl) {
  NumHost h;
  TwCustomNumEdit* e = h.control;
  e->resize(120, 60);
  e->SetValue(8);
  const QPoint o = e->ClientOrigin();
  const TRect client = e->ClientRect();
  const QRect area(o.x(), o.y(), client.Width(), client.Height());
  for (TTextLayout layout : {tlTop, tlCenter, tlBottom}) {
    e->SetLayout(layout);
    const int top = layout == tlTop      ? 0
                    : layout == tlCenter ? (client.Height() - e->CaretHeight()) / 2
                                         : client.Height() - e->CaretHeight();
    EXPECT_EQ(e->LineTop(), top);
    const QImage img = h.Grab();
    int inkTop = INT32_MAX, inkBottom = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if (qGray(img.pixel(x, y)) < 100) {
          inkTop = std::min(inkTop, y);
          inkBottom = std::max(inkBottom, y);
        }
    EXPECT_GE(inkTop, o.y() + top) << int(layout);
    EXPECT_LT(inkBottom, o.y() + top + e->CaretHeight()) << int(layout);
  }
  // Disabled, the digits are drawn in the grey text colour.
  e->setEnabled(false);
  const QImage img = h.Grab();
  bool grey = false;
  for (int y = area.top(); y <= area.bottom() && !grey; ++y)
    for (int x = area.left(); x <= area.right() && !grey; ++x)
      grey = img.pixel(x, y) == plat::paint::ToQRgb(clGrayText);
  EXPECT_TRUE(grey);
}

TEST(NumEditDisplay, AgreesWithThePlatformsGroupedNumberFormat) {
  LocaleGuard guard;
  for (char thousands : {',', '.'}) {
    plat::fmt::FormatSettings s = plat::fmt::Locale();
    s.ThousandSeparator = thousands;
    s.DecimalSeparator = thousands == ',' ? '.' : ',';
    plat::fmt::SetLocale(s);
    NumHost h;
    TwCustomNumEdit* e = h.control;
    for (int decimals : {0, 1, 3}) {
      e->SetDecimals(decimals);
      for (double v :
           {0.0, 5.0, 12.5, 999.0, 1000.0, 1234.56, 999999.999, 1000000.0, 12345678.9, -7654321.0}) {
        e->SetValue(v);
        for (bool grouping : {true, false}) {
          e->SetGrouping(grouping);
          std::string expected =
              plat::fmt::Format(grouping ? "%.*n" : "%.*f",
                                {plat::Variant(std::int32_t(decimals)), plat::Variant(std::fabs(v))});
          EXPECT_EQ(e->DisplayText(), expected) << v << " decimals " << decimals << " grouping " << grouping;
        }
      }
    }
  }
}

TEST(NumEditKeys, EveryTextChangeIsReportedOnceAndRefusalsNotAtAll) {
  BeepCounter beeps;
  NumHost h;
  TwCustomNumEdit* e = h.control;
  std::vector<std::string> seen;
  e->OnChange = [&](QObject*) { seen.push_back(e->RawText()); };
  e->SetDecimals(1);
  e->SetValue(12);
  seen.clear();
  h.Focus();                // selects "12"
  QTest::keyClick(e, '3');  // replaces the selection: one change for the deletion, one for the digit
  QTest::keyClick(e, 'x');
  Keys(e, {Qt::Key_Left, Qt::Key_Right});
  QTest::keyClick(e, '4');
  EXPECT_EQ(seen, (std::vector<std::string>{"0.0", "3.0", "34.0"}));
  EXPECT_EQ(beeps.count, 1);
}
