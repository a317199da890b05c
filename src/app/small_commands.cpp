#include "app/small_commands.h"

#include <filesystem>

#include "desktop/titles.h"
#include "platform/cpu_info.h"

namespace torva {

std::string MainWindowTitle(const Program& program) {
  return "TORVAmeter " + program.constants.ProgramVersion +
         " for Maxwell Render - by the TORVA render farm";
}

namespace {

// When the system cannot show the page, the person is given its address.
void OpenFarmPage(Program& program, const std::string& path) {
  const std::string address = std::string(kFarmSite) + path;
  if (!program.desktop.Open(address))
    program.desktop.Message(kErrorTitle, "The web page " + address +
                                             " could not be opened.\nPlease open it in your "
                                             "web browser.");
}

}  // namespace

void LogoClicked(Program& program, const Event& click) {
  if (!click.left_button || click.repeated_click || click.control_key) return;
  OpenFarmPage(program, "/en/rendering/maxwell");
}

void OpenUploadPage(Program& program) {
  OpenFarmPage(program, "/en/estimate-the-rendering-time/maxwell");
}

void OpenPricePage(Program& program) { OpenFarmPage(program, "/en/renderfarm/prices"); }

void ShowAbout(Program& program) {
  program.desktop.Message("About TORVAmeter for Maxwell",
                          std::string(6, ' ') + "TORVAmeter " + program.constants.ProgramVersion +
                              " for Maxwell Render\n" + "Made by the TORVA render farm team\n" +
                              std::string(15, ' ') + kFarmSite);
}

void OpenHelp(Program& program) {
  const std::string& pdf = program.paths.help_document;
  std::error_code ec;
  auto size = std::filesystem::file_size(pdf, ec);
  if (ec || size == 0) {
    program.desktop.Message(kErrorTitle,
                            std::string("The ") + kHelpDocumentName + " file cannot be found!");
    return;
  }
  if (!program.desktop.Open(pdf))
    program.desktop.Message(kErrorTitle, "The help document " + pdf +
                                             " could not be opened.\nPlease open it with a "
                                             "PDF viewer.");
}

void ShowCpuInfo(Program& program) {
  std::string brand = ProcessorBrand();
  brand.erase(0, brand.find_first_not_of(' '));
  program.desktop.Message("CPU Info",
                          brand + ", " + std::to_string(LogicalProcessors()) + " threads");
}

}  // namespace torva
