#include "renderer/cameras_file.h"

#include <charconv>

#include "text/text.h"

namespace torva {
namespace {

template <typename Number>
bool ReadNumber(std::string_view text, Number& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// "1920x1080, 24mm, active": the fields the camera script writes, in any order.
void ReadDetails(Camera& camera) {
  std::string_view rest = camera.details;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view field = Trimmed(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    const std::size_t x = field.find('x');
    double lens = 0;
    if (field == "active") {
      camera.active = true;
    } else if (field.ends_with("mm") && ReadNumber(field.substr(0, field.size() - 2), lens)) {
      camera.lens = lens;
    } else if (int width = 0, height = 0; x != std::string_view::npos &&
                                          ReadNumber(field.substr(0, x), width) &&
                                          ReadNumber(field.substr(x + 1), height)) {
      camera.width = width;
      camera.height = height;
    }
  }
}

}  // namespace

Camera ReadCameraLine(std::string_view line) {
  Camera camera;
  const std::size_t semicolon = line.find(';');
  camera.name = std::string(line.substr(0, semicolon));
  if (semicolon == std::string_view::npos) return camera;
  std::string_view details = line.substr(semicolon + 1);
  if (details == "0" || details == "1" || details.ends_with(";0") || details.ends_with(";1")) {
    camera.chosen = details.back() == '1';
    details.remove_suffix(details.size() == 1 ? 1 : 2);
  }
  camera.details = std::string(details);
  ReadDetails(camera);
  return camera;
}

std::string CameraLine(const Camera& camera) {
  std::string line = camera.name;
  if (!camera.details.empty()) line += ";" + camera.details;
  if (camera.chosen) line += *camera.chosen ? ";1" : ";0";
  return line;
}

std::string CameraLabel(const Camera& camera) {
  return camera.name + " (" + TextAfter(CameraLine(camera), ";") + ")";
}

}  // namespace torva
