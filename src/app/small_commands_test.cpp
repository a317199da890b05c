#include "app/small_commands.h"

#include <gtest/gtest.h>

#include "testing/files.h"
#include "testing/mock_desktop.h"
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

// Without a working opener nothing would happen at all: the person is told
// what could not be opened, so that they can open it themselves.
TEST(SmallCommandsTest, WhatCouldNotBeOpenedIsNamedInAMessage) {
  using ::testing::Return;
  TempFolder folder;
  ::testing::StrictMock<MockDesktop> desktop;
  Program program(desktop, folder.path());
  WriteFile(program.paths.help_document, "%PDF-1.4");
  struct Case {
    void (*command)(Program&);
    std::string target;
    std::string text;
  };
  const std::string site = kFarmSite;
  const Case cases[] = {
      {OpenUploadPage, site + "/en/estimate-the-rendering-time/maxwell",
       "The web page " + site +
           "/en/estimate-the-rendering-time/maxwell could not be "
           "opened.\nPlease open it in your web browser."},
      {OpenPricePage, site + "/en/renderfarm/prices",
       "The web page " + site +
           "/en/renderfarm/prices could not be opened.\nPlease open it in "
           "your web browser."},
      {OpenHelp, program.paths.help_document,
       "The help document " + program.paths.help_document +
           " could not be opened.\nPlease "
           "open it with a PDF viewer."},
      {[](Program& p) {
         LogoClicked(p, Event{EventType::kGadget, kMainWindow, kLogo});
       },
       site + "/en/rendering/maxwell",
       "The web page " + site +
           "/en/rendering/maxwell could not be opened.\nPlease open it "
           "in your web browser."},
  };
  for (const Case& c : cases) {
    EXPECT_CALL(desktop, Open(c.target)).WillOnce(Return(false));
    EXPECT_CALL(desktop, Message("TORVAmeter error", c.text));
    c.command(program);
    ::testing::Mock::VerifyAndClearExpectations(&desktop);
    EXPECT_CALL(desktop, Open(c.target)).WillOnce(Return(true));  // and nothing more
    c.command(program);
    ::testing::Mock::VerifyAndClearExpectations(&desktop);
  }
}

}  // namespace
}  // namespace torva
