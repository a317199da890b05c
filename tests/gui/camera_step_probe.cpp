// The preparation's camera step alone, in the real FLTK desktop, for the GUI
// test: camera_step_probe APP_DIR MAXWELL_DIR SCENE lists the scene's cameras
// through Pymaxwell, lets them be ticked in the real window, then prints
// "cancelled" when the window was cancelled, "camera LINE" for each line of
// cameras.txt and "done".
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "desktop/fltk/fltk_desktop.h"
#include "prepare/preparation_steps.h"

int main(int argc, char** argv) {
  if (argc != 4 || !torva::ConnectToDisplay()) return 2;
  torva::FltkDesktop desktop;
  torva::Program program(desktop, argv[1]);
  program.state.MaxwellDir = argv[2];
  program.state.RendererVersion = "5.2.1.49";
  std::filesystem::create_directories(program.paths.TempDir);

  torva::Preparation preparation(program);
  preparation.scene_path = argv[3];
  preparation.log.Open(program.paths.project_log);
  const bool chosen = torva::ChooseCameras(preparation).GoesOn();
  preparation.log.Close();
  if (!chosen) std::printf("cancelled\n");

  std::ifstream cameras(program.paths.TempDir + "cameras.txt");
  for (std::string line; std::getline(cameras, line);) std::printf("camera %s\n", line.c_str());
  std::printf("done\n");
  return 0;
}
