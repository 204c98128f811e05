#include "app/mgr_grid_form.h"

namespace vek {

namespace {
// Written as the grid's form writer writes it: only what differs from the defaults, and the per-mode
// sizes always.
constexpr std::string_view kMgrGridForm = R"form(object Mgr_grid: TMemGrid
  Indicators.Font.Color = clWindowText
  Indicators.Font.Name = 'Arial'
  Indicators.Font.Size = 8
  Headers.ColHeight = 21
  Headers.GrpHeight = 42
  Options = [wgoArrowMove, wgoConfirmDelete, wgoEnterToTab, wgoFocusRect, wgoRowSelect, wgoRowSizing]
  Columns = <
    item
      Alignment = taCenter
      Color = clMoneyGreen
      Title.Caption = 'C'
      DataType = wdtBool
      DataWidth = 1
      ColWidth = 26
      GrpWidth = 64
    end
    item
      Color = clMoneyGreen
      Title.Caption = '파일명'
      DataWidth = 255
      ColWidth = 232
      GrpWidth = 64
    end
    item
      Color = clMoneyGreen
      Title.Caption = '내용'
      DataWidth = 255
      ColWidth = 295
      GrpWidth = 64
    end
    item
      Alignment = taCenter
      Color = clMoneyGreen
      Title.Caption = '수량'
      DataWidth = 255
      ColWidth = 37
      GrpWidth = 64
    end
    item
      Color = clMoneyGreen
      Title.Caption = '경로'
      DataWidth = 255
      ColWidth = 1077
      GrpWidth = 64
    end>
  ColRowHeight = 21
  GrpRowHeight = 36
  ColFixedCount = 0
  GrpFixedCount = 0
end
)form";
}  // namespace

std::string_view MgrGridForm() {
  return kMgrGridForm;
}

}  // namespace vek
