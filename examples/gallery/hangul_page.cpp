// 한글: Korean typed into cells through the input method, and Korean order when sorting by a title.
// The 이름 column asks the input method for Hangul mode (ImeMode imHanguel); a composition begun while the
// grid browses goes on into the editor the first syllable opens.
#include "gallery_page.h"

namespace {

class HangulPage : public GalleryPage {
 public:
  HangulPage()
      : GalleryPage("한글", "hangul",
                    "이름 칸을 골라 한/영 키로 한글 입력으로 바꾸고 바로 입력해 보세요: 조합 중인 글자가 "
                    "그대로 편집기로 이어집니다. Enter로 저장합니다. 제목을 누르면 한국어 "
                    "순서로 정렬됩니다: 빈 칸, 한글 이름(가나다순, 까미는 가은 다음), 영문 이름. 한 번 더 "
                    "누르면 거꾸로 정렬됩니다.") {
    TMemGrid& g = *Grid();
    const struct {
      const char* title;
      int width;
    } columns[] = {{"이름", 160}, {"부서", 120}, {"비고", 260}};
    for (const auto& s : columns) {
      TwMemColumn* c = g.AddColumn();
      c->Title().SetCaption(s.title);
      c->SetColWidth(s.width);
    }
    g.Column(0)->SetImeMode(imHanguel);
    const char* rows[][3] = {
        {"하윤", "보안", "새로 옴"},         {"가은", "개발", ""}, {"나래", "총무", "휴가"},
        {"Alice", "개발", "영문 이름"},      {"다온", "영업", ""}, {"까미", "보안", "된소리는 ㄱ 다음"},
        {"", "영업", "이름을 입력해 보세요"}};
    for (const auto& r : rows) {
      const int i = g.RowCount();
      g.AppendRow(false, false, false);
      for (int c = 0; c < 3; ++c)
        if (*r[c]) g.Cells(c, i).SetAsString(r[c]);
    }
    g.SetOptions(TwGridOptions(g.Options()).Include(wgoEditing).Exclude(wgoEnterToTab));
    SortOnTitleClick(g);
    g.SetColRow(0, g.RowCount() - 1);
  }

  std::string Values() override {
    TMemGrid& g = *Grid();
    std::string v = "names=";
    for (int r = 0; r < g.RowCount(); ++r) {
      if (r > 0) v += ",";
      v += g.Cells(0, r).IsNull() ? "null" : g.Cells(0, r).AsString();
    }
    return v;
  }
};

}  // namespace

GalleryPage* MakeHangulPage() {
  return new HangulPage;
}
