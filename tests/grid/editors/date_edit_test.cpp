// The date and time edits: the pattern conversion of both passes and its use as Qt's display format, the
// empty state entered and left by every key, its painting, the read-only refusals, the settings and
// bounds from a column, and a half-typed field taken on commit.
#include "grid/editors/date_edit.h"

#include <QCalendarWidget>
#include <QLineEdit>

#include "editor_fixture.h"
#include "grid/view/draw_helpers.h"
#include "platform/error.h"

using namespace editortest;
using plat::TDateTime;
using plat::paint::TRect;

namespace {

// The Korean defaults: '-' between date parts, ':' between time parts.
class KoreanLocale {
 public:
  KoreanLocale() { plat::fmt::SetLocale(plat::fmt::KoreanDefaults()); }

 private:
  LocaleGuard guard_;
};

// A fixed "now" for the duration of a test.
class FixedNow {
 public:
  explicit FixedNow(QDateTime now) : saved_(TwDateEdit::Now) {
    TwDateEdit::Now = [now] { return now; };
  }
  ~FixedNow() { TwDateEdit::Now = saved_; }

 private:
  std::function<QDateTime()> saved_;
};

TDateTime Date(int y, int m, int d) {
  return plat::fmt::EncodeDate(y, m, d);
}
TDateTime DateTime(int y, int m, int d, int h, int n) {
  return plat::fmt::EncodeDate(y, m, d) + plat::fmt::EncodeTime(h, n, 0, 0);
}

// An in-place date editor on a column the test can make read-only.
template <class Editor = TwInDateEdit>
struct InPlace {
  ColumnHost grid;
  TestColumn* column = grid.Add();
  Host<Editor> h;
  Editor* e = h.control;
  InPlace() {
    column->kind = wekDate;
    e->SetColumn(column);
    e->resize(160, 24);
  }
};

int PixelsOtherThan(const QImage& img, const QRect& r, QRgb c) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += img.pixel(x, y) != c;
  return n;
}

QRect ToQRect(const TRect& r) {
  return QRect(r.Left, r.Top, r.Width(), r.Height());
}

}  // namespace

// --- the pattern conversion -----------------------------------------------------------------------------

TEST(DateEditFormat, SeparatorsAreQuotedMonthsMinutesAndHoursRenamed) {
  KoreanLocale locale;
  EXPECT_EQ(ConvertEditFormat("yyyy/mm/dd"), "yyyy'-'MM'-'dd");
  EXPECT_EQ(ConvertEditFormat("hh:nn"), "HH':'mm");
  EXPECT_EQ(ConvertEditFormat("YYYY/MM/DD"), "yyyy'-'MM'-'dd") << "the pattern is read in lower case";
  plat::fmt::FormatSettings s = plat::fmt::Locale();
  s.DateSeparator = '.';
  s.TimeSeparator = 'h';
  plat::fmt::SetLocale(s);
  EXPECT_EQ(ConvertEditFormat("dd/mm/yy hh:nn"), "dd'.'MM'.'yy HH'h'mm")
      << "a quoted separator is not renamed";
}

TEST(DateEditFormat, AnAmPmMarkerAnywhereMakesEveryHourTwelveHour) {
  KoreanLocale locale;
  EXPECT_EQ(ConvertEditFormat("hh:nn am/pm"), "hh':'mm tt");
  EXPECT_EQ(ConvertEditFormat("AMPM h:n"), "tt h':'m");
  EXPECT_EQ(ConvertEditFormat("h a/p hh"), "h tt hh");
  EXPECT_EQ(ConvertEditFormat("h hh"), "H HH");
}

TEST(DateEditFormat, QuotedTextIsCopiedInLowerCaseAndNotConverted) {
  KoreanLocale locale;
  EXPECT_EQ(ConvertEditFormat("'Week' ww"), "'week' ww");
  EXPECT_EQ(ConvertEditFormat("\"Min\" n"), "'min' m") << "double quotes become single quotes";
  EXPECT_EQ(ConvertEditFormat("'mnh/:' m"), "'mnh/:' M");
  EXPECT_EQ(ConvertEditFormat("d 'open"), "d 'open") << "an unclosed literal runs to the end";
}

