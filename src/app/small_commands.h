// The commands of the main window that answer at once.
#pragma once

#include "state/program.h"

namespace torva {

inline constexpr const char* kFarmSite = "https://www.torva.fr";

std::string MainWindowTitle(const Program& program);

// The pages and the help document are opened with the system's opener; when
// that fails, a message names the address or the document instead.
// A click on the logo opens the farm's Maxwell page; only a plain single
// left click counts.
void LogoClicked(Program& program, const Event& click);
void OpenUploadPage(Program& program);
void OpenPricePage(Program& program);
void ShowAbout(Program& program);
void OpenHelp(Program& program);
void ShowCpuInfo(Program& program);

}  // namespace torva
