#include "app/small_commands.h"

#include <gtest/gtest.h>

#include "testing/scripted_session.h"

namespace torva {
namespace {

TEST(SmallCommandsTest, DoubleClicksControlClicksAndRightClicksOnTheLogoOpenNothing) {
  TempFolder folder;
  ScriptedSession session("");
  Program program(session.desktop(), folder.path());
  Event click{EventType::kGadget, kMainWindow, kLogo};
  Event second = click, control = click, right = click;
  second.repeated_click = true;
  control.control_key = true;
  right.left_button = false;
  for (const Event& e : {click, second, control, right}) LogoClicked(program, e);
  EXPECT_EQ(session.transcript(), "open \"https://www.torva.fr/en/rendering/maxwell\"\n");
}

}  // namespace
}  // namespace torva
