// For tests: a gmock Desktop.
#pragma once

#include <gmock/gmock.h>

#include <string>

#include "desktop/desktop.h"

namespace torva {

class MockDesktop : public Desktop {
 public:
  MOCK_METHOD(bool, OpenMainWindow, (const std::string&, const Picture&), (override));
  MOCK_METHOD(void, CloseMainWindow, (), (override));
  MOCK_METHOD(Rect, MainWindowFrame, (), (override));
  MOCK_METHOD(Rect, ScreenArea, (), (override));
  MOCK_METHOD(void, ClearLog, (), (override));
  MOCK_METHOD(void, AddLogLine, (int, const std::string&), (override));
  MOCK_METHOD(void, SetLogLine, (int, const std::string&), (override));
  MOCK_METHOD(void, SetProgress, (int), (override));
  MOCK_METHOD(void, DisableButtons, (int), (override));
  MOCK_METHOD(void, EnableButtons, (int), (override));
  MOCK_METHOD(void, Message, (const std::string&, const std::string&), (override));
  MOCK_METHOD(bool, Question, (QuestionId, const std::string&, const std::string&), (override));
  MOCK_METHOD(std::optional<std::string>, Input,
              (QuestionId, const std::string&, const std::string&), (override));
  MOCK_METHOD(std::optional<std::string>, SecretInput,
              (QuestionId, const std::string&, const std::string&), (override));
  MOCK_METHOD(std::optional<std::string>, ChooseFile,
              (QuestionId, const std::string&, const std::string&, const std::string&), (override));
  MOCK_METHOD(std::optional<WindowId>, OpenWindow, (const WindowLayout&), (override));
  MOCK_METHOD(void, CloseWindow, (WindowId), (override));
  MOCK_METHOD(void, ShowPicture, (WindowId, int, int, const Picture&), (override));
  MOCK_METHOD(void, RemovePictures, (WindowId), (override));
  MOCK_METHOD(std::optional<std::vector<bool>>, WaitForCheckBoxes, (WindowId), (override));
  MOCK_METHOD(void, ResetCheckBoxes, (WindowId), (override));
  MOCK_METHOD(Event, WaitEvent, (), (override));
  MOCK_METHOD(Event, TakeEvent, (), (override));
  MOCK_METHOD(bool, Open, (const std::string&), (override));

  bool ShowsPictures() const override { return shows_pictures; }
  bool shows_pictures = true;
};

}  // namespace torva
