#include "app/config/settings.h"

#include <filesystem>

#include "text/paths.h"
#include "app/config/config_file.h"

namespace torva {
namespace {

const char* const kErrorTitle = "TORVAmeter error";

ConfigValues ValuesOf(const Program& program) {
  const State& s = program.state;
  return ConfigValues{s.MaxwellDir,   s.FarmLogin,    s.FarmPassword,
                      s.LastDir,      s.CheckUpdates, std::nullopt,
                      s.unreadable_login_line,        s.unreadable_password_line};
}

void AskUpdateQuestion(Program& program) {
  bool yes = program.desktop.Question(
      "Check for updates",
      "Do you want TORVAmeter to check for updates automatically (highly recommended)?");
  program.state.CheckUpdates = yes ? "Yes" : "No";
}

std::string AskLogin(Program& program) {
  return program.desktop.Input("TORVA login", "Please enter your TORVA login:")
      .value_or("");
}

std::string AskPassword(Program& program) {
  return program.desktop.SecretInput("TORVA password", "Please enter your TORVA password:")
      .value_or("");
}

[[noreturn]] void Quit(Program& program, const std::string& text) {
  program.desktop.Message(kErrorTitle, text);
  EndProgram();
}

}  // namespace

bool SaveConfiguration(const Program& program) {
  return WriteConfigFile(program.paths.ConfigFile, ValuesOf(program));
}

bool LoadConfiguration(Program& program) {
  auto values = ReadConfigFile(program.paths.ConfigFile);
  if (!values) return false;
  State& s = program.state;
  s.MaxwellDir = values->MaxwellDir;
  s.FarmLogin = values->FarmLogin;
  s.FarmPassword = values->FarmPassword;
  s.LastDir = values->LastDir;
  s.CheckUpdates = values->CheckUpdates;
  s.unreadable_login_line = values->unreadable_login_line;
  s.unreadable_password_line = values->unreadable_password_line;
  if (values->MxiSizeLimitMB) program.constants.MxiSizeLimitMB = *values->MxiSizeLimitMB;
  if (s.CheckUpdates.empty()) {
    AskUpdateQuestion(program);
    SaveConfiguration(program);  // a failure here is not reported
  }
  return true;
}

void AskFirstRunQuestions(Program& program) {
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

  auto chosen = desktop.ChooseFile("Please select any file in your Maxwell Render directory",
                                   s.FirstRunDir, "*.*|*.*");
  if (!chosen || chosen->empty()) Quit(program, "No file selected, TORVAmeter will now quit");
  s.MaxwellDir = FolderOf(*chosen);
  s.LastDir = s.MaxwellDir;

  if (desktop.Question("TORVA account?", "Do you already have a TORVA account?")) {
    s.FarmLogin = AskLogin(program);
    if (s.FarmLogin.empty())
      Quit(program, "You must enter a valid TORVA login! TORVAmeter will now quit");
    s.FarmPassword = AskPassword(program);
    if (s.FarmPassword.empty())
      Quit(program, "You must enter a valid TORVA password! TORVAmeter will now quit");
  }

  AskUpdateQuestion(program);
  if (!SaveConfiguration(program))
    Quit(program, "The initialisation file cannot be created! TORVAmeter will now quit");
}

void RunConfigButton(Program& program) {
  Desktop& desktop = program.desktop;
  AskUpdateQuestion(program);
  SaveConfiguration(program);  // a failure here is not reported

  if (!desktop.Question("Modify user info",
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
