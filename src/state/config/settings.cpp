#include "state/config/settings.h"

#include <filesystem>

#include "state/config/config_file.h"
#include "text/paths.h"

namespace torva {
namespace {

const char* const kErrorTitle = "TORVAmeter error";

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

void AskUpdateQuestion(Program& program) {
  program.state.CheckUpdates = program.desktop.Question(
      QuestionId::kCheckUpdates, "Check for updates",
      "Do you want TORVAmeter to check for updates automatically (highly recommended)?");
  program.state.unusual_update_line.clear();
}

std::string AskLogin(Program& program) {
  return program.desktop.Input(QuestionId::kLogin, "TORVA login", "Please enter your TORVA login:")
      .value_or("");
}

// A password the settings would not keep whole is refused, and asked again:
// a stored password other than the real one locks the user out of the farm.
std::string AskPassword(Program& program) {
  for (;;) {
    std::string password = program.desktop
                               .SecretInput(QuestionId::kPassword, "TORVA password",
                                            "Please enter your TORVA password:")
                               .value_or("");
    const std::string refusal = PasswordRefusal(password);
    if (refusal.empty()) return password;
    program.desktop.Message(kErrorTitle, refusal);
  }
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

  s.FirstRunDir = s.LastDir;
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
  AskUpdateQuestion(program);
  SaveConfiguration(program);  // a failure here is not reported

  if (!desktop.Question(QuestionId::kModifyUserInfo, "Modify user info",
                        "Do you want to modify the login/password TORVAmeter is using "
                        "to access the TORVA web site?"))
    return;

  std::string login, password;
  while (login.empty()) login = AskLogin(program);
  while (password.empty()) password = AskPassword(program);
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