TEST(DateEditFormat, LocaleFormatsAreInsertedAndOnlyTheSecondPassReadsThem) {
  KoreanLocale locale;
  EXPECT_EQ(ConvertEditFormat("c"), "yyyy-MM-dd");
  EXPECT_EQ(ConvertEditFormat("ddddd"), "yyyy-MM-dd");
  EXPECT_EQ(ConvertEditFormat("dddddd"), "yyyy'년' M'월' d'일' dddd");
  // The time formats arrive after the first pass has looked for markers: their "ampm" is not seen as one.
  EXPECT_EQ(ConvertEditFormat("tt"), "aMpM H:mm:ss");
  EXPECT_EQ(ConvertEditFormat("t"), "aMpM H:mm");
}

TEST(DateEditFormat, PickerSyntaxBecomesQtsDisplayFormat) {
  EXPECT_EQ(PickerFormatToQt("yyyy'-'MM'-'dd"), "yyyy'-'MM'-'dd");
  EXPECT_EQ(PickerFormatToQt("hh':'mm tt"), "hh':'mm' 'AP");
  EXPECT_EQ(PickerFormatToQt("'week' ww"), "'week ww'");
  EXPECT_EQ(PickerFormatToQt("y yyy"), "yy' 'yyyy");
  EXPECT_EQ(PickerFormatToQt("d ''"), "d' '''")
      << "two quotes are a quote, doubled again inside Qt's literal";
  EXPECT_EQ(PickerFormatToQt("aMpM"), "'a'M'p'M") << "letters Qt would read as fields are quoted";
}

TEST(DateEditFormat, TheConvertedPatternIsWhatTheEditShows) {
  KoreanLocale locale;
  Host<TwDateEdit> h;
  TwDateEdit* e = h.control;
  e->SetEditFormat("yyyy/mm/dd");
  EXPECT_EQ(e->EditFormat(), "yyyy/mm/dd") << "the property keeps the pattern as written";
  e->SetDateTime(DateTime(2026, 3, 5, 14, 5));
  EXPECT_EQ(e->text(), "2026-03-05");
  e->SetEditFormat("dd/mm/yy hh:nn");
  EXPECT_EQ(e->text(), "05-03-26 14:05");
  e->SetEditFormat("hh:nn am/pm");
  EXPECT_TRUE(e->text().startsWith("02:05 ")) << e->text().toStdString();
  // While loading only the pattern is stored.
  e->State().Include(plat::ComponentStateFlag::Loading);
  e->SetEditFormat("dd/mm/yyyy");
  EXPECT_TRUE(e->text().startsWith("02:05 "));
  e->Loaded();
  EXPECT_EQ(e->text(), "05-03-2026");
}

// --- the empty state ------------------------------------------------------------------------------------

TEST(DateEditNull, DeleteEmptiesAndHomeFillsInNow) {
  KoreanLocale locale;
  const QDateTime now(QDate(2026, 12, 7), QTime(12, 30, 15));
  FixedNow fixed(now);
  InPlace<> p;
  p.e->SetValue(plat::Variant::Date(Date(2020, 1, 2)));
  p.h.Focus();
  QTest::keyClick(p.e, Qt::Key_Delete);
  EXPECT_TRUE(p.e->IsNull());
  EXPECT_TRUE(p.e->GetValue().IsNull());
  QTest::keyClick(p.e, Qt::Key_Home);
  EXPECT_FALSE(p.e->IsNull());
  EXPECT_EQ(p.e->dateTime(), now);
  EXPECT_DOUBLE_EQ(p.e->GetValue().ToDateTime(), QtToDateTime(now));
}

