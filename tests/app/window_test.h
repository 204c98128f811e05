#pragma once
// The document manager's window in a drive-folder sandbox, for the tests of its batch actions: scripted
// dialogs, no terminal, sleeps counted instead of waited, and every replaced service restored afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/veksecurity_01.h"
#include "app_test_util.h"
#include "platform/batch/batch.h"
#include "platform/os/os.h"
#include "platform/ui/dialogs.h"

namespace apptest {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(box.dir.isValid());
    plat::os::SetSleepHandler([this](int ms) { slept += ms; });
    form.Context().ProgramDir = c;
    form.RB1Click(&form);
  }
  void TearDown() override {
    plat::os::SetSleepHandler({});
    plat::os::SetOpenHandler({});
    plat::batch::SetMoveHooks({});
  }
  // A row ticked as a user ticks it (the window keeps the count).
  void AddRow(const std::string& name, const std::string& folder, bool ticked = true) {
    AddListRow(form.Mgr_grid, name, folder, false);
    if (ticked) form.SetTick(form.Mgr_grid->RowCount() - 1, true);
  }
  // The file names of the listed rows, in order.
  std::vector<std::string> Names() {
    std::vector<std::string> n;
    for (int r = 0; r < form.Mgr_grid->RowCount(); ++r) n.push_back(form.Mgr_grid->Cells(1, r).AsString());
    return n;
  }

  DriveSandbox box;
  const std::string& c = box.c;
  const std::string& d = box.d;
  EnvVar terminal{"VEKSECURITY_TERMINAL", std::string("none")};
  int slept = 0;
  TForm1 form;
  plat::ui::ScriptedDialogs dialogs;
};

}  // namespace apptest
