// zefrct_gui: the Zefr configuration editor.
#include <QApplication>
#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "editor_app.h"
#include "check_run.h"

namespace {

int Usage(const std::string& why) {
  std::cerr << "zefrct_gui: " << why << "\n"
            << "Use: zefrct_gui [FILE.ini]\n"
            << "     zefrct_gui --check [--form-factor atx|btx|custom] FILE.ini\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args.front() == "--check") {
    std::string error;
    const auto options = zefr::ParseCheckArguments({args.begin() + 1, args.end()}, &error);
    if (!options) return Usage(error);
    return zefr::RunCheck(*options, std::cout, std::cerr);
  }

  // The window's own form factor is Custom at start; a file may ask for another.
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  std::string error;
  zefr::CheckOptions open;
  if (!args.empty()) {
    const auto options = zefr::ParseCheckArguments(args, &error);
    if (!options) return Usage(error);
    open = *options;
  }
  CEditorApp editor;
  return editor.InitInstance(QString::fromStdString(open.file), open.formFactor);
}