TEST(DateEditNull, ADigitOrPointLeavesTheEmptyStateIntoTheFirstField) {
  KoreanLocale locale;
  InPlace<> p;
  p.e->SetEditFormat("dd/mm/yyyy");
  p.e->SetValue(plat::Variant::Date(Date(2026, 12, 15)));
  p.h.Focus();
  QTest::keyClick(p.e, Qt::Key_Delete);
  ASSERT_TRUE(p.e->IsNull());
  QTest::keyClick(p.e, '2');
  EXPECT_FALSE(p.e->IsNull());
  EXPECT_EQ(p.e->currentSectionIndex(), 0);
  EXPECT_TRUE(p.e->text().startsWith("2")) << p.e->text().toStdString();
  EXPECT_FALSE(p.e->text().startsWith("15"));

  QTest::keyClick(p.e, Qt::Key_Delete);
  ASSERT_TRUE(p.e->IsNull());
  QTest::keyClick(p.e, '.');
  EXPECT_FALSE(p.e->IsNull());
}

TEST(DateEditNull, EveryOtherCharacterIsRefusedWhileEmpty) {
  BeepCounter beeps;
  KoreanLocale locale;
  InPlace<> p;
  p.e->SetValue(plat::Variant::Null());
  p.h.Focus();
  const QString before = p.e->text();
  QTest::keyClicks(p.e, "x-/ ");
  QTest::keyClick(p.e, Qt::Key_Backspace);
  QTest::keyClick(p.e, Qt::Key_Delete);
  EXPECT_TRUE(p.e->IsNull());
  EXPECT_EQ(p.e->text(), before);
  EXPECT_EQ(beeps.count, 0);
}

TEST(DateEditNull, F4AndAltDownLeaveTheEmptyStateAndOpenTheCalendar) {
  KoreanLocale locale;
  for (bool altDown : {false, true}) {
    InPlace<> p;
    p.e->SetValue(plat::Variant::Null());
    p.h.Focus();
    if (altDown)
      QTest::keyClick(p.e, Qt::Key_Down, Qt::AltModifier);
    else
      QTest::keyClick(p.e, Qt::Key_F4);
    EXPECT_FALSE(p.e->IsNull());
    EXPECT_TRUE(p.e->DroppedDown());
    p.e->calendarWidget()->window()->hide();
  }
}

TEST(DateEditNull, PickingADayInTheOpenCalendarEndsTheEmptyState) {
  KoreanLocale locale;
  InPlace<> p;
  p.e->SetValue(plat::Variant::Date(Date(2026, 12, 15)));
  p.h.Focus();
  QTest::keyClick(p.e, Qt::Key_F4);
  ASSERT_TRUE(p.e->DroppedDown());
  p.e->Clear();  // emptied while the calendar is open
  ASSERT_TRUE(p.e->IsNull());
  p.e->setDate(QDate(2026, 12, 20));  // the calendar's change notification
  EXPECT_FALSE(p.e->IsNull());
  p.e->Clear();
  emit p.e->calendarWidget()->clicked(QDate(2026, 12, 15));  // the same day: no change, still a pick
  EXPECT_FALSE(p.e->IsNull());
  p.e->calendarWidget()->window()->hide();
  // With the calendar closed a change leaves the empty state alone.
  p.e->Clear();
  p.e->setDate(QDate(2026, 12, 21));
  EXPECT_TRUE(p.e->IsNull());
}

TEST(DateEditNull, WithoutEnableNullThereIsNoEmptyStateAndDeleteDoesNothing) {
  KoreanLocale locale;
  InPlace<> p;
  p.e->SetValue(plat::Variant::Null());
  ASSERT_TRUE(p.e->IsNull());
  p.e->SetEnableNull(false);
  EXPECT_FALSE(p.e->IsNull()) << "leaves the empty state at once";
  p.e->SetEditFormat("yyyy/mm/dd");
  p.e->SetValue(plat::Variant::Date(Date(2026, 12, 15)));
  p.h.Focus();
  const QString before = p.e->text();
  QTest::keyClick(p.e, Qt::Key_Delete);
  EXPECT_FALSE(p.e->IsNull());
  EXPECT_EQ(p.e->text(), before);
  p.e->SetNull(true);
  EXPECT_FALSE(p.e->IsNull());
}

