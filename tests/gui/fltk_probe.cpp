// A small program over the FLTK desktop alone, for the GUI tests: it prints
// every event it gets, one line each, and reacts to a few buttons so that the
// driver can reach the desktop's other windows:
//   Benchmark (6)  greys out / restores the other buttons;
//   Upload (4)     a "long command" that takes events every 100 ms until Help
//                  (10) is clicked (or a minute has passed);
//   Estimate (7)   opens a closable picture window beside the main window;
//   Prepare (5)    opens a check-box window and prints the ticks after OK;
//   Config (11), Price info (8), Updates (12): an input (its field starting
//                  with "old@farm"), message, question box;
//   CPU detect (13) a secret input box;
//   Help (10)      a question that Escape and the close box dismiss.
#include <chrono>
#include <cstdio>
#include <thread>

#include "desktop/fltk/fltk_desktop.h"

using namespace torva;

namespace {

void Say(const char* format, auto... values) {
  std::printf(format, values...);
  std::printf("\n");
  std::fflush(stdout);
}

Picture Gradient(int width, int height) {
  Picture picture = BlankPicture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = static_cast<std::uint8_t>(x * 255 / width);
      p[1] = 90;
      p[2] = static_cast<std::uint8_t>(y * 255 / height);
    }
  return picture;
}

void LongCommand(Desktop& desktop) {
  Say("long start");
  for (int pass = 0; pass < 600; ++pass) {
    Event event = desktop.TakeEvent();
    if (event.type == EventType::kGadget) {
      Say("during %d", event.gadget);
      if (event.gadget == kHelp) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  Say("long end");
}

void CheckBoxes(Desktop& desktop) {
  WindowLayout layout;
  layout.kind = WindowKind::kCheckBoxes;
  layout.title = "Probe cameras";
  layout.check_labels = {"Front (1)", "Side (2)", "Top (3)"};
  layout.width = 290;
  layout.height = static_cast<int>(layout.check_labels.size()) * 40 + 20;
  auto window = desktop.OpenWindow(layout);
  if (!window) return Say("no window");
  std::optional<std::vector<bool>> ticks = desktop.WaitForCheckBoxes(*window);
  std::string marks;
  for (bool tick : ticks.value_or(std::vector<bool>{})) marks += tick ? '1' : '0';
  Say(ticks ? "ticks %s" : "cancelled%s", marks.c_str());
  desktop.CloseWindow(*window);
}

}  // namespace

int main() {
  FltkDesktop desktop;
  if (!desktop.OpenMainWindow("FLTK probe", Gradient(405, 89))) return 2;
  // Longer than the panel at the window's first width.
  desktop.AddLogLine(0,
                     "Project prepared in /home/someone/.local/share/TORVAmeter_Maxwell/archive.");
  Say("ready");
  bool disabled = false;
  WindowId pictures = 0;  // none open
  Picture shown;
  for (;;) {
    Event event = desktop.WaitEvent();
    switch (event.type) {
      case EventType::kGadget:
        Say("gadget %d left=%d repeated=%d control=%d", event.gadget, event.left_button,
            event.repeated_click, event.control_key);
        if (event.gadget == kBenchmark) {
          disabled = !disabled;
          if (disabled)
            desktop.DisableButtons(kBenchmark);
          else
            desktop.EnableButtons(kBenchmark);
        } else if (event.gadget == kUploadProject) {
          LongCommand(desktop);
        } else if (event.gadget == kPrepareProject) {
          CheckBoxes(desktop);
        } else if (event.gadget == kConfig) {
          auto text = desktop.InputFrom(QuestionId::kLogin, "Probe input",
                                        "Your login (name@domain):", "old@farm");
          Say("input %s", text ? text->c_str() : "cancelled");
        } else if (event.gadget == kCpuDetect) {
          auto text = desktop.SecretInput(QuestionId::kPassword, "Probe secret", "Your password:");
          Say("secret %s", text ? text->c_str() : "cancelled");
        } else if (event.gadget == kPriceInfo) {
          desktop.Message("Probe message",
                          "100% sure: mail name@domain\nsecond line %s %d\rthird line");
          Say("message done");
        } else if (event.gadget == kUpdates) {
          Say("answer %s",
              desktop.Question(QuestionId::kUpdateOffer, "Probe question", "Download v2.9?")
                  ? "yes"
                  : "no");
        } else if (event.gadget == kHelp) {
          const std::optional<bool> choice = desktop.QuestionOrCancel(
              QuestionId::kBenchmarkMode, "Probe choice", "CPU? If No, the GPU.");
          Say("choice %s", !choice ? "dismissed" : *choice ? "yes" : "no");
        } else if (event.gadget == kEstimateProject && !pictures) {
          Rect main = desktop.MainWindowFrame();
          WindowLayout layout;
          layout.title = "Probe pictures";
          layout.width = 480;
          layout.height = 640;
          layout.x = main.x + main.width + 7;
          layout.y = main.y;
          layout.closable = true;
          auto opened = desktop.OpenWindow(layout);
          if (!opened) return 3;
          pictures = *opened;
          Say("window %d", pictures);
          shown = Gradient(480, 640);
          DrawCaption(shown, "Current SL = 4.20", 180, 616, {255, 255, 255}, {0, 0, 0});
        }
        break;
      case EventType::kRepaint:
        Say("repaint %d", event.window);
        if (pictures && event.window == pictures) desktop.ShowPicture(pictures, 0, 0, shown);
        break;
      case EventType::kCloseWindow:
        Say("close %d", event.window);
        if (event.window == kMainWindow) {
          desktop.CloseMainWindow();
          return 0;
        }
        desktop.CloseWindow(event.window);
        if (event.window == pictures) pictures = 0;
        break;
      default: break;
    }
  }
}
