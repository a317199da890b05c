#include "app/small_commands.h"

#include <filesystem>

#include "platform/cpu_info.h"

namespace torva {

std::string MainWindowTitle(const Program& program) {
  return "TORVAmeter " + program.constants.ProgramVersion +
         " for Maxwell Render - by the TORVA render farm";
}

void LogoClicked(Program& program, const Event& click) {
  if (!click.left_button || click.repeated_click || click.control_key) return;
  program.desktop.Open(std::string(kFarmSite) + "/en/rendering/maxwell");
}

void OpenUploadPage(Program& program) {
  program.desktop.Open(std::string(kFarmSite) + "/en/estimate-the-rendering-time/maxwell");
}

void OpenPricePage(Program& program) {
  program.desktop.Open(std::string(kFarmSite) + "/en/renderfarm/prices");
}

void ShowAbout(Program& program) {
  program.desktop.Message(
      "About TORVAmeter for Maxwell",
      std::string(6, ' ') + "TORVAmeter " + program.constants.ProgramVersion +
          " for Maxwell Render\n" + "Made by the TORVA render farm team\n" +
          std::string(15, ' ') + kFarmSite);
}

void OpenHelp(Program& program) {
  const std::string& pdf = program.paths.HelpDocument;
  std::error_code ec;
  auto size = std::filesystem::file_size(pdf, ec);
  if (ec || size == 0) {
    program.desktop.Message("TORVAmeter error",
                            "The TORVAmeter_Maxwell_Mac.pdf file cannot be found!");
    return;
  }
  program.desktop.Open(pdf);
}

void ShowCpuInfo(Program& program) {
  std::string brand = ProcessorBrand();
  brand.erase(0, brand.find_first_not_of(' '));
  program.desktop.Message("CPU Info", brand + ", " + std::to_string(LogicalProcessors()) +
                                          " threads");
}

}  // namespace torva