TEST(DateEditNull, AReadOnlyEditorDropsCharactersWithoutABeepAndKeepsItsState) {
  BeepCounter beeps;
  KoreanLocale locale;
  InPlace<> p;
  p.e->SetEditFormat("yyyy/mm/dd");
  p.e->SetValue(plat::Variant::Date(Date(2026, 12, 15)));
  p.grid.canModify = false;
  p.h.Focus();
  const QString before = p.e->text();
  QTest::keyClicks(p.e, "1999");
  QTest::keyClick(p.e, Qt::Key_Delete);
  QTest::keyClick(p.e, Qt::Key_Up);
  QTest::keyClick(p.e, Qt::Key_Up, Qt::ControlModifier);
  QTest::keyClick(p.e, Qt::Key_F4);
  EXPECT_EQ(p.e->text(), before);
  EXPECT_FALSE(p.e->IsNull());
  EXPECT_FALSE(p.e->DroppedDown());
  EXPECT_EQ(beeps.count, 0);
  // Empty and read-only: Home and digits do not fill it.
  p.grid.canModify = true;
  QTest::keyClick(p.e, Qt::Key_Delete);
  ASSERT_TRUE(p.e->IsNull());
  p.grid.canModify = false;
  QTest::keyClick(p.e, Qt::Key_Home);
  QTest::keyClick(p.e, '3');
  EXPECT_TRUE(p.e->IsNull());
}

// --- painting of the empty state ------------------------------------------------------------------------

TEST(DateEditPaint, TheEmptyStateShowsOnlyTheButtonAndAFocusRectangle) {
  KoreanLocale locale;
  Host<TwDateEdit> h;
  TwDateEdit* e = h.control;
  e->resize(160, 24);
  e->SetDateTime(Date(2026, 12, 15));
  h.Focus();
  const TRect client = e->ClientRect();
  const TRect button = e->NullButtonRect();
  const QRgb background = plat::paint::ToQRgb(clWindow);
  const QRect inner(client.Left + 1, client.Top + 1, button.Left - client.Left - 2, client.Height() - 2);
  EXPECT_GT(PixelsOtherThan(h.Grab(), inner, background), 0) << "a date shows its text";

  e->Clear();
  QImage img = h.Grab();
  EXPECT_EQ(PixelsOtherThan(img, inner, background), 0) << "no text while empty";
  EXPECT_EQ(button.Width(), ButtonWidth());
  EXPECT_EQ(button.Right, client.Right);
  EXPECT_GT(PixelsOtherThan(img, ToQRect(button), background), button.Width() * button.Height() / 2)
      << "the combo button fills its strip";
  const QRect leftEdge(client.Left, client.Top, 1, client.Height());
  EXPECT_GT(PixelsOtherThan(img, leftEdge, background), 0) << "the focus rectangle";

  e->SetFocusRect(false);
  img = h.Grab();
  EXPECT_EQ(PixelsOtherThan(img, leftEdge, background), 0);
  e->SetFocusRect(true);
  h.Leave();
  EXPECT_EQ(PixelsOtherThan(h.Grab(), leftEdge, background), 0) << "losing the focus repaints";

  // The time kind draws spin buttons in the same strip.
  const QImage combo = h.Grab().copy(ToQRect(button));
  e->SetKind(TDateTimeKind::Time);
  EXPECT_NE(h.Grab().copy(ToQRect(button)), combo);
}

// --- the in-place editors -------------------------------------------------------------------------------

