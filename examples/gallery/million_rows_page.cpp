// 백만 행: a million rows in memory. Scrolling, moving with the keys and sorting by a click on a title
// stay as quick as with a hundred; the label under the grid counts the rows and names the current one.
#include <QLabel>
#include <QLocale>
#include <cstdint>

#include "gallery_page.h"

namespace {

constexpr int kRows = 1'000'000;
enum Col { kNumber, kName, kTeam, kAmount };

// A made-up name for row r: a family name and two syllables, spread over the rows without order.
std::string NameOf(std::uint32_t r) {
  static const char* family[] = {"김", "이", "박", "최", "정", "강", "조", "윤", "장", "임"};
  static const char* syllable[] = {"민", "서", "지", "하", "도", "윤", "준", "예", "수", "현", "우", "진"};
  const std::uint32_t h = r * 2654435761u;
  return Join({family[h % 10], syllable[(h >> 8) % 12], syllable[(h >> 16) % 12]});
}

class MillionRowsPage : public GalleryPage {
 public:
  MillionRowsPage()
      : GalleryPage(
            "백만 행", "million",
            "행 1,000,000개. 스크롤 막대나 PageDown, Ctrl+PageDown으로 끝까지 가 보고, 열 제목을 누르면 "
            "그 열로 정렬됩니다(한 번 더 누르면 거꾸로). 이름은 가나다순, 번호와 금액은 값 순서입니다.") {
    TMemGrid& g = *Grid();
    const struct {
      const char* title;
      TwDataType type;
      int width;
    } columns[] = {
        {"번호", wdtLong, 90}, {"이름", wdtString, 120}, {"부서", wdtString, 110}, {"금액", wdtLong, 120}};
    for (const auto& s : columns) {
      TwMemColumn* c = g.AddColumn();
      c->Title().SetCaption(s.title);
      c->SetDataType(s.type);
      c->SetColWidth(s.width);
    }
    g.Column(kAmount)->SetDisplayFormat("#,##0");
    static const char* teams[] = {"영업", "개발", "총무", "보안", "기획"};
    g.BeginUpdate();
    g.SetRowCount(kRows);
    for (int r = 0; r < kRows; ++r) {
      g.Cells(kNumber, r).SetAsVariant(plat::Variant(std::int32_t(r + 1)));
      g.Cells(kName, r).SetAsString(NameOf(std::uint32_t(r)));
      g.Cells(kTeam, r).SetAsString(teams[(std::uint32_t(r) * 7919u >> 4) % 5]);
      g.Cells(kAmount, r)
          .SetAsVariant(plat::Variant(std::int32_t((std::uint32_t(r) * 48271u) % 10'000'000u)));
    }
    g.EndUpdate();
    g.SetOptions(TwGridOptions(g.Options()).Include(wgoRowSelect));
    SortOnTitleClick(g);

    count_ = new QLabel(this);
    Layout()->addWidget(count_);
    g.OnRowChange = [this](QObject*) { ShowCount(); };
    g.SetChangeDelay(0);
    ShowCount();
  }

  std::string Values() override {
    TMemGrid& g = *Grid();
    const int last = g.RowCount() - 1;
    auto row = [&](int r) {
      return Join({g.Cells(kNumber, r).AsString(), "/", g.Cells(kName, r).AsString(), "/",
                   g.Cells(kAmount, r).AsString()});
    };
    return Join({"rows=", std::to_string(g.RowCount()), " first=", row(0), " second=", row(1),
                 " last=", row(last), " current=", std::to_string(g.Row())});
  }

 private:
  void ShowCount() {
    const QLocale korean(QLocale::Korean, QLocale::SouthKorea);
    count_->setText(QString("전체 %1행 · 현재 %2행")
                        .arg(korean.toString(Grid()->RowCount()), korean.toString(Grid()->Row() + 1)));
  }

  QLabel* count_;
};

}  // namespace

GalleryPage* MakeMillionRowsPage() {
  return new MillionRowsPage;
}
