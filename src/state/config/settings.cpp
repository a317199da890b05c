#include "state/config/settings.h"

#include <filesystem>
#include <optional>

#include "desktop/titles.h"
#include "install/app_folder.h"
#include "state/config/config_file.h"
#include "text/paths.h"

namespace torva {
namespace {

std::string UpdateLineOf(const State& s) {
  if (!s.unusual_update_line.empty()) return s.unusual_update_line;
  return s.CheckUpdates ? "Yes" : "No";
}

ConfigValues ValuesOf(const Program& program) {
  const State& s = program.state;
  return ConfigValues{
      s.MaxwellDir,    s.FarmLogin,  s.FarmPassword,          s.LastDir,
      UpdateLineOf(s), std::nullopt, s.unreadable_login_line, s.unreadable_password_line};
}

constexpr const char* kUpdateTitle = "Check for updates";
constexpr const char* kUpdateQuestion =
    "Do you want TORVAmeter to check for updates automatically (highly recommended)?";

void AskUpdateQuestion(Program& program) {
  program.state.CheckUpdates =
      program.desktop.Question(QuestionId::kCheckUpdates, kUpdateTitle, kUpdateQuestion);
  program.state.unusual_update_line.clear();
}

std::string AskLogin(Program& program) {
  return program.desktop.Input(QuestionId::kLogin, "TORVA login", "Please enter your TORVA login:")
      .value_or("");
}

// A password the settings would not keep whole is refused, and asked again:
// a stored password other than the real one locks the user out of the farm.
// nullopt when the box is cancelled.
std::optional<std::string> AskPasswordOrCancel(Program& program) {
  for (;;) {
    std::optional<std::string> password = program.desktop.SecretInput(
        QuestionId::kPassword, "TORVA password", "Please enter your TORVA password:");
    if (!password) return std::nullopt;
    const std::string refusal = PasswordRefusal(*password);
    if (refusal.empty()) return password;
    program.desktop.Message(kErrorTitle, refusal);
  }
}

std::string AskPassword(Program& program) { return AskPasswordOrCancel(program).value_or(""); }

// A stored login of 20 characters reads back padded with spaces, which the
// next write drops: the box shows it without them.
std::string LoginShown(std::string login) {
  while (login.ends_with(' ')) login.pop_back();
  return login;
}

// The Config button's boxes: each shows the current value, and Escape or the
// close box on any of them ends the button, its setting left as it was.
// Empty answers are asked again. True once login and password are new.
bool AskNewUserInfo(Program& program, std::string& login, std::string& password) {
  Desktop& desktop = program.desktop;
  const std::optional<bool> modify = desktop.QuestionOrCancel(
      QuestionId::kModifyUserInfo, "Modify user info",
      "Do you want to modify the login/password TORVAmeter is using to access the TORVA web site?");
  if (!modify || !*modify) return false;
  const std::string shown = LoginShown(program.state.FarmLogin);
  while (login.empty()) {
    const std::optional<std::string> typed = desktop.InputFrom(
        QuestionId::kLogin, "TORVA login", "Please enter your TORVA login:", shown);
    if (!typed) return false;
    login = *typed;
  }
  while (password.empty()) {
    const std::optional<std::string> typed = AskPasswordOrCancel(program);
    if (!typed) return false;
    password = *typed;
  }
  return true;
}

}  // namespace

bool SaveConfiguration(const Program& program) {
  if (!WriteConfigFile(program.paths.ConfigFile, ValuesOf(program))) return false;
  // The settings a failed start set aside hold the login and password too.
  std::error_code ec;
  std::filesystem::remove(program.paths.config_backup, ec);
  return true;
}

bool LoadConfiguration(Program& program) {
  auto values = ReadConfigFile(program.paths.ConfigFile);
  if (!values) return false;
  State& s = program.state;
  s.MaxwellDir = values->MaxwellDir;
  s.FarmLogin = values->FarmLogin;
  s.FarmPassword = values->FarmPassword;
  s.LastDir = values->LastDir;
  // Only the exact "Yes" switches the check on; any other stored answer but
  // an empty one stands and is not asked again.
  const std::string& answer = values->CheckUpdates;
  s.CheckUpdates = answer == "Yes";
  s.unusual_update_line = answer == "Yes" || answer == "No" ? "" : answer;
  s.unreadable_login_line = values->unreadable_login_line;
  s.unreadable_password_line = values->unreadable_password_line;
  if (values->MxiSizeLimitMB) program.constants.MxiSizeLimitMB = *values->MxiSizeLimitMB;
  if (answer.empty()) {
    AskUpdateQuestion(program);
    SaveConfiguration(program);  // a failure here is not reported
  }
  return true;
}

Next AskFirstRunQuestions(Program& program) {
  Desktop& desktop = program.desktop;
  State& s = program.state;
  desktop.Message("Welcome to TORVAmeter - First run",
                  std::string(15, ' ') +
                      "This is the first time you launch TORVAmeter.\n"
                      "You will be asked to provide some information to initialize the "
                      "program.\n"
                      "Please follow the instructions given in each requester title bar.");

  // Where the user's own folders start, rather than the program's.
  s.FirstRunDir = HomeFolder();
  if (s.FirstRunDir.empty()) s.FirstRunDir = s.LastDir;
  for (const char* version : {"4", "3", "2"}) {
    std::string folder = std::string("/Applications/Maxwell ") + version + "/";
    std::error_code ec;
    if (std::filesystem::exists(folder + "Maxwell.app", ec)) {
      s.FirstRunDir = folder;
      break;
    }
  }

  auto chosen = desktop.ChooseFile(QuestionId::kMaxwellFolder,
                                   "Please select any file in your Maxwell Render directory",
                                   s.FirstRunDir, "*.*|*.*");
  if (!chosen || chosen->empty())
    return {Next::kEndProgram, "No file selected, TORVAmeter will now quit"};
  s.MaxwellDir = FolderOf(*chosen);
  s.LastDir = s.MaxwellDir;

  if (desktop.Question(QuestionId::kHasAccount, "TORVA account?",
                       "Do you already have a TORVA account?")) {
    s.FarmLogin = AskLogin(program);
    if (s.FarmLogin.empty())
      return {Next::kEndProgram, "You must enter a valid TORVA login! TORVAmeter will now quit"};
    s.FarmPassword = AskPassword(program);
    if (s.FarmPassword.empty())
      return {Next::kEndProgram, "You must enter a valid TORVA password! TORVAmeter will now quit"};
  }

  AskUpdateQuestion(program);
  if (!SaveConfiguration(program))
    return {Next::kEndProgram,
            "The initialisation file cannot be created! TORVAmeter will now quit"};
  return {};
}

void RunConfigButton(Program& program) {
  Desktop& desktop = program.desktop;
  State& s = program.state;
  const std::string now = s.unusual_update_line.empty() ? (s.CheckUpdates ? "Yes" : "No")
                                                        : "\"" + s.unusual_update_line + "\"";
  const std::optional<bool> updates = desktop.QuestionOrCancel(
      QuestionId::kCheckUpdates, kUpdateTitle,
      std::string(kUpdateQuestion) + "\n(Your answer so far: " + now + ".)");
  if (!updates) return;
  s.CheckUpdates = *updates;
  s.unusual_update_line.clear();
  SaveConfiguration(program);  // a failure here is not reported

  std::string login, password;
  if (!AskNewUserInfo(program, login, password)) return;
  program.state.FarmLogin = login;
  program.state.FarmPassword = password;
  program.state.unreadable_login_line.clear();
  program.state.unreadable_password_line.clear();

  if (SaveConfiguration(program)) {
    desktop.Message("User info updated",
                    "Your TORVA login and password have been updated successfully.");
  } else {
    desktop.Message(kErrorTitle,
                    "Could not write .ini file, your TORVA login and password have NOT "
                    "been updated successfully!");
  }
}

}  // namespace torva