TEST(DateEditInPlace, ValueSettingsAndBoundsComeFromTheColumn) {
  KoreanLocale locale;
  InPlace<> p;
  EXPECT_FALSE(p.e->FocusRect());
  p.e->SetValue(plat::Variant::Null());
  EXPECT_TRUE(p.e->GetValue().IsNull());
  p.e->SetValue(plat::Variant::Date(DateTime(2026, 12, 15, 9, 30)));
  EXPECT_EQ(p.e->GetValue().Type(), plat::VarType::Date);
  EXPECT_DOUBLE_EQ(p.e->GetValue().ToDateTime(), DateTime(2026, 12, 15, 9, 30));
  EXPECT_THROW(p.e->SetValue(plat::Variant("no date")), plat::EConvertError);
  EXPECT_DOUBLE_EQ(p.e->GetValue().ToDateTime(), DateTime(2026, 12, 15, 9, 30)) << "unchanged";

  p.column->SetEditFormat("dd/mm/yyyy");
  p.column->SetColor(0x0000FF);
  p.column->SetMinValue("2026-01-01");
  p.column->SetMaxValue("2026-12-31");
  p.e->ApplyColumnSettings();
  EXPECT_EQ(p.e->EditFormat(), "dd/mm/yyyy");
  EXPECT_EQ(p.e->text(), "15-12-2026");
  EXPECT_EQ(p.e->Color(), TColor(0x0000FF));
  EXPECT_EQ(p.e->minimumDate(), QDate(2026, 1, 1));
  EXPECT_EQ(p.e->maximumDate(), QDate(2026, 12, 31));
  p.e->setDate(QDate(2030, 1, 1));
  EXPECT_EQ(p.e->date(), QDate(2026, 12, 31)) << "the bound holds";

  p.column->SetMaxValue("");
  p.column->SetMinValue("");
  p.column->SetEditColor(true);
  p.e->ApplyColumnSettings();
  EXPECT_GT(p.e->maximumDate(), QDate(2026, 12, 31)) << "an empty bound is none";
  EXPECT_EQ(p.e->Color(), clWindow);
  p.column->SetMaxValue("31.12.2026");
  EXPECT_THROW(p.e->ApplyColumnSettings(), plat::EConvertError);
}

TEST(DateEditInPlace, AHalfTypedDayIsTakenWhenTheGridCommits) {
  KoreanLocale locale;
  InPlace<> p;
  p.e->SetEditFormat("yyyy/mm/dd");
  p.e->SetValue(plat::Variant::Date(Date(2026, 12, 15)));
  p.h.Focus();
  p.e->setCurrentSection(QDateTimeEdit::DaySection);
  p.e->setSelectedSection(QDateTimeEdit::DaySection);
  QTest::keyClick(p.e, '2');
  EXPECT_TRUE(p.e->text().startsWith("2026-12-")) << p.e->text().toStdString();
  p.e->CommitTypedInput();
  EXPECT_FALSE(p.e->Committing());
  EXPECT_EQ(p.e->text(), "2026-12-02");
  EXPECT_DOUBLE_EQ(p.e->GetValue().ToDateTime(), Date(2026, 12, 2));
  // Commit of an empty editor leaves it empty.
  p.e->SetValue(plat::Variant::Null());
  p.e->CommitTypedInput();
  EXPECT_TRUE(p.e->GetValue().IsNull());
}

TEST(DateEditInPlace, TheTimeEditorHasNoCalendarAndShowsTheLongTime) {
  KoreanLocale locale;
  InPlace<TwInTimeEdit> p;
  EXPECT_EQ(p.e->Kind(), TDateTimeKind::Time);
  EXPECT_FALSE(p.e->calendarPopup());
  p.e->SetValue(plat::Variant::Date(plat::fmt::EncodeTime(14, 5, 9, 0)));
  EXPECT_TRUE(p.e->text().endsWith("2:05:09")) << p.e->text().toStdString();
  p.e->SetEditFormat("hh:nn");
  EXPECT_EQ(p.e->text(), "14:05");
  p.h.Focus();
  QTest::keyClick(p.e, Qt::Key_Delete);
  EXPECT_TRUE(p.e->GetValue().IsNull());
  QTest::keyClick(p.e, Qt::Key_F4);
  EXPECT_FALSE(p.e->DroppedDown());
}
